// Settings files line by line, as the library's load reads them.
#include "core/Names.h"
#include "frame/Frame.h"
#include "inspect/TreeInspection.h"
#include "persist/SettingsFile.h"
#include "persist/SettingsLine.h"

namespace tiz::inspect {

bool IsSettingsComment(std::string_view line) { return tiz::IsSettingsComment(line); }

SettingsLineFields SplitSettingsLine(std::string_view line) {
  SettingsFields fields = tiz::SplitSettingsLine(line);
  SettingsLineFields split;
  static_assert(SettingsLineFields::kMaxFields == SettingsFields::kMaxFields);
  for (size_t i = 0; i < SettingsFields::kMaxFields; ++i) split.field[i] = fields.field[i];
  split.count = fields.count;
  return split;
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
