// The page sides of the global bag: which side is being processed, the
// shortcuts to each side's bags, switching sides and appending a bag to a
// side's chain. Callers hold the global lock and pass a live global bag.
#ifndef TIZ_IMAGETREE_SIDES_H
#define TIZ_IMAGETREE_SIDES_H

#include <cstdint>

#include "imagetree/BagRef.h"

namespace tiz {

class CAttributeStore;

// The shortcut item for a side: "Attribute.Value" in simplex; in duplex
// "Attribute.Front_Side" when `bCurrentSide` equals the front flag (1 names
// the side being processed, 0 the other), else "Attribute.Back_Side".
int32_t UtilGetSideAttrName(CAttributeStore *globalBag, uint32_t bCurrentSide,
                            const char **sideItem);

// 1 when "Current.ImageStore" holds the same bag under "Attribute.Value" and
// "Attribute.Front_Side" (or neither), else 0; -31 when only one is present.
// The flag is written only on 0.
int32_t UtilIsCurrentFront(CAttributeStore *globalBag, uint32_t *isFront);

// Reads the side's bag of a shortcut setting with a reference for the
// caller: 0, 2 when absent (out untouched), or an error.
int32_t UtilGetShortCut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                        BagRef *out);

// Points the side's shortcut item at `bag`: only that side's item (and
// "Attribute.Value" for the side being processed) once the sides have bags
// of their own, all three items while they share one.
int32_t UtilSetShortCut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                        CAttributeStore *bag);

// Makes the front (non-zero) or back side current in duplex; nothing in
// simplex. 2 when the chosen side has no current or persistent bag.
int32_t UtilSetSide(CAttributeStore *globalBag, uint32_t bFront);

// Links a new bag below the side's current bag and makes it the side's
// current bag. On 0 *newBag receives its handle with the creation reference.
int32_t UtilAppendNewCurrentBag(CAttributeStore *globalBag, uint32_t bCurrentSide,
                                uint32_t *newBag);

// The side's current or persistent bag, with a reference for the caller, to
// *phBag on 0; 2 when the shortcut is absent (out untouched), or an error.
int32_t UtilGetCurrentBag(CAttributeStore *globalBag, uint32_t bCurrentSide, uint32_t *phBag);
int32_t UtilGetPersistentBag(CAttributeStore *globalBag, uint32_t bCurrentSide, uint32_t *phBag);

// The back-side marker the bag holds or inherits (0 without one); the flag
// is written only on 0.
int32_t UtilIsABackSideBag(CAttributeStore *bag, uint32_t *pbIsBackSide);

}  // namespace tiz

#endif
