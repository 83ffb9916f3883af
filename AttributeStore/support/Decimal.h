// Decimal numbers in settings texts, read one way everywhere: an optional
// sign and a run of digits, as the run-time library's parsers read them.
// Each caller then applies its own rule (the whole text or a prefix, which
// range) to the number read.
#ifndef TIZ_SUPPORT_DECIMAL_H
#define TIZ_SUPPORT_DECIMAL_H

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tiz {

struct DecimalNumber {
  bool negative = false;
  // Saturates at UINT64_MAX, so a long run of digits never wraps into a
  // small number.
  uint64_t magnitude = 0;
  // Bytes read, the sign included; 0 when no digit follows the sign.
  size_t length = 0;
};

// Reads the number at the start of `text`, stopping at the first byte that
// is not a digit.
DecimalNumber ReadDecimal(std::string_view text);

// The number's bits as a 32-bit word when it lies in the range of either
// 32-bit reading, from -2147483648 to 4294967295, so that a DWORD written
// signed and one written unsigned come back alike; false outside it.
bool DecimalToWord32(const DecimalNumber &number, uint32_t *bits);

}  // namespace tiz

#endif
