// Settings files line by line, as the library's load reads them.
#include <algorithm>

#include "core/Names.h"
#include "frame/Frame.h"
#include "inspect/TreeInspection.h"
#include "persist/SettingsFile.h"
#include "persist/SettingsLine.h"

namespace tiz::inspect {

bool IsSettingsComment(std::string_view line) { return tiz::IsSettingsComment(line); }

size_t SplitSettingsLine(std::string_view line, std::string_view (&fields)[kSettingsLineFields]) {
  static_assert(kSettingsLineFields == SettingsFields::kMaxFields);
  SettingsFields split = tiz::SplitSettingsLine(line);
  std::copy(split.field, split.field + kSettingsLineFields, fields);
  return split.count;
}

SettingKey StoredKeyOf(std::string_view group, std::string_view item) {
  KeyNames names = KeyNamesOf(group, item);
  return {std::string(names.group), std::string(names.item)};
}

struct SettingsLineLoader::Texts {
  SettingsLineTexts texts;
};

SettingsLineLoader::SettingsLineLoader() : m_texts(std::make_unique<Texts>()) {}
SettingsLineLoader::~SettingsLineLoader() = default;

int32_t SettingsLineLoader::Apply(uint32_t store, std::string_view line) {
  frame::LockScope lock;
  return ParseSettingsLine(store, line, &m_texts->texts);
}

}  // namespace tiz::inspect
