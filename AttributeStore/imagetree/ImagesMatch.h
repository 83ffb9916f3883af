// Whether two images are the same page image, as the image library's
// properties 26 and 25 tell.
#ifndef TIZ_IMAGETREE_IMAGESMATCH_H
#define TIZ_IMAGETREE_IMAGESMATCH_H

#include <cstdint>

namespace tiz {

// *match becomes 1 when both properties agree, 0 when they differ or either
// handle is 0; the result is 0 or the image library's error word (then
// *match is not written).
int32_t UtilImagesMatch(uint32_t imageA, uint32_t imageB, uint32_t *match);

}  // namespace tiz

#endif
