// Byte-text helpers used across the library: one of each.
#ifndef TIZ_SUPPORT_TEXT_H
#define TIZ_SUPPORT_TEXT_H

#include <cstddef>
#include <string_view>

namespace tiz {

// A caller's text, with null read as empty.
inline std::string_view TextOrEmpty(const char *text) { return text ? text : ""; }

// The byte with ASCII capitals lowered; every other byte (multibyte ones
// included) as it is.
constexpr char FoldAscii(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// The white space of the C locale, which the run-time library's number
// parsers skip; fixed, so that a host's locale cannot change how a file reads.
constexpr bool IsAsciiSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Equal apart from the case of ASCII letters.
inline bool EqualsIgnoringAsciiCase(std::string_view a, std::string_view b) noexcept {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
  }
  return true;
}

// Upper-case hexadecimal digits by value, and the value of a digit of either
// case (-1 for any other byte).
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace tiz

#endif
