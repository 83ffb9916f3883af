#include "persist/SettingsLine.h"

#include <cstdint>
#include <cstring>

namespace tiz {

namespace {

bool IsDelimiter(char c) { return c == '=' || c == ','; }

// Whether any of eight bytes equals `byte`; exact, no carry crosses bytes
// that matter for the answer.
bool HoldsByte(uint64_t word, char byte) {
  constexpr uint64_t kOnes = 0x0101010101010101ull, kTop = 0x8080808080808080ull;
  uint64_t diff = word ^ (static_cast<unsigned char>(byte) * kOnes);
  return ((diff - kOnes) & ~diff & kTop) != 0;
}

// The first delimiter at or after `pos`, or the line's size: settings files
// run to megabytes, so words without a delimiter are passed eight bytes at
// a time.
size_t FindDelimiter(std::string_view line, size_t pos) {
  for (; pos + sizeof(uint64_t) <= line.size(); pos += sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, line.data() + pos, sizeof word);
    if (HoldsByte(word, '=') || HoldsByte(word, ',')) break;
  }
  while (pos < line.size() && !IsDelimiter(line[pos])) ++pos;
  return pos;
}

// The next run of non-delimiters at or after `pos`; false when none is left.
bool NextToken(std::string_view line, size_t *pos, std::string_view *token) {
  size_t start = *pos;
  while (start < line.size() && IsDelimiter(line[start])) ++start;
  if (start >= line.size()) {
    *pos = line.size();
    return false;
  }
  size_t end = FindDelimiter(line, start);
  *token = line.substr(start, end - start);
  *pos = end;
  return true;
}

}  // namespace

bool IsSettingsComment(std::string_view line) {
  if (line.empty()) return false;
  return line[0] == ';' || line[0] == '/' || (line.size() > 1 && line[1] == '/');
}

SettingsFields SplitSettingsLine(std::string_view line) {
  SettingsFields fields;
  size_t pos = 0;
  std::string_view token;
  if (!NextToken(line, &pos, &token)) return fields;
  fields.field[fields.count++] = token;
  size_t afterGroup = pos + 1;  // past the delimiter that ends the group
  if (!NextToken(line, &pos, &token)) return fields;
  if (token.front() == '"') {
    size_t start = line.find_first_not_of('"', afterGroup);
    if (start == std::string_view::npos) start = line.size();
    size_t close = line.find('"', start);
    if (close == std::string_view::npos) close = line.size();
    token = line.substr(start, close - start);
    pos = close == line.size() ? close : close + 1;
  }
  fields.field[fields.count++] = token;
  while (fields.count < SettingsFields::kMaxFields && NextToken(line, &pos, &token))
    fields.field[fields.count++] = token;
  return fields;
}

}  // namespace tiz
