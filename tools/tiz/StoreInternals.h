// What the tool reads of a store beyond the C interface, from the library it
// links statically: the keys a store holds (iteration lists groups only), a
// store's name (the section prefix its settings are saved under), and the
// library's own tree-file load and save on a document in memory. Each call
// holds the library's lock, as an export would.
#ifndef TIZ_TOOL_STOREINTERNALS_H
#define TIZ_TOOL_STOREINTERNALS_H

#include <cstdint>
#include <string>
#include <vector>

#include "persist/ProfileDocument.h"

namespace tiztool {

struct SettingKey {
  std::string group;
  std::string item;
};

// The keys of the store's own settings in key-list order, split at the last
// 0x7F of each full key.
std::vector<SettingKey> KeysOfStore(uint32_t store);

// The store's name: "Root" for a root store, the section name of the
// setting it was last linked under for a nested one.
std::string NameOfStore(uint32_t store);

// The library's load of a tree file's document into `store`, renamed `name`
// first. 0, or the code of the last failing section.
int32_t LoadDocumentInto(uint32_t store, const std::string &name, const tiz::ProfileDocument &doc);

// The library's save of `store` and everything below it into `doc`.
int32_t SaveStoreInto(uint32_t store, tiz::ProfileDocument &doc);

// The library's writing of one setting's section (Size, Type, Value), under
// the store's name; the document's other sections stay as they are.
int32_t SaveSettingInto(uint32_t store, const SettingKey &key, tiz::ProfileDocument &doc);

// The result code a load of this one section gives, read as the library
// reads it (0 when it reads); its type code in *type.
int32_t ReadSectionAsLoaded(const tiz::ProfileDocument &doc, const std::string &section,
                            int32_t *type, uint32_t *size);

}  // namespace tiztool

#endif
