// Conversions through code page 1252, as Windows makes them for it, where no
// platform converts: the other code pages convert bytes 0x80-0xFF as Latin-1.
#include <cstdint>
#include <cstdlib>

#include "platform/AnsiText.h"

namespace tiz::platform {

namespace {

// Code page 1252 at 0x80-0x9F; 0 where it has no character.
constexpr char16_t kHigh1252[32] = {0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
                                    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

bool Uses1252() {
  static const bool uses = [] {
    const char *value = std::getenv("TIZ_CODEPAGE");
    return !value || std::atoi(value) == 1252;
  }();
  return uses;
}

char16_t ToUtf16(unsigned char byte) {
  if (byte >= 0x80 && byte < 0xA0 && Uses1252()) {
    char16_t mapped = kHigh1252[byte - 0x80];
    return mapped ? mapped : byte;  // undefined bytes pass through, as on Windows
  }
  return byte;
}

char ToAnsi(char16_t unit) {
  if (unit < 0x80) return static_cast<char>(unit);
  if (Uses1252()) {
    for (unsigned i = 0; i < 32; ++i) {
      if (kHigh1252[i] == unit) return static_cast<char>(0x80 + i);
    }
    if (unit < 0xA0 && kHigh1252[unit - 0x80] == 0) return static_cast<char>(unit);
    if (unit >= 0xA0 && unit <= 0xFF) return static_cast<char>(unit);
    return '?';
  }
  return unit <= 0xFF ? static_cast<char>(unit) : '?';
}

}  // namespace

std::string Utf16ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char16_t unit = text[i];
    // A surrogate pair is one character, and one '?'.
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
        text[i + 1] < 0xE000)
      ++i;
    out.push_back(ToAnsi(unit));
  }
  return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char c : text) out.push_back(ToUtf16(static_cast<unsigned char>(c)));
  return out;
}

}  // namespace tiz::platform
