#include "imagelib/ImageLibrary.h"

#include "talb310.h"

namespace tiz::imagelib {

void ReleaseImage(uint32_t hImage) { TALB_ReleaseImage(hImage); }

uint16_t GetImageProperty(uint32_t hImage, uint32_t code, uint32_t *pError) {
  return TALB_GetImageProperty(hImage, code, pError);
}

}  // namespace tiz::imagelib
