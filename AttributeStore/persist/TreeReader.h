// Loading a tree file's document into a store.
#ifndef TIZ_PERSIST_TREEREADER_H
#define TIZ_PERSIST_TREEREADER_H

#include <cstdint>

#include "persist/ProfileDocument.h"
#include "persist/SectionSource.h"
#include "persist/SettingSection.h"

namespace tiz {

class CAttribute;
class CAttributeStore;

// Told what a load passes over, for a tool that explains a file; a load
// without one reports nothing but its result. Each section that fails is
// named once with its code and fault, a section whose name lacks its owner,
// group or item included (-180); each well-formed section whose owner is no
// store the load made (left from an earlier save, or below a setting that
// holds no store) is named as of no store. Sections are named by the
// source's numbers (a document's section numbers), in no particular order.
class LoadObserver {
 public:
  virtual void SectionFailed(uint32_t section, int32_t code, const SectionFault &fault) = 0;
  virtual void SectionOfNoStore(uint32_t section) = 0;

 protected:
  ~LoadObserver() = default;
};

// Loads into `store` the sections whose owner path is the store's name, in
// file order; an ATTRIBUTESTORE section brings a new store, named after the
// section and loaded from its own sections, linked to its holder as the
// section says. A key the store already holds keeps its setting. A failing
// section is skipped, and a setting whose nested store failed is dropped
// with all that was loaded into it. The result is the code of the last
// failing section in file order, where a section name without owner, group
// or item (-180) fails the walk of every store. A source whose read failed
// loads nothing and answers its Status.
int32_t DeserializeStore(CAttributeStore *store, SectionSource &source,
                         LoadObserver *observer = nullptr);
// The same from a document.
int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc,
                         LoadObserver *observer = nullptr);

}  // namespace tiz

#endif
