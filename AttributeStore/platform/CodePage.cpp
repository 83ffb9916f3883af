// Lead-byte ranges of the double-byte ANSI code pages. On Windows the
// process's code page answers directly; elsewhere the library emulates the one
// a host selects, so that multibyte names behave the same on every platform.
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>

namespace tiz::platform {
bool IsLeadByte(unsigned char byte) { return IsDBCSLeadByteEx(GetACP(), byte) != 0; }
}  // namespace tiz::platform

#else
#include <cstdlib>

namespace tiz::platform {
namespace {

int ReadCodePage() {
  const char *value = std::getenv("TIZ_CODEPAGE");
  if (!value) return 1252;
  int page = std::atoi(value);
  switch (page) {
    case 932:
    case 936:
    case 949:
    case 950:
      return page;
    default:
      return 1252;
  }
}

const int g_codePage = ReadCodePage();

}  // namespace

bool IsLeadByte(unsigned char byte) {
  switch (g_codePage) {
    case 932:  // Shift-JIS
      return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
    case 936:  // GBK
    case 949:  // Unified Hangul
    case 950:  // Big5
      return byte >= 0x81 && byte <= 0xFE;
    default:
      return false;
  }
}

}  // namespace tiz::platform
#endif
