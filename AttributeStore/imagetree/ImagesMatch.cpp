#include "imagetree/ImagesMatch.h"

#include "imagelib/ImageLibrary.h"

namespace tiz {

namespace {
constexpr uint32_t kFirstProperty = 26;
constexpr uint32_t kSecondProperty = 25;
}  // namespace

int32_t UtilImagesMatch(uint32_t imageA, uint32_t imageB, uint32_t *match) {
  uint32_t error = 0;
  if (imageA == 0 || imageB == 0) {
    *match = 0;
    return 0;
  }
  uint16_t a = imagelib::GetImageProperty(imageA, kFirstProperty, &error);
  if (error) return static_cast<int32_t>(error);
  uint16_t b = imagelib::GetImageProperty(imageB, kFirstProperty, &error);
  if (error) return static_cast<int32_t>(error);
  if (a != b) {
    *match = 0;
    return 0;
  }
  a = imagelib::GetImageProperty(imageA, kSecondProperty, &error);
  b = imagelib::GetImageProperty(imageB, kSecondProperty, &error);
  if (error) return static_cast<int32_t>(error);
  *match = a == b ? 1 : 0;
  return 0;
}

}  // namespace tiz
