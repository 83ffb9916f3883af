#include "persist/ProfileText.h"

#include <cstring>

namespace tiz {

namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

// What the platform's reader drops: a quote at the start, the same quote at
// the end, and at least one byte after the first.
bool IsEnclosed(std::string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

// The platform hands texts over as C strings.
std::string_view CutAtNul(std::string_view text) {
  const void *nul = std::memchr(text.data(), '\0', text.size());
  if (!nul) return text;
  return text.substr(0, static_cast<size_t>(static_cast<const char *>(nul) - text.data()));
}

}  // namespace

bool HoldsLineBreak(std::string_view text) {
  // Most texts are short words and numbers: a plain loop costs less than
  // two searches.
  if (text.size() < 32) {
    for (char c : text) {
      if (c == '\n' || c == '\r') return true;
    }
    return false;
  }
  return std::memchr(text.data(), '\n', text.size()) != nullptr ||
         std::memchr(text.data(), '\r', text.size()) != nullptr;
}

ValueSpelling SpellingOf(std::string_view value) {
  if (value.empty()) return ValueSpelling::kPlain;
  // Most values are numbers and words: their ends decide at once, and only
  // those are searched for a line break.
  bool quoted = IsProfileBlank(value.front()) || IsProfileBlank(value.back()) || IsEnclosed(value);
  if (HoldsLineBreak(value)) return ValueSpelling::kEscaped;
  return quoted ? ValueSpelling::kQuoted : ValueSpelling::kPlain;
}

std::string SpellValue(std::string_view value, ValueSpelling spelling) {
  if (spelling == ValueSpelling::kPlain) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out.push_back('"');
  if (spelling == ValueSpelling::kQuoted) {
    out.append(value);
  } else {
    for (char c : value) {
      if (c == '\\') {
        out += "\\\\";
      } else if (c == '\n') {
        out += "\\n";
      } else if (c == '\r') {
        out += "\\r";
      } else {
        out.push_back(c);
      }
    }
  }
  out.push_back('"');
  return out;
}

std::string_view ReadProfileValue(std::string_view spelled) {
  spelled = CutAtNul(spelled);
  if (IsEnclosed(spelled)) return spelled.substr(1, spelled.size() - 2);
  return spelled;
}

std::string_view ReadEscapedProfileValue(std::string_view spelled, std::string *scratch) {
  std::string_view cut = CutAtNul(spelled);
  if (cut.size() < 2 || cut.front() != '"' || cut.back() != '"') return ReadProfileValue(cut);
  std::string_view read = cut.substr(1, cut.size() - 2);
  scratch->clear();
  scratch->reserve(read.size());
  for (size_t i = 0; i < read.size(); ++i) {
    char c = read[i];
    if (c == '\\' && i + 1 < read.size()) {
      char next = read[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        scratch->push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
        ++i;
        continue;
      }
    }
    scratch->push_back(c);
  }
  return *scratch;
}

std::string EscapeMarkerKey(std::string_view key) {
  std::string marker(key);
  marker += "Escaped";
  return marker;
}

}  // namespace tiz
