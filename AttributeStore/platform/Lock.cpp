// The global lock: a critical section on Windows (recursive by nature), a
// recursive mutex elsewhere. Placement storage keeps the platform's type out
// of the header.
#include <new>

#include "platform/Platform.h"

#ifdef _WIN32
#include <windows.h>
using NativeLock = CRITICAL_SECTION;
static void Init(NativeLock *l) { InitializeCriticalSection(l); }
static void Fini(NativeLock *l) { DeleteCriticalSection(l); }
static void Lock(NativeLock *l) { EnterCriticalSection(l); }
static void Unlock(NativeLock *l) { LeaveCriticalSection(l); }
#else
#include <mutex>
using NativeLock = std::recursive_mutex;
static void Init(NativeLock *l) { new (l) NativeLock(); }
static void Fini(NativeLock *l) { l->~NativeLock(); }
static void Lock(NativeLock *l) { l->lock(); }
static void Unlock(NativeLock *l) { l->unlock(); }
#endif

namespace tiz::platform {

static_assert(sizeof(NativeLock) <= 64, "lock storage too small");

RecursiveLock::RecursiveLock() { Init(reinterpret_cast<NativeLock *>(storage_)); }
RecursiveLock::~RecursiveLock() { Fini(reinterpret_cast<NativeLock *>(storage_)); }
void RecursiveLock::Enter() { Lock(reinterpret_cast<NativeLock *>(storage_)); }
void RecursiveLock::Leave() { Unlock(reinterpret_cast<NativeLock *>(storage_)); }

}  // namespace tiz::platform
