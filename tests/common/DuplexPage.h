// A full duplex page for the tests that run every image-tree operation under
// adverse conditions (failing allocations, re-entering callbacks): images in
// both chains, the back chain saved once with a bag appended after the save,
// and a defaults bag with an image, owned by the global bag.
#ifndef TIZ_TESTS_DUPLEXPAGE_H
#define TIZ_TESTS_DUPLEXPAGE_H

#include <gtest/gtest.h>

#include <cstdint>
#include <utility>

#include "BagTestSupport.h"
#include "talb310.h"
#include "tiz.h"

namespace tiz_test {

struct DuplexPage {
  uint32_t global = 0, ui = 0;
  uint32_t frontPersistent = 0, savedReplacement = 0;
  uint32_t nextImage = 0;  // what the stored-image operation stores

  DuplexPage() {
    TIZ_Create(&global);
    TIZ_Create(&ui);
    TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui);
    uint32_t defaults = 0;
    TIZ_Create(&defaults);
    TIZ_SetSettingAttrStoreChild(global, "defaults.bag", kValue, defaults);
    TIZ_SetSettingImage(defaults, "Image", kValue, TALB_CreateImage(5, 5));
    TIZ_Release(defaults);
    TIZ_SetSettingDword(global, "scan_duplex", kValue, 1);
    TIZ_UtilReInitImageTree(global);
    frontPersistent = Named(global, kPIS, kFront);
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(1, 1), 0);
    TIZ_UtilSetSide(global, 0);
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(2, 2), 1);
    TIZ_UtilSaveCurrentImageTree(global, Named(global, kPIS, kValue));
    savedReplacement = Named(global, kCIS, kValue);
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(3, 3), 0);
    nextImage = TALB_CreateImage(3, 3);  // equal to the last one: replaces it
  }
  // Destroys the tree (as a duplex one, whatever an operation made of the
  // flag), gives back the UI bag and an image the page never stored.
  void Free() {
    if (Alive(global)) {
      TIZ_SetSettingDword(global, "scan_duplex", kValue, 1);
      EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
    }
    for (int i = 0; i < 100000 && TIZ_Release(ui) == 0; ++i) {
    }
    if (TALB_ReleaseCount(nextImage) == 0) TALB_ReleaseImage(nextImage);
  }
};

// Every image-tree operation, each on a page, by name.
using PageOperation = int32_t (*)(DuplexPage &);
inline const std::pair<const char *, PageOperation> (&PageOperations())[8] {
  static const std::pair<const char *, PageOperation> operations[8] = {
      {"re-initialisation", [](DuplexPage &p) { return TIZ_UtilReInitImageTree(p.global); }},
      {"append",
       [](DuplexPage &p) {
         uint32_t bag = 0;
         int32_t result = TIZ_UtilAppendNewCurrentBag(p.global, 1, &bag);
         if (result == 0) TIZ_Release(bag);
         return result;
       }},
      {"side switch", [](DuplexPage &p) { return TIZ_UtilSetSide(p.global, 1); }},
      {"stored image",
       [](DuplexPage &p) { return TIZ_UtilUpdateStoredImages(p.global, p.nextImage, 0); }},
      {"save",
       [](DuplexPage &p) {
         TIZ_UtilSetSide(p.global, 1);
         return TIZ_UtilSaveCurrentImageTree(p.global, p.frontPersistent);
       }},
      {"second save",
       [](DuplexPage &p) {
         return TIZ_UtilSaveCurrentImageTree(p.global, Named(p.global, kPIS, kValue));
       }},
      {"restore",
       [](DuplexPage &p) { return TIZ_UtilRestoreSavedImageTree(p.global, p.savedReplacement); }},
      {"destruction", [](DuplexPage &p) { return TIZ_UtilDestroyImageTree(p.global); }},
  };
  return operations;
}

}  // namespace tiz_test

#endif
