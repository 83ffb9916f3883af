// The stored-image exports. Their steps are the library's own operations,
// each framed as its export would be (RunStep): the handle checked at every
// step, a failure reported under the step's export name.
#include "frame/Frame.h"
#include "imagetree/StoredImages.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_UtilUpdateStoredImages(uint32_t hGlobalBag, uint32_t hImage, uint32_t bCached) {
  return frame::Run(frame::kUnreported, "TIZ_UtilUpdateStoredImages", [&] {
    return UtilUpdateStoredImages(frame::RunStep, hGlobalBag, hImage, bCached);
  });
}

int32_t TIZ_API TIZ_UtilDeleteATImage(uint32_t hBag) {
  return frame::Run(frame::kUnreported, "TIZ_UtilDeleteATImage",
                    [&] { return UtilDeleteATImage(frame::RunStep, hBag); });
}

int32_t TIZ_API TIZ_UtilDeleteYBitonalImage(uint32_t hGlobalBag) {
  return frame::OnStore(frame::kSideImages, "TIZ_UtilDeleteYBitonalImage", hGlobalBag,
                        [&](CAttributeStore *globalBag) {
                          return UtilDeleteSideImage(frame::RunStep, globalBag,
                                                     SideImage::kYBitonal);
                        });
}

int32_t TIZ_API TIZ_UtilDeleteYPlaneImage(uint32_t hGlobalBag) {
  return frame::OnStore(frame::kSideImages, "TIZ_UtilDeleteYPlaneImage", hGlobalBag,
                        [&](CAttributeStore *globalBag) {
                          return UtilDeleteSideImage(frame::RunStep, globalBag, SideImage::kYPlane);
                        });
}

}  // extern "C"
