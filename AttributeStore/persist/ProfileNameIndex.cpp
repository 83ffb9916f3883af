#include "persist/ProfileNameIndex.h"

namespace tiz {

namespace {

constexpr size_t kFirstSize = 64;

}  // namespace

void ProfileNameIndex::Insert(size_t hash, uint32_t number) {
  if (2 * (m_used + 1) > m_slots.size()) Rebuild(m_slots.empty() ? kFirstSize : 2 * m_slots.size());
  auto tag = static_cast<uint32_t>(hash);
  size_t mask = m_slots.size() - 1;
  size_t probe = tag & mask;
  while (m_slots[probe].number != kNotFound) probe = (probe + 1) & mask;
  m_slots[probe] = Slot{tag, number};
  ++m_used;
}

void ProfileNameIndex::Reserve(size_t count) {
  size_t size = kFirstSize;
  while (size < 2 * count) size *= 2;
  if (size > m_slots.size()) Rebuild(size);
}

void ProfileNameIndex::Rebuild(size_t size) {
  std::vector<Slot> larger(size);
  size_t mask = larger.size() - 1;
  for (const Slot &slot : m_slots) {
    if (slot.number == kNotFound) continue;
    size_t probe = slot.tag & mask;
    while (larger[probe].number != kNotFound) probe = (probe + 1) & mask;
    larger[probe] = slot;
  }
  m_slots.swap(larger);
}

}  // namespace tiz
