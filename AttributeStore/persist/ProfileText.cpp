#include "persist/ProfileText.h"

#include <cstdint>
#include <cstring>

namespace tiz {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsEnclosedIn(std::string_view text, char quote) {
  return text.size() >= 2 && text.front() == quote && text.back() == quote;
}

bool IsSpecial(char c, bool isSectionName) { return IsControl(c) || (isSectionName && c == ']'); }

// Whether eight bytes hold a byte below 0x20 (a tab among them, which may
// pass) or, for a section name, a ']'.
bool MayHoldSpecial(uint64_t word, bool isSectionName) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kTop = 0x8080808080808080ull;
  uint64_t below20 = (word - 0x20 * kOnes) & ~word & kTop;
  uint64_t bracket = word ^ (']' * kOnes);
  uint64_t brackets = isSectionName ? (bracket - kOnes) & ~bracket & kTop : 0;
  return (below20 | brackets) != 0;
}

// Names and values are tested on every write: eight bytes at a time (the
// last word may overlap the one before), and a word that may hold a control
// byte (a tab may pass) byte by byte.
bool HoldsSpecial(std::string_view text, bool isSectionName) {
  constexpr size_t kWord = sizeof(uint64_t);
  auto wordHoldsSpecial = [&](size_t at) {
    uint64_t word;
    std::memcpy(&word, text.data() + at, kWord);
    if (!MayHoldSpecial(word, isSectionName)) return false;
    for (size_t i = at; i < at + kWord; ++i) {
      if (IsSpecial(text[i], isSectionName)) return true;
    }
    return false;
  };
  if (text.size() < kWord) {
    for (char c : text) {
      if (IsSpecial(c, isSectionName)) return true;
    }
    return false;
  }
  for (size_t at = 0; at + kWord < text.size(); at += kWord) {
    if (wordHoldsSpecial(at)) return true;
  }
  return wordHoldsSpecial(text.size() - kWord);
}

bool NeedsQuoting(std::string_view text, bool isSectionName) {
  if (text.empty()) return false;
  if (IsProfileBlank(text.front()) || IsProfileBlank(text.back())) return true;
  if (IsQuote(text.front()) && IsEnclosedIn(text, text.front())) return true;
  return HoldsSpecial(text, isSectionName);
}

std::string Quote(std::string_view text) {
  std::string out;
  out.reserve(text.size() + 2);
  out.push_back('"');
  for (char c : text) {
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (IsControl(c) || c == ']') {
      auto byte = static_cast<unsigned char>(c);
      out += "\\x";
      out.push_back(kHexDigits[byte >> 4]);
      out.push_back(kHexDigits[byte & 0xF]);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
  return out;
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// Undoes Quote on the text between the quotes. A backslash that starts no
// known escape stands for itself, so a hand-edited file still loads.
std::string Unquote(std::string_view body) {
  std::string out;
  out.reserve(body.size());
  for (size_t i = 0; i < body.size(); ++i) {
    char c = body[i];
    if (c == '\\' && i + 1 < body.size()) {
      char next = body[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        out.push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
        ++i;
        continue;
      }
      if (next == 'x' && i + 3 < body.size()) {
        int high = HexValue(body[i + 2]), low = HexValue(body[i + 3]);
        if (high >= 0 && low >= 0) {
          out.push_back(static_cast<char>(high * 16 + low));
          i += 3;
          continue;
        }
      }
    }
    out.push_back(c);
  }
  return out;
}

}  // namespace

bool ProfileValueNeedsQuotes(std::string_view value) { return NeedsQuoting(value, false); }

std::string EncodeProfileValue(std::string_view value) {
  return NeedsQuoting(value, false) ? Quote(value) : std::string(value);
}

std::string_view DecodeProfileValue(std::string_view spelling, std::string *scratch) {
  if (IsEnclosedIn(spelling, '"')) {
    *scratch = Unquote(spelling.substr(1, spelling.size() - 2));
    return *scratch;
  }
  if (IsEnclosedIn(spelling, '\'')) return spelling.substr(1, spelling.size() - 2);
  return spelling;
}

bool SectionNameNeedsQuotes(std::string_view name) { return NeedsQuoting(name, true); }

std::string EncodeSectionName(std::string_view name) {
  return NeedsQuoting(name, true) ? Quote(name) : std::string(name);
}

bool SectionNameIsQuoted(std::string_view spelling) { return IsEnclosedIn(spelling, '"'); }

std::string DecodeSectionName(std::string_view spelling) {
  if (IsEnclosedIn(spelling, '"')) return Unquote(spelling.substr(1, spelling.size() - 2));
  return std::string(spelling);
}

}  // namespace tiz
