#include "imagetree/StoredImages.h"

#include <initializer_list>

#include "core/AttributeStore.h"
#include "core/Deletion.h"
#include "core/TypedValues.h"
#include "imagetree/BagNames.h"
#include "imagetree/ImagesMatch.h"
#include "imagetree/Sides.h"
#include "tiz.h"

namespace tiz {

using namespace bagnames;

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
int32_t DeleteStoredImage(StepFrame step, uint32_t hBag, const char *group) {
  for (const char *item : {kValue, kImageCached}) {
    int32_t r = step("TIZ_DeleteSetting", hBag,
                     [&](CAttributeStore *bag) { return DeleteSetting(bag, group, item); });
    if (r < 0) return r;
  }
  return 0;
}

void ReleaseBag(StepFrame step, uint32_t hBag) {
  step("TIZ_Release", hBag, [](CAttributeStore *bag) { return bag->Release(); });
}

// The steps of UtilUpdateStoredImages up to the result; the bags it obtains
// are left in `current` and `appended` for the caller to release.
int32_t UpdateSteps(StepFrame step, uint32_t hGlobalBag, uint32_t hImage, uint32_t bCached,
                    uint32_t *current, uint32_t *appended) {
  int32_t r = step("TIZ_UtilGetCurrentBag", hGlobalBag, [&](CAttributeStore *globalBag) {
    return UtilGetCurrentBag(globalBag, 1, current);
  });
  if (r < 0) return r;
  uint32_t oldImage = 0;
  r = step("TIZ_GetSettingImage", *current,
           [&](CAttributeStore *bag) { return GetImage(bag, kImage, kValue, nullptr, &oldImage); });
  if (r < 0) return r;
  if (oldImage == hImage) return TIZ_E_SAME_IMAGE;
  uint32_t oldCached = 0;
  r = step("TIZ_GetSettingDword", *current, [&](CAttributeStore *bag) {
    return GetDword(bag, kImage, kImageCached, nullptr, &oldCached);
  });
  if (r < 0) return r;
  if (oldCached == 0) {
    // A superseded, uncached equal image is dropped, from this bag only.
    uint32_t match = 0;
    if ((r = UtilImagesMatch(oldImage, hImage, &match)) != 0) return r;
    if (match && (r = DeleteStoredImage(step, *current, kImage)) < 0) return r;
  }
  r = step("TIZ_UtilAppendNewCurrentBag", hGlobalBag, [&](CAttributeStore *globalBag) {
    return UtilAppendNewCurrentBag(globalBag, 1, appended);
  });
  if (r < 0) return r;
  TraceSetImage(*appended, hImage);
  r = step("TIZ_SetSettingImage", *appended, [&](CAttributeStore *bag) {
    return SetImage(bag, kImage, kValue, kDefaultConfidence, hImage);
  });
  if (r < 0) return r;
  return step("TIZ_SetSettingDword", *appended, [&](CAttributeStore *bag) {
    return SetDword(bag, kImage, kImageCached, kDefaultConfidence, bCached ? 1 : 0);
  });
}

}  // namespace

int32_t UtilUpdateStoredImages(StepFrame step, uint32_t hGlobalBag, uint32_t hImage,
                               uint32_t bCached) {
  uint32_t current = 0, appended = 0;
  int32_t r = UpdateSteps(step, hGlobalBag, hImage, bCached, &current, &appended);
  if (current) ReleaseBag(step, current);
  if (appended) ReleaseBag(step, appended);
  return r;
}

int32_t UtilDeleteATImage(StepFrame step, uint32_t hBag) {
  for (const char *group : kAdvancedThresholdImages) {
    if (int32_t r = DeleteStoredImage(step, hBag, group)) return r;
  }
  return 0;
}

int32_t UtilDeleteSideImage(StepFrame step, CAttributeStore *globalBag, SideImage which) {
  uint32_t front = 0;
  if (int32_t r = UtilIsCurrentFront(globalBag, &front)) return r;
  const char *group = which == SideImage::kYBitonal
                          ? (front ? "Image.For_Y_Bitonal_Front" : "Image.For_Y_Bitonal_Back")
                          : (front ? "Image_For_Y_Plane_Front" : "Image_For_Y_Plane_Back");
  return DeleteStoredImage(step, globalBag->Handle(), group);
}

}  // namespace tiz
