// Lead bytes where no platform code page exists: the library emulates the
// double-byte page a host selects with TIZ_CODEPAGE (1252, single-byte, by
// default), so that multibyte names behave the same on every platform.
#include <cstdlib>

#include "platform/Native.h"

namespace tiz::platform::native {

namespace {

int ReadCodePage() {
  const char *value = std::getenv("TIZ_CODEPAGE");
  return value ? std::atoi(value) : 1252;
}

}  // namespace

bool IsLeadByteOfProcessCodePage(unsigned char byte) {
  static const int codePage = ReadCodePage();
  switch (codePage) {
    case 932:  // Shift-JIS
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      return byte >= 0x81 && byte <= 0xFE;
    default:  // 1252 and every other page: single-byte
      return false;
  }
}

}  // namespace tiz::platform::native
