// The native mutex on Windows: a critical section in the mutex's storage.
#include <windows.h>

#include "platform/Platform.h"

namespace tiz::platform {

namespace {

static_assert(sizeof(CRITICAL_SECTION) <= 64, "lock storage too small");

CRITICAL_SECTION *SectionIn(unsigned char *storage) {
  return reinterpret_cast<CRITICAL_SECTION *>(storage);
}

}  // namespace

NativeMutex::NativeMutex() { InitializeCriticalSection(SectionIn(m_storage)); }
NativeMutex::~NativeMutex() { DeleteCriticalSection(SectionIn(m_storage)); }
void NativeMutex::Enter() { EnterCriticalSection(SectionIn(m_storage)); }
void NativeMutex::Leave() { LeaveCriticalSection(SectionIn(m_storage)); }

}  // namespace tiz::platform
