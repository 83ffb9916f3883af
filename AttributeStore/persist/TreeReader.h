// Loading a tree file's document into a store.
#ifndef TIZ_PERSIST_TREEREADER_H
#define TIZ_PERSIST_TREEREADER_H

#include <cstdint>

#include "persist/ProfileDocument.h"

namespace tiz {

class CAttribute;
class CAttributeStore;

// Loads into `store` the sections whose owner path is the store's name, in
// file order; an ATTRIBUTESTORE section brings a new store, named after the
// section and loaded from its own sections, as a plain link (no parent). A
// key the store already holds keeps its setting. A failing section is
// skipped, and a setting whose nested store failed is dropped with all that
// was loaded into it. The result is the code of the last failing section in
// file order, where a section name without owner, group or item (-180)
// fails the walk of every store.
int32_t DeserializeStore(CAttributeStore *store, const ProfileDocument &doc);

// Reads one section into a fresh setting: size, type and value. An
// ATTRIBUTESTORE setting is left without a store for the caller to make.
// IMAGE and USERDEFINED values come back as inert numbers.
int32_t DeserializeAttribute(CAttribute &attr, const ProfileDocument &doc,
                             ProfileDocument::SectionNumber section);

}  // namespace tiz

#endif
