// The scanner resolutions a mask supports, ascending, and the choice of one
// for a zoomed scan with the zoom that brings it to the destination.
#ifndef TIZ_IMAGETREE_ZOOMDPI_H
#define TIZ_IMAGETREE_ZOOMDPI_H

#include <cstdint>

namespace tiz {

class CZoomDPI {
 public:
  explicit CZoomDPI(uint32_t dpiMask) : m_dpiMask(dpiMask) {}
  ~CZoomDPI() = default;

  // Fills the list from the mask, in ascending resolution; false when the
  // mask holds none of the known resolution bits.
  bool BuildList();
  // The first resolution that reaches `target`, else the highest; the list
  // must not be empty. Returns its list index.
  int32_t Choose(uint32_t target) const;

  // Scan resolution for a zoom (percent) of a destination resolution.
  static uint32_t TargetDpi(uint32_t zoomPercent, uint32_t destinationDpi);
  // Scale from `dpi` to the destination in hundredths of a percent, rounded
  // half up.
  static uint32_t ZoomFor(int32_t dpi, uint32_t destinationDpi);

  static constexpr int32_t kMaxCount = 20;
  uint32_t m_dpiMask;
  int32_t m_dpi[kMaxCount] = {};
  uint32_t m_dpiFlag[kMaxCount] = {};
  int32_t m_count = 0;
};

}  // namespace tiz

#endif
