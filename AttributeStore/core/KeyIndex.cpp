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

void KeyEntry::Free(KeyEntry *entry) {
  entry->~KeyEntry();
  ::operator delete(entry);
}

void KeyIndex::Reserve(size_t count) {
  // Load factor at most 1/2 keeps probe sequences short.
  size_t needed = count * 2;
  if (needed <= m_slots.size()) return;
  size_t capacity = m_slots.empty() ? 16 : m_slots.size();
  while (capacity < needed) capacity *= 2;
  Rehash(capacity);
}

void KeyIndex::Rehash(size_t capacity) {
  std::vector<KeyEntry *> fresh(capacity, nullptr);
  size_t mask = capacity - 1;
  for (KeyEntry *e : m_slots) {
    if (!e) continue;
    size_t i = e->hash & mask;
    while (fresh[i]) i = (i + 1) & mask;
    fresh[i] = e;
  }
  m_slots.swap(fresh);
}

void KeyIndex::Insert(KeyEntry *entry) {
  Reserve(m_size + 1);
  size_t mask = m_slots.size() - 1;
  size_t i = entry->hash & mask;
  while (m_slots[i]) i = (i + 1) & mask;
  m_slots[i] = entry;
  ++m_size;
}

void KeyIndex::Erase(KeyEntry *entry) {
  if (m_slots.empty()) return;
  size_t mask = m_slots.size() - 1;
  size_t i = entry->hash & mask;
  while (m_slots[i] != entry) {
    if (!m_slots[i]) return;
    i = (i + 1) & mask;
  }
  // Backward-shift deletion: no tombstones, so lookups never slow down after
  // many removals.
  size_t hole = i;
  for (size_t j = (hole + 1) & mask; m_slots[j]; j = (j + 1) & mask) {
    size_t home = m_slots[j]->hash & mask;
    bool movable = (hole <= j) ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      m_slots[hole] = m_slots[j];
      hole = j;
    }
  }
  m_slots[hole] = nullptr;
  --m_size;
}

}  // namespace tiz
