#include "SettingsCheck.h"

#include <cstdlib>
#include <string>

#include "AsciiText.h"
#include "StoreRef.h"
#include "StoreView.h"
#include "TreeInspection.h"
#include "ValueText.h"

namespace tiztool {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && IsAsciiBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiBlank(text.back())) text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Whether the whole value reads as a number of the type: the load reads
// the number its first characters make and ignores the rest.
bool IsWholeDword(std::string_view value) {
  value = TrimBlanks(value);
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) value.remove_prefix(1);
  if (value.empty() || value.size() > 10) return false;
  for (char c : value) {
    if (!IsDigit(c)) return false;
  }
  return true;
}

// A DWORD written as more than 32 bits allow: the load keeps its low bits.
bool OutOfDwordRange(std::string_view value) {
  value = TrimBlanks(value);
  bool negative = !value.empty() && value.front() == '-';
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) value.remove_prefix(1);
  long long number = std::strtoll(std::string(value).c_str(), nullptr, 10);
  return negative ? number > 2147483648LL : number > 4294967295LL;
}

bool IsWholeDouble(std::string_view value) {
  std::string text(TrimBlanks(value));
  char *end = nullptr;
  std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size();
}

size_t Offset(std::string_view line, std::string_view field) {
  return static_cast<size_t>(field.data() - line.data());
}

// Why the line stores something other than it says; empty when it does not.
using Fields = std::string_view[tiz::inspect::kSettingsLineFields];

std::string Reasons(std::string_view line, const Fields &field, size_t count) {
  std::vector<std::string> reasons;
  for (size_t i = 0; i + 1 < count; ++i) {
    size_t from = Offset(line, field[i]) + field[i].size();
    size_t delimiters = 0;
    for (size_t at = from; at < Offset(line, field[i + 1]); ++at)
      delimiters += line[at] == '=' || line[at] == ',';
    if (delimiters > 1) {
      reasons.push_back(
          "an empty field (delimiters in a row count as one, so the fields after it move up "
          "a place)");
      break;
    }
  }
  std::string_view value = field[1];
  size_t valueAt = Offset(line, value);
  if (valueAt > 0 && line[valueAt - 1] == '"' && valueAt + value.size() == line.size())
    reasons.push_back(
        "the quote before the value is never closed, so the value runs to the end "
        "of the line");
  std::string_view type = field[3];
  bool isDouble = EqualsIgnoringCase(type, "double");
  bool isDword = !isDouble && type != "string" && type != "filebuffer";
  if (isDword && !type.empty())
    reasons.push_back("the type word \"" + Printable(type) +
                      "\" is none the load knows (double in any letter case, string and "
                      "filebuffer in lower case), so the line stores a DWORD");
  if ((isDword && !IsWholeDword(value)) || (isDouble && !IsWholeDouble(value))) {
    reasons.push_back("the value \"" + Printable(value) +
                      "\" is no number; the load reads what its first characters say, or 0");
  } else if (isDword && OutOfDwordRange(value)) {
    reasons.push_back("the value " + std::string(TrimBlanks(value)) +
                      " does not fit 32 bits; the load keeps the low 32");
  }
  std::string joined;
  for (const std::string &reason : reasons) joined += (joined.empty() ? "" : "; ") + reason;
  return joined;
}

// "stores the DWORD 0 in Group/Item: REASONS", read back from the scratch
// store the line was applied to.
std::string Change(uint32_t scratch, std::string_view line) {
  if (tiz::inspect::IsSettingsComment(line)) return {};
  Fields field;
  size_t count = tiz::inspect::SplitSettingsLine(line, field);
  if (count < 2) return {};
  std::string reasons = Reasons(line, field, count);
  if (reasons.empty()) return {};
  // Named as the store holds it: an empty item is "Value".
  SettingKey key = tiz::inspect::StoredKeyOf(field[0], field[2]);
  SettingView setting;
  std::string stored;
  if (ReadSetting(scratch, key, "", &setting) == 0)
    stored = "the " + TypeKeyword(setting.type) + " " + ShownValue(setting) + " in ";
  return "stores " + stored + TerminalText(key.group + "/" + key.item) + ": " + reasons;
}

}  // namespace

std::vector<SettingsLineNote> CheckSettingsText(std::string_view text) {
  std::vector<SettingsLineNote> notes;
  StoreRef scratch = StoreRef::Create();
  tiz::inspect::SettingsLineLoader loader;
  // Walked as the library's load walks it: after an editor's byte order
  // mark, blanks and empty lines skipped, a CR before the LF dropped.
  std::string_view rest = text;
  if (rest.substr(0, kUtf8Bom.size()) == kUtf8Bom) rest.remove_prefix(kUtf8Bom.size());
  size_t number = 1;
  for (;;) {
    while (!rest.empty() && IsAsciiBlank(rest.front())) {
      if (rest.front() == '\n') ++number;
      rest.remove_prefix(1);
    }
    if (rest.empty()) return notes;
    size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline);
    if (newline != std::string_view::npos && !line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    int32_t result = loader.Apply(scratch.Get(), line);
    SettingsLineNote note{number, std::string(line), result, {}};
    if (result == 0) note.change = Change(scratch.Get(), line);
    if (result != 0 || !note.change.empty()) notes.push_back(std::move(note));
    if (result != 0) return notes;
  }
}

}  // namespace tiztool
