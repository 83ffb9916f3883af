#include "persist/SettingsFile.h"

#include <cstdint>
#include <cstdlib>
#include <new>
#include <string>

#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/TypedValues.h"
#include "persist/ConfiguredPaths.h"
#include "persist/SettingsLine.h"
#include "platform/FileSystem.h"
#include "support/Decimal.h"
#include "support/Text.h"
#include "tiz.h"

namespace tiz {

namespace {

// A signed 64-bit decimal after optional blanks, saturating, stopping at the
// first non-digit (0 for no digits): the run-time library's 64-bit parse.
int64_t ParseInt64(std::string_view text) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  const DecimalNumber number = ReadDecimal(text);
  const uint64_t limit = number.negative ? uint64_t{1} << 63 : (uint64_t{1} << 63) - 1;
  const uint64_t magnitude = number.magnitude < limit ? number.magnitude : limit;
  return number.negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
}

// The byte count of a "filebuffer" line: a decimal from 0 to INT32_MAX,
// blanks allowed around it; false for anything else.
bool ParseByteCount(std::string_view text, uint32_t *count) {
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsAsciiSpace(text.back())) text.remove_suffix(1);
  const DecimalNumber number = ReadDecimal(text);
  if (number.length == 0 || number.negative || number.length != text.size() ||
      number.magnitude > INT32_MAX)
    return false;
  *count = static_cast<uint32_t>(number.magnitude);
  return true;
}

// Stores the first `countText` bytes of the file named `path`; bytes past
// the end of a shorter file are zeros. Nothing is allocated for the count
// before the file has opened. A file that cannot be opened, read or closed
// stores nothing.
int32_t SetFileBuffer(CAttributeStore *store, const char *group, const char *item,
                      const std::string &path, std::string_view countText) {
  uint32_t count = 0;
  if (!ParseByteCount(countText, &count)) return TIZ_E_INVALID_ARG;
  std::string bytes;
  if (platform::ReadFilePrefix(path.c_str(), count, &bytes) != platform::FileStatus::kOk)
    return TIZ_E_OPEN_FILE;
  bytes.resize(count, '\0');
  return SetBuffer(store, group, item, kDefaultConfidence, bytes.data(), count);
}

}  // namespace

int32_t ParseSettingsLine(uint32_t hAttrStore, std::string_view line, SettingsLineTexts *texts) {
  if (IsSettingsComment(line)) return 0;
  SettingsFields fields = SplitSettingsLine(line);
  // group=value alone names the empty item; a lone group names no value.
  if (fields.count < 2) return TIZ_E_INVALID_ARG;
  CAttributeStore *store = LookupStore(hAttrStore);
  if (!store) return TIZ_E_INVALID_HANDLE;
  std::string &group = texts->group, &value = texts->value, &item = texts->item;
  group.assign(fields.field[0]);
  value.assign(fields.field[1]);
  item.assign(fields.field[2]);
  std::string_view type = fields.field[3];
  if (EqualsIgnoringAsciiCase(type, "double"))
    return SetDouble(store, group.c_str(), item.c_str(), kDefaultConfidence,
                     std::atof(value.c_str()));
  if (type == "string")
    return SetString(store, group.c_str(), item.c_str(), kDefaultConfidence, value.c_str());
  if (type == "filebuffer")
    return SetFileBuffer(store, group.c_str(), item.c_str(), value, fields.field[4]);
  return SetDword(store, group.c_str(), item.c_str(), kDefaultConfidence,
                  static_cast<uint32_t>(ParseInt64(value)));
}

int32_t LoadSettingsFile(uint32_t hAttrStore, std::string_view fileName) {
  std::string path;
  int32_t result = ResolveSettingsPath(fileName, &path);
  if (result < 0) return result;
  if (path.empty()) return 0;
  std::string text;
  try {
    // A file that cannot be opened loads nothing; one that opened and then
    // failed (an I/O error on a read or the close) must not pass for one
    // that holds nothing, so the load reports it.
    bool opened = false;
    if (platform::ReadWholeFile(path.c_str(), &text, &opened) != platform::FileStatus::kOk)
      return opened ? TIZ_E_OPEN_FILE : 0;
  } catch (const std::bad_alloc &) {
    return TIZ_E_NO_MEMORY_LINE;
  }
  std::string_view rest = text;
  // An editor's UTF-8 byte order mark is no part of the first line.
  if (rest.substr(0, 3) == "\xEF\xBB\xBF") rest.remove_prefix(3);
  SettingsLineTexts texts;
  for (;;) {
    while (!rest.empty() && IsAsciiSpace(rest.front())) rest.remove_prefix(1);
    if (rest.empty()) return 0;
    size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline + 1);
    // Read as text: a CR before the LF ends the line with it.
    if (newline != std::string_view::npos && !line.empty() && line.back() == '\r')
      line.remove_suffix(1);
    if (int32_t r = ParseSettingsLine(hAttrStore, line, &texts)) return r;
  }
}

}  // namespace tiz
