// The text of a DOUBLE in a tree file: printf's "%e" (six digits after the
// point, so seven significant digits).
#ifndef TIZ_PERSIST_DOUBLETEXT_H
#define TIZ_PERSIST_DOUBLETEXT_H

#include <cstddef>
#include <string_view>

namespace tiz {

// Room for any "%e" text of a double.
constexpr size_t kDoubleTextRoom = 64;

// Writes the "%e" text of `value` into `buffer` and returns it.
std::string_view FormatDoubleE(double value, char (&buffer)[kDoubleTextRoom]);

}  // namespace tiz

#endif
