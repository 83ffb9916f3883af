// Reading one tree-file section into a setting, and what an ATTRIBUTESTORE
// section says of its store.
#ifndef TIZ_PERSIST_SETTINGSECTION_H
#define TIZ_PERSIST_SETTINGSECTION_H

#include <cstdint>
#include <string>
#include <string_view>

#include "persist/ProfileDocument.h"
#include "persist/SectionSource.h"

namespace tiz {

class CAttribute;

// Why a section does not load: the key at fault (empty for the section as a
// whole) and what is wrong, in words that follow the section's name ("has no
// Type").
struct SectionFault {
  std::string_view key;
  const char *reason = "";
};

// Reads the section into a fresh setting: size, type and value. An
// ATTRIBUTESTORE setting is left without a store for the caller to make.
// IMAGE and USERDEFINED values come back as inert numbers. A failure's fault
// goes to `fault` when given.
int32_t ReadSettingSection(CAttribute &attr, const SectionSource &section,
                           SectionFault *fault = nullptr);
// The same for a section of a document.
int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section, SectionFault *fault = nullptr);

// The keys of an ATTRIBUTESTORE section beyond its type: the place whose
// store it shares (empty for a store of its own), and whether its store is
// linked as the child of the store holding it.
struct StorePlaceKeys {
  explicit StorePlaceKeys(const SectionSource &section);

  std::string_view sameStoreAs;
  bool childLink = false;

 private:
  std::string m_scratch[2];
};

}  // namespace tiz

#endif
