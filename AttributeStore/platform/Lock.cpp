// The native mutex under the global lock: a critical section on Windows, a
// std::mutex elsewhere; and the wait for readers that an exclusive owner
// runs, which needs the platform's way of yielding.
#include <new>
#include <thread>

#include "platform/Platform.h"
#include "platform/SharedRecursiveLock.h"

#ifdef _WIN32
#include <windows.h>
using NativeLock = CRITICAL_SECTION;
static void Init(NativeLock *lock) { InitializeCriticalSection(lock); }
static void Fini(NativeLock *lock) { DeleteCriticalSection(lock); }
static void Lock(NativeLock *lock) { EnterCriticalSection(lock); }
static void Unlock(NativeLock *lock) { LeaveCriticalSection(lock); }
#else
#include <mutex>
using NativeLock = std::mutex;
static void Init(NativeLock *lock) { new (lock) NativeLock(); }
static void Fini(NativeLock *lock) { lock->~NativeLock(); }
static void Lock(NativeLock *lock) { lock->lock(); }
static void Unlock(NativeLock *lock) { lock->unlock(); }
#endif

namespace tiz::platform {

static_assert(sizeof(NativeLock) <= 64, "lock storage too small");

NativeMutex::NativeMutex() { Init(reinterpret_cast<NativeLock *>(m_storage)); }
NativeMutex::~NativeMutex() { Fini(reinterpret_cast<NativeLock *>(m_storage)); }
void NativeMutex::Enter() { Lock(reinterpret_cast<NativeLock *>(m_storage)); }
void NativeMutex::Leave() { Unlock(reinterpret_cast<NativeLock *>(m_storage)); }

void YieldThread() { std::this_thread::yield(); }

void SharedRecursiveLock::WaitOutReaders() {
  // Readers hold their slot for one getter only: spin briefly, then give
  // the core away (a reader may have been preempted on a busy machine).
  // Only slots handed out so far can hold a reader; the count is read after
  // publishing the owner, so a reader that took a new slot before seeing
  // the owner is counted.
  uint32_t used = m_nextSlot.load(std::memory_order_seq_cst);
  if (used > kSlots) used = kSlots;
  for (uint32_t i = 0; i < used; ++i) {
    for (int spins = 0; m_slots[i].readers.load(std::memory_order_seq_cst) != 0; ++spins) {
      if (spins >= 64) YieldThread();
    }
  }
}

}  // namespace tiz::platform
