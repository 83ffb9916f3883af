// Loading a tree file's document into a store.
#ifndef TIZ_PERSIST_TREEREADER_H
#define TIZ_PERSIST_TREEREADER_H

#include <cstdint>
#include <string_view>

#include "persist/ProfileDocument.h"

namespace tiz {

class CAttribute;
class CAttributeStore;

// Why a section does not load: the key at fault (empty for the section as a
// whole) and what is wrong, in words that follow the section's name ("has no
// Type").
struct SectionFault {
  std::string_view key;
  const char *reason = "";
};

// Told what a load passes over, for a tool that explains a file; a load
// without one reports nothing but its result. Each section that fails is
// named once with its code and fault, a section whose name lacks its owner,
// group or item included (-180); each well-formed section whose owner is no
// store the load made (left from an earlier save, or below a setting that
// holds no store) is named as of no store. Called in no particular order.
class LoadObserver {
 public:
  virtual void SectionFailed(ProfileDocument::SectionNumber section, int32_t code,
                             const SectionFault &fault) = 0;
  virtual void SectionOfNoStore(ProfileDocument::SectionNumber section) = 0;

 protected:
  ~LoadObserver() = default;
};

// Loads into `store` the sections whose owner path is the store's name, in
// file order; an ATTRIBUTESTORE section brings a new store, named after the
// section and loaded from its own sections, as a plain link (no parent). A
// key the store already holds keeps its setting. A failing section is
// skipped, and a setting whose nested store failed is dropped with all that
// was loaded into it. The result is the code of the last failing section in
// file order, where a section name without owner, group or item (-180)
// fails the walk of every store.
int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc,
                         LoadObserver *observer = nullptr);

// Reads one section into a fresh setting: size, type and value. An
// ATTRIBUTESTORE setting is left without a store for the caller to make.
// IMAGE and USERDEFINED values come back as inert numbers. A failure's fault
// goes to `fault` when given.
int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section, SectionFault *fault = nullptr);

}  // namespace tiz

#endif
