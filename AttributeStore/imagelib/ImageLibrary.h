// The two calls the store makes into the product's image library.
#ifndef TIZ_IMAGELIB_IMAGELIBRARY_H
#define TIZ_IMAGELIB_IMAGELIBRARY_H

#include <cstdint>

namespace tiz::imagelib {

// Releases an image the store owned; the handle is never used again.
void ReleaseImage(uint32_t hImage);

// Reads a 16-bit property; *pError is left 0 on success, non-zero on failure.
uint16_t GetImageProperty(uint32_t hImage, uint32_t code, uint32_t *pError);

}  // namespace tiz::imagelib

#endif
