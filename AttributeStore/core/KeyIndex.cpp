#include "core/KeyIndex.h"

#include <cstring>
#include <new>

namespace tiz {

KeyEntry *KeyEntry::Make(std::string_view key, uint32_t hash, uint64_t seq) {
  void *block = ::operator new(sizeof(KeyEntry) + key.size() + 1);
  auto *entry = new (block) KeyEntry;
  entry->seq = seq;
  entry->hash = hash;
  entry->keyLen = static_cast<uint32_t>(key.size());
  char *text = reinterpret_cast<char *>(entry + 1);
  if (!key.empty()) std::memcpy(text, key.data(), key.size());
  text[key.size()] = '\0';
  return entry;
}

KeyEntry *KeyEntry::Make(const KeyNames &names, uint32_t hash, uint64_t seq) {
  void *block = ::operator new(sizeof(KeyEntry) + names.Length() + 1);
  auto *entry = new (block) KeyEntry;
  entry->seq = seq;
  entry->hash = hash;
  entry->keyLen = static_cast<uint32_t>(names.Length());
  WriteKey(names, reinterpret_cast<char *>(entry + 1));
  return entry;
}

void KeyEntry::Free(KeyEntry *entry) {
  entry->~KeyEntry();
  ::operator delete(entry);
}

bool KeyIndex::Reserve(size_t count) {
  // Load factor at most 1/2 keeps probe sequences short.
  size_t needed = count * 2;
  if (needed <= m_slots.size()) return false;
  size_t capacity = m_slots.empty() ? 16 : m_slots.size();
  while (capacity < needed) capacity *= 2;
  Rehash(capacity);
  return true;
}

size_t KeyIndex::VacantFor(uint32_t hash) const {
  size_t mask = m_slots.size() - 1;
  size_t i = hash & mask;
  while (m_slots[i].entry) i = (i + 1) & mask;
  return i;
}

void KeyIndex::Rehash(size_t capacity) {
  std::vector<Slot> fresh(capacity, Slot{0, nullptr});
  size_t mask = capacity - 1;
  for (const Slot &slot : m_slots) {
    if (!slot.entry) continue;
    size_t i = slot.hash & mask;
    while (fresh[i].entry) i = (i + 1) & mask;
    fresh[i] = slot;
  }
  m_slots.swap(fresh);
}

void KeyIndex::Insert(KeyEntry *entry) {
  Reserve(m_size + 1);
  InsertAt(entry, VacantFor(entry->hash));
}

void KeyIndex::Erase(KeyEntry *entry) {
  if (m_slots.empty()) return;
  size_t mask = m_slots.size() - 1;
  size_t i = entry->hash & mask;
  while (m_slots[i].entry != entry) {
    if (!m_slots[i].entry) return;
    i = (i + 1) & mask;
  }
  // Backward-shift deletion: no tombstones, so lookups never slow down after
  // many removals.
  size_t hole = i;
  for (size_t j = (hole + 1) & mask; m_slots[j].entry; j = (j + 1) & mask) {
    size_t home = m_slots[j].hash & mask;
    bool movable = (hole <= j) ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      m_slots[hole] = m_slots[j];
      hole = j;
    }
  }
  m_slots[hole] = Slot{0, nullptr};
  --m_size;
}

}  // namespace tiz
