#include "persist/DoubleText.h"

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace tiz {

namespace {

// snprintf costs thousands of instructions per value and a save may format
// tens of thousands; std::to_chars gives the same text for a fraction, as
// long as printf would print a '.' and spells exponents alike. Infinities
// and NaNs, whose spellings differ between run-time libraries, always go to
// snprintf.
bool PointIsDot() {
  const char *point = std::localeconv()->decimal_point;
  return point[0] == '.' && point[1] == '\0';
}

std::string_view ToChars(double value, char (&buffer)[kDoubleTextRoom], int precision) {
  auto result = std::to_chars(buffer, buffer + kDoubleTextRoom, value,
                              std::chars_format::scientific, precision);
  return std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
}

// The shortest text that reads back identically.
std::string_view ShortestToChars(double value, char (&buffer)[kDoubleTextRoom]) {
  auto result =
      std::to_chars(buffer, buffer + kDoubleTextRoom, value, std::chars_format::scientific);
  return std::string_view(buffer, static_cast<size_t>(result.ptr - buffer));
}

std::string_view Printf(double value, char (&buffer)[kDoubleTextRoom], int precision) {
  std::snprintf(buffer, kDoubleTextRoom, "%.*e", precision, value);
  return std::string_view(buffer);
}

// Some Windows run-time libraries print three exponent digits: their printf
// is asked once, while the point is '.', whether it agrees.
bool PrintfAgreesWithToChars() {
  static const bool agrees = [] {
    for (double probe : {0.25, -1234.5678, 6.02214076e23, 1e-300}) {
      char printed[kDoubleTextRoom], converted[kDoubleTextRoom];
      if (Printf(probe, printed, 6) != ToChars(probe, converted, 6)) return false;
    }
    return true;
  }();
  return agrees;
}

}  // namespace

std::string_view FormatDoubleE(double value, char (&buffer)[kDoubleTextRoom]) {
  // Infinities and NaNs have no shorter spelling.
  if (!std::isfinite(value)) return Printf(value, buffer, 6);
  if (PointIsDot() && PrintfAgreesWithToChars()) return ShortestToChars(value, buffer);
  return FormatDoubleEByPrintf(value, buffer);
}

// The fewest digits after the point that the run-time library reads back as
// the value; 16 (17 significant) always do.
std::string_view FormatDoubleEByPrintf(double value, char (&buffer)[kDoubleTextRoom]) {
  for (int precision = 0; precision < 16; ++precision) {
    Printf(value, buffer, precision);
    if (std::strtod(buffer, nullptr) == value) return std::string_view(buffer);
  }
  return Printf(value, buffer, 16);
}

}  // namespace tiz
