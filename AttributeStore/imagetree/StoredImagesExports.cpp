// The stored-image exports. They read, write and delete through the library's
// own exports, re-entering the recursive global lock, so every step checks
// its handle as a caller's call would; only the side test of the two
// side-image deletions is internal.
#include <initializer_list>

#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "imagetree/BagNames.h"
#include "imagetree/ImagesMatch.h"
#include "imagetree/Sides.h"
#include "tiz.h"

using namespace tiz;
using namespace tiz::bagnames;

namespace {

constexpr const char kImage[] = "Image";
constexpr const char kImageCached[] = "Attribute.Image_Cached";

constexpr const char *kAdvancedThresholdImages[] = {
    "AdvancedThreshold.Image_AdvancedThreshold_Input_FullPage",
    "AdvancedThreshold.Image_AdvancedThreshold_Input_ReducedPage",
    "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_One",
    "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_Two",
    "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_MaskPlus",
    "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FirstSmall",
    "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_OtherSmall",
};

// Deletes the image and its cached flag under `group`: the first negative
// result, else 0.
int32_t DeleteStoredImage(uint32_t hBag, const char *group) {
  for (const char *item : {kValue, kImageCached}) {
    int32_t r = TIZ_DeleteSetting(hBag, group, item);
    if (r < 0) return r;
  }
  return 0;
}

// The image of the current side among a front and a back group of the
// global bag.
int32_t DeleteSideImage(const char *exportName, uint32_t hGlobalBag, const char *frontGroup,
                        const char *backGroup) {
  return frame::Run(exportName, [&]() -> int32_t {
    uint32_t front = 0;
    // An invalid handle reaches the side test as null, which answers -108.
    if (int32_t r = UtilIsCurrentFront(frame::CheckStoreHandle(hGlobalBag), &front)) return r;
    return DeleteStoredImage(hGlobalBag, front ? frontGroup : backGroup);
  });
}

// The steps of TIZ_UtilUpdateStoredImages up to the result; the bags it
// obtains are left in `current` and `appended` for the caller to release.
int32_t UpdateStoredImages(uint32_t hGlobalBag, uint32_t hImage, uint32_t bCached,
                           uint32_t *current, uint32_t *appended) {
  int32_t r = TIZ_UtilGetCurrentBag(hGlobalBag, 1, current);
  if (r < 0) return r;
  uint32_t oldImage = 0;
  if ((r = TIZ_GetSettingImage(*current, kImage, kValue, &oldImage)) < 0) return r;
  if (oldImage == hImage) return TIZ_E_SAME_IMAGE;
  uint32_t oldCached = 0;
  if ((r = TIZ_GetSettingDword(*current, kImage, kImageCached, &oldCached)) < 0) return r;
  if (oldCached == 0) {
    // A superseded, uncached equal image is dropped, from this bag only.
    uint32_t match = 0;
    if ((r = UtilImagesMatch(oldImage, hImage, &match)) != 0) return r;
    if (match && (r = DeleteStoredImage(*current, kImage)) < 0) return r;
  }
  if ((r = TIZ_UtilAppendNewCurrentBag(hGlobalBag, 1, appended)) < 0) return r;
  if ((r = TIZ_SetSettingImage(*appended, kImage, kValue, hImage)) < 0) return r;
  return TIZ_SetSettingDword(*appended, kImage, kImageCached, bCached ? 1 : 0);
}

}  // namespace

extern "C" {

int32_t TIZ_API TIZ_UtilUpdateStoredImages(uint32_t hGlobalBag, uint32_t hImage, uint32_t bCached) {
  frame::LockScope lock;
  uint32_t current = 0, appended = 0;
  int32_t r = UpdateStoredImages(hGlobalBag, hImage, bCached, &current, &appended);
  if (current) TIZ_Release(current);
  if (appended) TIZ_Release(appended);
  return r;
}

int32_t TIZ_API TIZ_UtilDeleteATImage(uint32_t hBag) {
  frame::LockScope lock;
  for (const char *group : kAdvancedThresholdImages) {
    if (int32_t r = DeleteStoredImage(hBag, group)) return r;
  }
  return 0;
}

int32_t TIZ_API TIZ_UtilDeleteYBitonalImage(uint32_t hGlobalBag) {
  return DeleteSideImage("TIZ_UtilDeleteYBitonalImage", hGlobalBag, "Image.For_Y_Bitonal_Front",
                         "Image.For_Y_Bitonal_Back");
}

int32_t TIZ_API TIZ_UtilDeleteYPlaneImage(uint32_t hGlobalBag) {
  return DeleteSideImage("TIZ_UtilDeleteYPlaneImage", hGlobalBag, "Image_For_Y_Plane_Front",
                         "Image_For_Y_Plane_Back");
}

}  // extern "C"
