// The text of a DOUBLE in a tree file: printf's "%e" shape (mantissa, 'e',
// signed exponent of at least two digits) with the fewest significant digits
// (at most 17) that read back as the identical value. Seven digits, as plain
// "%e" gives, would lose most of a double.
#ifndef TIZ_PERSIST_DOUBLETEXT_H
#define TIZ_PERSIST_DOUBLETEXT_H

#include <cstddef>
#include <string_view>

namespace tiz {

// Room for any "%e" text of a double.
constexpr size_t kDoubleTextRoom = 64;

// Writes the text of `value` into `buffer` and returns it.
std::string_view FormatDoubleE(double value, char (&buffer)[kDoubleTextRoom]);

// The same text of a finite value through the run-time library's printf and
// strtod alone: what FormatDoubleE gives where the decimal point is not '.'
// or printf spells exponents its own way. Kept apart so that both ways can be
// held to one text.
std::string_view FormatDoubleEByPrintf(double value, char (&buffer)[kDoubleTextRoom]);

}  // namespace tiz

#endif
