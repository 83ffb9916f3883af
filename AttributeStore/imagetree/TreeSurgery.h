// Taking a bag, with everything below it, out of the store that holds it,
// and moving a bag to another setting of its holder. Callers hold the global
// lock and pass live stores.
#ifndef TIZ_IMAGETREE_TREESURGERY_H
#define TIZ_IMAGETREE_TREESURGERY_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Removes the setting of `store` that holds `child` and frees `child` with
// every store linked below it (a child without settings that others still
// reference is only detached). Nothing happens when `store` does not hold
// `child`.
void UtilDeleteThisChild(CAttributeStore *store, CAttributeStore *child);

// UtilDeleteThisChild on the bag's parent: 0, or -24 for a bag without parent.
// The global bag's handle only appears in the trace.
int32_t UtilDeleteTree(CAttributeStore *bag, uint32_t globalBag);

// Refiles `child`, which `store` holds, under (group, item) as a child of
// `store`. 2, with nothing changed, when `store` does not hold it.
int32_t UtilMoveChild(CAttributeStore *store, CAttributeStore *child, const char *group,
                      const char *item);

// Frees `bag` (a chain below `store`) and puts the chain saved in `store`
// back as its successor. 2 when `store` holds no saved chain.
int32_t UtilSwapInSavedBag(CAttributeStore *store, CAttributeStore *bag);

// Frees `root` with every store linked below it, deepest first, whatever
// their counts. Allocates nothing, so it also serves cleanup paths.
void FreeBagTree(CAttributeStore *root);

// Frees a bag that nothing owns (no live parent), with its linked children;
// a bag linked below another is left to its owner.
void DiscardUnownedBag(uint32_t handle);

}  // namespace tiz

#endif
