// Saving a tree of stores into a tree file's document.
#ifndef TIZ_PERSIST_TREEWRITER_H
#define TIZ_PERSIST_TREEWRITER_H

#include <cstdint>
#include <string_view>

namespace tiz {

class CAttribute;
class CAttributeStore;
class ProfileDocument;

// Writes every setting of `store` in key-list order, each nested store's
// settings right after the setting that holds it, under the section name of
// that setting: a store is saved by the path through which the save reaches
// it, whatever name its last link gave it. A store reached a second time
// (held twice, or holding one of its holders) is not written again: its
// later places name the first one. A setting whose group or item cannot be
// part of a section name (a line break, the separator byte), or that would
// share a section with an earlier setting of its store (names equal but for
// letter case), is skipped with what it holds; every other setting is
// written, and the result is then -24.
int32_t SerializeStore(CAttributeStore *store, ProfileDocument &doc);

// Writes one setting's section: "Size", "Type" and, by type, "Value". For an
// ATTRIBUTESTORE value *nested receives the store it names, when alive.
void SerializeAttribute(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                        CAttributeStore **nested);

}  // namespace tiz

#endif
