#include "imagetree/ZoomDpi.h"

#include <cmath>
#include <limits>

namespace tiz {

namespace {

struct ResolutionBit {
  uint32_t bit;
  int32_t dpi;
};

// In ascending resolution; the 500 dpi bit is out of sequence.
constexpr ResolutionBit kResolutions[] = {
    {0x0001, 75},  {0x0002, 100}, {0x0004, 150}, {0x0008, 200}, {0x0010, 240},
    {0x0020, 300}, {0x0040, 400}, {0x2000, 500}, {0x0080, 600},
};
// Every known resolution has room in the list.
static_assert(sizeof kResolutions / sizeof kResolutions[0] <= CZoomDPI::kMaxCount);

// Truncation toward zero into 32 unsigned bits; out-of-range values, which
// the conversion leaves undefined, saturate.
uint32_t TruncateToU32(double value) {
  if (!(value > 0)) return 0;
  if (value >= 4294967296.0) return std::numeric_limits<uint32_t>::max();
  return static_cast<uint32_t>(value);
}

}  // namespace

bool CZoomDPI::BuildList() {
  m_count = 0;
  for (const ResolutionBit &r : kResolutions) {
    if (m_dpiMask & r.bit) {
      m_dpi[m_count] = r.dpi;
      m_dpiFlag[m_count] = r.bit;
      ++m_count;
    }
  }
  return m_count > 0;
}

int32_t CZoomDPI::Choose(uint32_t target) const {
  for (int32_t i = 0; i < m_count; ++i) {
    if (static_cast<int64_t>(m_dpi[i]) >= static_cast<int64_t>(target)) return i;
  }
  return m_count - 1;
}

uint32_t CZoomDPI::TargetDpi(uint32_t zoomPercent, uint32_t destinationDpi) {
  return TruncateToU32(static_cast<double>(zoomPercent) / 100.0 *
                       static_cast<double>(destinationDpi));
}

uint32_t CZoomDPI::ZoomFor(int32_t dpi, uint32_t destinationDpi) {
  double destination = static_cast<double>(static_cast<float>(destinationDpi));
  double quotient = (destination * 10000.0 + static_cast<double>(dpi / 2)) / dpi;
  // The quotient passes through single precision, as the scale always has.
  return TruncateToU32(static_cast<double>(static_cast<float>(quotient)));
}

}  // namespace tiz
