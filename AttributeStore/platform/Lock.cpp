// The wait for readers that an exclusive owner of the global lock runs. The
// native mutex under the lock is the platform's (LockPosix.cpp,
// LockWin32.cpp).
#include <thread>

#include "platform/Platform.h"
#include "platform/SharedRecursiveLock.h"

namespace tiz::platform {

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
