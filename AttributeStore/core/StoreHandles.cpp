#include "core/StoreHandles.h"

#include <new>

#include "core/AttributeStore.h"

namespace tiz {

uint32_t StoreHandles::Register(CAttributeStore *store) {
  uint32_t index;
  if (m_free.size() > kMinFreeBeforeReuse) {
    index = m_free.front();
    m_free.pop_front();
  } else {
    if (m_slots.size() >= kIndexMask) throw std::bad_alloc();
    m_slots.push_back(Slot{nullptr, 1});
    index = static_cast<uint32_t>(m_slots.size() - 1);
  }
  Slot &slot = m_slots[index];
  slot.store = store;
  store->m_handle = (slot.generation << kIndexBits) | (index + 1);
  return store->m_handle;
}

void StoreHandles::Unregister(uint32_t handle) {
  uint32_t index = (handle & kIndexMask) - 1;
  if (index >= m_slots.size()) return;
  Slot &slot = m_slots[index];
  if (slot.generation != (handle >> kIndexBits) || !slot.store) return;
  slot.store = nullptr;
  slot.generation = (slot.generation + 1) & kGenerationMask;
  if (slot.generation == 0) slot.generation = 1;
  try {
    m_free.push_back(index);
  } catch (...) {
    // Out of memory: the slot is simply never reused.
  }
}

}  // namespace tiz
