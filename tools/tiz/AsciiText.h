// ASCII text rules of the tool's input: letter case and blanks as the
// library's settings files and names know them, whatever the locale.
#ifndef TIZ_TOOL_ASCIITEXT_H
#define TIZ_TOOL_ASCIITEXT_H

#include <string_view>

namespace tiztool {

constexpr char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

constexpr bool IsAsciiBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

inline bool EqualsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// 0 to 15, or -1 for a byte that is no hex digit.
constexpr int HexDigit(char c) {
  return c >= '0' && c <= '9'   ? c - '0'
         : c >= 'a' && c <= 'f' ? c - 'a' + 10
         : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                : -1;
}

}  // namespace tiztool

#endif
