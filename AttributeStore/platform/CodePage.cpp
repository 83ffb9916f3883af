// Lead-byte ranges of the double-byte ANSI code pages. On Windows the
// process's code page answers; elsewhere the library emulates the one a host
// selects, so that multibyte names behave the same on every platform.
#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <cstdlib>
#endif

namespace tiz::platform {
namespace detail {

bool g_leadBytes[256];
bool g_hasLeadBytes;

}  // namespace detail

namespace {

#ifdef _WIN32
bool IsLeadByteOfProcessCodePage(unsigned byte) {
  return IsDBCSLeadByteEx(GetACP(), static_cast<BYTE>(byte)) != 0;
}
#else
int ReadCodePage() {
  const char *value = std::getenv("TIZ_CODEPAGE");
  return value ? std::atoi(value) : 1252;
}

bool IsLeadByteOfProcessCodePage(unsigned byte) {
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
#endif

// Filled during the library's static initialisation, before any export can
// run.
const bool g_tableFilled = [] {
  for (unsigned b = 0; b < 256; ++b) {
    detail::g_leadBytes[b] = IsLeadByteOfProcessCodePage(b);
    detail::g_hasLeadBytes = detail::g_hasLeadBytes || detail::g_leadBytes[b];
  }
  return true;
}();

}  // namespace
}  // namespace tiz::platform
