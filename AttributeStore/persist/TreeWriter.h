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
// settings right after the setting that holds it. A store reached a second
// time (held twice, or holding one of its holders) is not written again.
// Stops at the first failing setting with its code; what was written before
// stays in the document.
int32_t SerializeStore(CAttributeStore *store, ProfileDocument &doc);

// Writes one setting's section: "Size", "Type" and, by type, "Value". For an
// ATTRIBUTESTORE value *nested receives the store it names, when alive.
void SerializeAttribute(const CAttribute &attr, ProfileDocument &doc, std::string_view sectionName,
                        CAttributeStore **nested);

}  // namespace tiz

#endif
