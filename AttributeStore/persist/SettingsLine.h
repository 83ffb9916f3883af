// Splitting one line of a settings file into its fields:
//   group=value,item[,type[,count]]
// Fields are separated by runs of '=' and ',' (leading ones skipped). A
// value that begins with a double quote is taken from the text after the
// delimiter that ends the group: leading quotes skipped, up to the next
// quote; the fields after it follow that closing quote.
#ifndef TIZ_PERSIST_SETTINGSLINE_H
#define TIZ_PERSIST_SETTINGSLINE_H

#include <cstddef>
#include <string_view>

namespace tiz {

struct SettingsFields {
  static constexpr size_t kMaxFields = 5;
  std::string_view field[kMaxFields];  // group, value, item, type word, count
  size_t count = 0;
};

// True when the line is a comment: ';' or '/' first, or '/' second.
bool IsSettingsComment(std::string_view line);

// The line's fields, views into `line`.
SettingsFields SplitSettingsLine(std::string_view line);

}  // namespace tiz

#endif
