// The lead-byte table of the process's ANSI code page, filled once from the
// platform's answer (CodePagePosix.cpp, CodePageWin32.cpp).
#include "platform/Native.h"
#include "platform/Platform.h"

namespace tiz::platform {
namespace detail {

bool g_leadBytes[256];
bool g_hasLeadBytes;

}  // namespace detail

namespace {

// Filled during the library's static initialisation, before any export can
// run.
const bool g_tableFilled = [] {
  for (unsigned b = 0; b < 256; ++b) {
    detail::g_leadBytes[b] = native::IsLeadByteOfProcessCodePage(static_cast<unsigned char>(b));
    detail::g_hasLeadBytes = detail::g_hasLeadBytes || detail::g_leadBytes[b];
  }
  return true;
}();

}  // namespace
}  // namespace tiz::platform
