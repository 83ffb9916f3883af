// The page tree's lifecycle: building a fresh tree per page, tearing it down,
// and setting part of a side's chain aside and bringing it back. Callers
// hold the global lock and pass live stores.
#ifndef TIZ_IMAGETREE_IMAGETREE_H
#define TIZ_IMAGETREE_IMAGETREE_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

// Makes the front side current and records the front bag (and in duplex the
// back bag) in the shortcut setting `group`.
int32_t UtilSetSidePair(CAttributeStore *globalBag, uint32_t duplex, const char *group,
                        CAttributeStore *frontBag, CAttributeStore *backBag);

// New persistent and first current bags per side under the UI bag, front
// side current; the previous page's bags are freed. 2 without a "ui.bag".
int32_t ReInitImageTree(CAttributeStore *globalBag);

// Frees the persistent, defaults and trap bags with their trees, then the
// global bag itself; the UI bag and other stores it holds stay.
int32_t DestroyImageTree(CAttributeStore *globalBag);

// Keeps the side's chain below `bag` as the saved tree and gives the side a
// new, empty current bag there.
int32_t SaveCurrentImageTree(CAttributeStore *globalBag, CAttributeStore *bag);

// Frees `bag` (whose parent holds a saved tree) with everything below it,
// puts the saved tree back and makes its last bag current. -24 for a bag
// without parent, 2 without a saved tree, -149 when nothing is below.
int32_t RestoreSavedImageTree(CAttributeStore *globalBag, CAttributeStore *bag);

}  // namespace tiz

#endif
