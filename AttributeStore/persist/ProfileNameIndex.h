// The sections of a profile document by name: an open-addressing table of
// section numbers and their names' hashes. A file of many sections costs no
// allocation per section, and eight slots share a cache line, which counts
// once the table outgrows the cache.
#ifndef TIZ_PERSIST_PROFILENAMEINDEX_H
#define TIZ_PERSIST_PROFILENAMEINDEX_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "persist/ProfileNames.h"

namespace tiz {

class ProfileNameIndex {
 public:
  static constexpr uint32_t kNotFound = UINT32_MAX;

  // The number filed under `name`, or kNotFound; `hash` is the name's
  // ProfileNameHash, and `nameOf(number)` gives the name of a filed number.
  template <class NameOf>
  uint32_t Find(std::string_view name, size_t hash, const NameOf &nameOf) const {
    if (m_slots.empty()) return kNotFound;
    auto tag = static_cast<uint32_t>(hash);
    size_t mask = m_slots.size() - 1;
    for (size_t i = tag & mask;; i = (i + 1) & mask) {
      const Slot &slot = m_slots[i];
      if (slot.number == kNotFound) return kNotFound;
      if (slot.tag == tag && ProfileNamesEqual(nameOf(slot.number), name)) return slot.number;
    }
  }
  // Files a number whose name is not in the index yet.
  void Insert(size_t hash, uint32_t number);
  // Forgets every number.
  void Clear() {
    m_slots.clear();
    m_used = 0;
  }
  // Makes room for `count` names in all, so that filing them grows nothing.
  void Reserve(size_t count);

 private:
  struct Slot {
    uint32_t tag = 0;             // the low half of the name's hash
    uint32_t number = kNotFound;  // kNotFound marks a free slot
  };

  void Rebuild(size_t size);

  std::vector<Slot> m_slots;  // a power of two in size, at most half used
  size_t m_used = 0;
};

}  // namespace tiz

#endif
