// Tree files: a store and its nested stores saved to, and restored from, one
// profile file in the configured directory. The path is resolved once per
// export; nested stores share it, since resolving it again from its last
// component gives the same path.
#ifndef TIZ_PERSIST_TREEFILE_H
#define TIZ_PERSIST_TREEFILE_H

#include <cstdint>
#include <string_view>

namespace tiz {

class CAttributeStore;

// Reads the file once, writes the tree's sections into it in memory and
// replaces the file once. A failing setting ends the save with its code; the
// sections written before it are still saved.
int32_t SaveTreeFile(CAttributeStore *store, std::string_view fileName);

// Reads the file once, section by section, and loads the tree from it into
// `store`.
int32_t LoadTreeFile(CAttributeStore *store, std::string_view fileName);

}  // namespace tiz

#endif
