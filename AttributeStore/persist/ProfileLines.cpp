#include "persist/ProfileLines.h"

#include <cstdint>
#include <cstring>

#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"
#include "support/Text.h"

namespace tiz {

bool HoldsLoneCr(std::string_view text) {
  // Each CR is found by the run-time library's search, which is quick on
  // the long stretches between them; a file of LF line ends has none.
  const char *at = text.data(), *end = text.data() + text.size();
  while (at != end) {
    const void *cr = std::memchr(at, '\r', static_cast<size_t>(end - at));
    if (!cr) return false;
    at = static_cast<const char *>(cr) + 1;
    if (at == end || *at != '\n') return true;
    ++at;
  }
  return false;
}

bool TextLines::NextWithLoneCr(std::string_view *line, LineEnd *end) {
  size_t at = 0;
  while (at < m_rest.size() && m_rest[at] != '\n' && m_rest[at] != '\r') ++at;
  *line = m_rest.substr(0, at);
  size_t used = at;
  if (at == m_rest.size()) {
    *end = LineEnd::kNone;
  } else if (m_rest[at] == '\n') {
    *end = LineEnd::kLf;
    used += 1;
  } else if (at + 1 < m_rest.size() && m_rest[at + 1] == '\n') {
    *end = LineEnd::kCrLf;
    used += 2;
  } else {
    *end = LineEnd::kCr;
    used += 1;
  }
  m_rest.remove_prefix(used);
  return true;
}

bool ParseHeader(std::string_view line, std::string_view *name) {
  size_t start = 0;
  while (start < line.size() && IsProfileBlank(line[start])) ++start;
  if (start == line.size() || line[start] != '[') return false;  // most lines, at once
  std::string_view text = TrimProfileBlanks(line.substr(start));
  size_t close = text.rfind(']');
  if (close == std::string_view::npos) return false;  // a key line, to the platform
  *name = TrimProfileBlanks(text.substr(1, close - 1));
  return true;
}

// The same as splitting at the first '=' and comparing the trimmed key,
// since a plain key holds no '=' and no blanks at its ends, but with no
// search for the '=' in lines of other keys.
bool MatchKeyLine(std::string_view line, std::string_view key, std::string_view *spelledKey,
                  std::string_view *value) {
  // The line as this library writes it: the key spelled alike and '=' at
  // once. A plain key starts with no blank, so the general way below would
  // find the same.
  if (line.size() > key.size() && line[key.size()] == '=' && !key.empty() &&
      std::memcmp(line.data(), key.data(), key.size()) == 0) {
    *spelledKey = line.substr(0, key.size());
    *value = TrimProfileBlanks(line.substr(key.size() + 1));
    return true;
  }
  const char *start = line.data(), *end = line.data() + line.size();
  while (start != end && IsProfileBlank(*start)) ++start;
  if (key.empty() || static_cast<size_t>(end - start) <= key.size()) return false;
  // Lines of other keys mostly differ at once; folding the first byte of
  // both is exact even for a lead byte, which folds to itself.
  if (FoldAscii(*start) != FoldAscii(key.front())) return false;
  const char *equals = start + key.size();
  if (*equals == '\0') {
    // The platform's names end at a NUL: the rest up to the '=' is no part of it.
    equals = static_cast<const char *>(std::memchr(equals, '=', static_cast<size_t>(end - equals)));
    if (!equals) return false;
  }
  while (equals != end && IsProfileBlank(*equals)) ++equals;
  if (equals == end || *equals != '=') return false;
  std::string_view candidate(start, key.size());
  if (!ProfileNamesEqual(candidate, key)) return false;
  *spelledKey = candidate;
  *value = TrimProfileBlanks(std::string_view(equals + 1, static_cast<size_t>(end - equals - 1)));
  return true;
}

bool SpellsKeyLine(std::string_view line, std::string_view key, std::string_view value) {
  return line.size() == key.size() + 1 + value.size() && line.data() == key.data() &&
         line[key.size()] == '=' && line.substr(key.size() + 1) == value;
}

bool IsBlankLine(std::string_view line) {
  for (char c : line) {
    if (!IsProfileBlank(c)) return false;
  }
  return true;
}

}  // namespace tiz
