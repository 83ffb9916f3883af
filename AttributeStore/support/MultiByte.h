// Byte-string helpers that respect the process's multibyte code page: a byte
// that is the second half of a double-byte character is never mistaken for a
// single-byte character such as a separator.
#ifndef TIZ_SUPPORT_MULTIBYTE_H
#define TIZ_SUPPORT_MULTIBYTE_H

#include <cstddef>
#include <string_view>

namespace tiz {

constexpr size_t kNoPosition = static_cast<size_t>(-1);

// Position of the last single-byte character equal to `byte`, or kNoPosition.
size_t ReverseFindByte(std::string_view text, unsigned char byte);

}  // namespace tiz

#endif
