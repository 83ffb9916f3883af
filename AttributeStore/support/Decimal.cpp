#include "support/Decimal.h"

namespace tiz {

DecimalNumber ReadDecimal(std::string_view text) {
  DecimalNumber number;
  size_t at = 0;
  if (at < text.size() && (text[at] == '+' || text[at] == '-')) number.negative = text[at++] == '-';
  const size_t digitsStart = at;
  for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
    const unsigned digit = static_cast<unsigned>(text[at] - '0');
    number.magnitude =
        number.magnitude > (UINT64_MAX - digit) / 10 ? UINT64_MAX : number.magnitude * 10 + digit;
  }
  number.length = at == digitsStart ? 0 : at;
  return number;
}

bool DecimalToWord32(const DecimalNumber &number, uint32_t *bits) {
  const uint64_t limit = number.negative ? uint64_t{1} << 31 : uint64_t{UINT32_MAX};
  if (number.length == 0 || number.magnitude > limit) return false;
  const uint32_t magnitude = static_cast<uint32_t>(number.magnitude);
  *bits = number.negative ? 0u - magnitude : magnitude;
  return true;
}

}  // namespace tiz
