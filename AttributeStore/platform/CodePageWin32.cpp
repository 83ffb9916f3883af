// Lead bytes on Windows: the process's code page answers.
#include <windows.h>

#include "platform/Native.h"

namespace tiz::platform::native {

bool IsLeadByteOfProcessCodePage(unsigned char byte) {
  return IsDBCSLeadByteEx(GetACP(), static_cast<BYTE>(byte)) != 0;
}

}  // namespace tiz::platform::native
