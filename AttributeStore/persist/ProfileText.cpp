#include "persist/ProfileText.h"

#include "platform/Platform.h"

namespace tiz {

namespace {

constexpr char kHexDigits[] = "0123456789ABCDEF";

bool IsControl(char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; }

bool IsQuote(char c) { return c == '"' || c == '\''; }

bool IsEnclosedIn(std::string_view text, char quote) {
  return text.size() >= 2 && text.front() == quote && text.back() == quote;
}

bool NeedsQuoting(std::string_view text, bool isSectionName) {
  if (text.empty()) return false;
  if (IsProfileBlank(text.front()) || IsProfileBlank(text.back())) return true;
  if (IsQuote(text.front()) && IsEnclosedIn(text, text.front())) return true;
  for (char c : text) {
    if (IsControl(c) || (isSectionName && c == ']')) return true;
  }
  return false;
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

char FoldAscii(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Calls `visit` with each byte, folded unless it belongs to a double-byte
// character.
template <class Visit>
void ForEachFolded(std::string_view text, Visit &&visit) {
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (platform::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < text.size()) {
      visit(c);
      visit(text[++i]);
    } else {
      visit(FoldAscii(c));
    }
  }
}

}  // namespace

bool IsProfileBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

std::string EncodeProfileValue(std::string_view value) {
  return NeedsQuoting(value, false) ? Quote(value) : std::string(value);
}

std::string DecodeProfileValue(std::string_view spelling) {
  if (IsEnclosedIn(spelling, '"')) return Unquote(spelling.substr(1, spelling.size() - 2));
  if (IsEnclosedIn(spelling, '\'')) return std::string(spelling.substr(1, spelling.size() - 2));
  return std::string(spelling);
}

std::string EncodeSectionName(std::string_view name) {
  return NeedsQuoting(name, true) ? Quote(name) : std::string(name);
}

std::string DecodeSectionName(std::string_view spelling) {
  if (IsEnclosedIn(spelling, '"')) return Unquote(spelling.substr(1, spelling.size() - 2));
  return std::string(spelling);
}

bool ProfileNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the common case: the same spelling
  for (size_t i = 0; i < a.size(); ++i) {
    // While the bytes so far are equal, a double-byte character starts at
    // the same place in both names.
    if (platform::IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

size_t ProfileNameHash(std::string_view name) {
  size_t hash = 14695981039346656037ull & static_cast<size_t>(-1);
  ForEachFolded(name, [&](char c) {
    hash ^= static_cast<unsigned char>(c);
    hash *= static_cast<size_t>(1099511628211ull);
  });
  return hash;
}

}  // namespace tiz
