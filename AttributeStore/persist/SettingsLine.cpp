#include "persist/SettingsLine.h"

namespace tiz {

namespace {

constexpr std::string_view kDelimiters = "=,";

// The next run of non-delimiters at or after `pos`; false when none is left.
bool NextToken(std::string_view line, size_t *pos, std::string_view *token) {
  size_t start = line.find_first_not_of(kDelimiters, *pos);
  if (start == std::string_view::npos) {
    *pos = line.size();
    return false;
  }
  size_t end = line.find_first_of(kDelimiters, start);
  if (end == std::string_view::npos) end = line.size();
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
