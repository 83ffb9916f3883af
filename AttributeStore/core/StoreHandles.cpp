#include "core/StoreHandles.h"

#include <new>

#include "core/AttributeStore.h"

namespace tiz {

uint32_t StoreHandles::Register(CAttributeStore *store) {
  uint32_t index;
  if (free_.size() > kMinFreeBeforeReuse) {
    index = free_.front();
    free_.pop_front();
  } else {
    if (slots_.size() >= kIndexMask) throw std::bad_alloc();
    slots_.push_back(Slot{nullptr, 1});
    index = static_cast<uint32_t>(slots_.size() - 1);
  }
  Slot &slot = slots_[index];
  slot.store = store;
  ++live_;
  store->m_handle = (slot.generation << kIndexBits) | (index + 1);
  return store->m_handle;
}

void StoreHandles::Unregister(uint32_t handle) {
  uint32_t index = (handle & kIndexMask) - 1;
  if (index >= slots_.size()) return;
  Slot &slot = slots_[index];
  if (slot.generation != (handle >> kIndexBits) || !slot.store) return;
  slot.store = nullptr;
  slot.generation = (slot.generation + 1) & kGenerationMask;
  if (slot.generation == 0) slot.generation = 1;
  --live_;
  try {
    free_.push_back(index);
  } catch (...) {
    // Out of memory: the slot is simply never reused.
  }
}

}  // namespace tiz
