// The table of live stores behind the 32-bit handles callers hold. A handle
// carries a slot index and the slot's generation, so the handle of a
// destroyed store fails the check even after its slot is reused, and slots
// are reused only from a long queue, so a handle value does not come back soon.
#ifndef TIZ_CORE_STOREHANDLES_H
#define TIZ_CORE_STOREHANDLES_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "support/ProcessLifetime.h"

namespace tiz {

class CAttributeStore;

class StoreHandles {
 public:
  // Lives for the process, so late callers (static destructors of a host)
  // still find it.
  static StoreHandles &Instance() {
    static ProcessLifetime<StoreHandles> instance;
    return *instance.Get();
  }

  // Issues a handle for the store (sets its m_handle). Throws on exhaustion.
  uint32_t Register(CAttributeStore *store);
  void Unregister(uint32_t handle);
  // The live store of a handle, or null (0, stale, never issued).
  CAttributeStore *Lookup(uint32_t handle) const {
    uint32_t index = (handle & kIndexMask) - 1;
    if (index >= m_slots.size()) return nullptr;
    const Slot &slot = m_slots[index];
    return slot.generation == (handle >> kIndexBits) ? slot.store : nullptr;
  }

 private:
  static constexpr uint32_t kIndexBits = 22;
  static constexpr uint32_t kIndexMask = (1u << kIndexBits) - 1;
  static constexpr uint32_t kGenerationMask = (1u << (32 - kIndexBits)) - 1;
  static constexpr size_t kMinFreeBeforeReuse = 4096;

  struct Slot {
    CAttributeStore *store;
    uint32_t generation;
  };
  std::vector<Slot> m_slots;
  std::deque<uint32_t> m_free;
};

inline CAttributeStore *LookupStore(uint32_t handle) {
  return StoreHandles::Instance().Lookup(handle);
}

}  // namespace tiz

#endif
