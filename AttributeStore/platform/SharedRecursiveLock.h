// The library's global lock: exclusive and re-entrant for everything that
// changes a store or runs caller code, shared for getters that only read.
//
// Readers never write a word that another thread's reader writes: each
// thread announces itself in a counter of its own cache line (one of a fixed
// set of slots, handed out round-robin; threads beyond the set share slots,
// which costs speed, never correctness). An exclusive owner publishes itself
// in `m_owner`, then waits until every slot in use reads zero. A reader that
// finds an owner steps back out of its slot and queues on the native mutex
// behind the owner. Both sides store first and load second, all sequentially
// consistent, so at least one of them sees the other: a reader never runs
// beside an owner.
//
// While the process has a single thread, readers take nothing and an owner
// skips the wait: the C library's own mutexes do the same.
//
// A thread that holds the lock exclusively may enter again, in either mode:
// a callback run inside an exclusive section may call any export.
#ifndef TIZ_PLATFORM_SHAREDRECURSIVELOCK_H
#define TIZ_PLATFORM_SHAREDRECURSIVELOCK_H

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "platform/Platform.h"

// The library is loaded with its host, so on ELF targets its one
// thread-local word may live in the static TLS block: reached without a call.
#if defined(__GNUC__) && defined(__ELF__)
#define TIZ_FAST_TLS __attribute__((tls_model("initial-exec")))
#else
#define TIZ_FAST_TLS
#endif

namespace tiz::platform {

class SharedRecursiveLock {
 public:
  SharedRecursiveLock() = default;
  SharedRecursiveLock(const SharedRecursiveLock &) = delete;
  SharedRecursiveLock &operator=(const SharedRecursiveLock &) = delete;

  void Enter() {
    ThreadState &self = CurrentThread();
    if (m_owner.load(std::memory_order_relaxed) == &self) {
      ++m_depth;
      return;
    }
    m_mutex.Enter();
    m_depth = 1;
    if (ProcessIsSingleThreaded()) {
      // No other thread, so no reader to wait for; one created later (by a
      // callback in this section) starts after this store and sees it.
      m_owner.store(&self, std::memory_order_relaxed);
      return;
    }
    m_owner.store(&self, std::memory_order_seq_cst);
    WaitOutReaders();
  }

  void Leave() {
    if (--m_depth > 0) return;
    m_owner.store(nullptr, std::memory_order_release);
    m_mutex.Leave();
  }

  // Enters for reading. The answer goes back to LeaveShared: the reader
  // count this thread raised, or null when the thread already held the lock
  // exclusively and took nothing.
  using SharedToken = std::atomic<uint32_t> *;
  SharedToken EnterShared() {
    // Alone in the process nothing can write beside this reader, and no
    // thread can appear before it leaves: getters start no threads.
    if (ProcessIsSingleThreaded()) return nullptr;
    ThreadState &self = CurrentThread();
    std::atomic<uint32_t> &readers = SlotOf(self);
    readers.fetch_add(1, std::memory_order_seq_cst);
    const ThreadState *owner = m_owner.load(std::memory_order_seq_cst);
    if (owner == nullptr) return &readers;
    readers.fetch_sub(1, std::memory_order_release);
    if (owner == &self) return nullptr;
    // An exclusive owner is in: wait for it on the mutex. Owners publish
    // themselves only while holding the mutex, so none can be in while we
    // hold it, and any later one waits for this slot.
    m_mutex.Enter();
    readers.fetch_add(1, std::memory_order_seq_cst);
    m_mutex.Leave();
    return &readers;
  }

  void LeaveShared(SharedToken token) {
    if (token) token->fetch_sub(1, std::memory_order_release);
  }

 private:
  static constexpr uint32_t kSlots = 32;
  static constexpr size_t kLine = 64;

  struct ThreadState {
    uint32_t slot;  // 1-based; 0 until the thread first reads
  };
  struct alignas(kLine) Slot {
    std::atomic<uint32_t> readers{0};
  };

  static ThreadState &CurrentThread() {
    // Trivial, so no destructor to register: threads come and go freely.
    static thread_local ThreadState state TIZ_FAST_TLS;
    return state;
  }

  std::atomic<uint32_t> &SlotOf(ThreadState &self) {
    if (self.slot == 0) self.slot = AssignSlot();
    return m_slots[self.slot - 1].readers;
  }

  uint32_t AssignSlot() { return m_nextSlot.fetch_add(1, std::memory_order_seq_cst) % kSlots + 1; }

  void WaitOutReaders();

  NativeMutex m_mutex;
  alignas(kLine) std::atomic<const ThreadState *> m_owner{nullptr};
  uint32_t m_depth = 0;  // touched only by the owner
  std::atomic<uint32_t> m_nextSlot{0};
  Slot m_slots[kSlots];
};

}  // namespace tiz::platform

#endif
