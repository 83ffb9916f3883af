// The lookup index of a store's table: open addressing with linear probing
// over the entries' full-width hashes, so lookups stay constant-time at any
// store size. The table's 1009-bucket rule only decides the order in which
// teardown releases values; it is derived when a store is torn down.
#ifndef TIZ_CORE_KEYINDEX_H
#define TIZ_CORE_KEYINDEX_H

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

#include "core/Attribute.h"

namespace tiz {

// One filed setting. The setting and the key's bytes live in the entry's own
// block (the key right after the struct): one allocation per setting, and a
// key stored once for the table and the key list alike.
struct KeyEntry {
  KeyEntry *prev = nullptr;  // key list order (insertion order until sorted)
  KeyEntry *next = nullptr;
  uint64_t seq = 0;  // insertion order within the store
  uint32_t hash = 0;
  uint32_t keyLen = 0;
  // Freeing the entry releases its value: an entry is taken out of the
  // table before it is freed, so a release callback that re-enters the
  // library never meets it.
  CAttribute attr;

  const char *Key() const { return reinterpret_cast<const char *>(this + 1); }
  std::string_view KeyView() const { return {Key(), keyLen}; }

  // Allocates an entry without a value, with a copy of the key (NUL-terminated).
  static KeyEntry *Make(std::string_view key, uint32_t hash, uint64_t seq);
  // Frees an entry (not null) that is not, or no longer, filed.
  static void Free(KeyEntry *entry);
};

// Frees an entry not (or no longer) filed: the deleter of an owning pointer
// to a prepared entry.
struct EntryFree {
  void operator()(KeyEntry *entry) const { KeyEntry::Free(entry); }
};

// The index's hash of a full key: eight bytes per step, multiply and fold,
// inline, since every call of the library hashes one key. Not seeded: keys
// come from the host's own pipeline, and probing stays short at half load.
inline uint32_t HashKey(std::string_view key) {
  constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  const char *p = key.data();
  size_t n = key.size();
  uint64_t h = n * kMul;
  auto mix = [&h](uint64_t word) {
    h = (h ^ word) * kMul;
    h ^= h >> 29;
  };
  uint64_t word;
  if (n >= 8) {
    for (; n > 8; n -= 8, p += 8) {
      std::memcpy(&word, p, 8);
      mix(word);
    }
    std::memcpy(&word, p + n - 8, 8);  // the last eight bytes, overlapping
    mix(word);
  } else {
    word = 0;
    for (size_t i = 0; i < n; ++i)
      word |= static_cast<uint64_t>(static_cast<unsigned char>(p[i])) << (8 * i);
    mix(word);
  }
  h *= kMul;
  return static_cast<uint32_t>(h >> 32);
}

class KeyIndex {
 public:
  KeyEntry *Find(std::string_view key, uint32_t hash) const {
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      KeyEntry *e = m_slots[i];
      if (!e) return nullptr;
      if (e->hash == hash && e->keyLen == key.size() &&
          std::memcmp(e->Key(), key.data(), key.size()) == 0)
        return e;
    }
  }
  // Reserves room first, so a failed allocation leaves the index unchanged.
  void Reserve(size_t count);
  void Insert(KeyEntry *entry);  // the key must not be present
  void Erase(KeyEntry *entry);
  size_t Size() const { return m_size; }

 private:
  void Rehash(size_t capacity);
  std::vector<KeyEntry *> m_slots;
  size_t m_size = 0;
};

}  // namespace tiz

#endif
