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
#include "core/Names.h"

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
  // The same with the key written straight from its names (group 0x7F item).
  static KeyEntry *Make(const KeyNames &names, uint32_t hash, uint64_t seq);
  // Frees an entry (not null) that is not, or no longer, filed.
  static void Free(KeyEntry *entry);
};

// Frees an entry not (or no longer) filed: the deleter of an owning pointer
// to a prepared entry.
struct EntryFree {
  void operator()(KeyEntry *entry) const { KeyEntry::Free(entry); }
};

// The index's hash of a full key: the key's bytes in eight-byte words,
// multiply and fold, the last word padded with zeros. A key is hashed both
// whole (a key read back or copied) and as its parts group, 0x7F, item
// straight from the caller's names, without composing it first: both give
// the same hash, since the words are those of the whole key either way. Not
// seeded: keys come from the host's own pipeline, and probing stays short at
// half load.
class KeyHasher {
 public:
  explicit KeyHasher(size_t length) : m_hash(length * kMul) {}

  void Add(const char *p, size_t n) {
    if (m_fill == 0) {
      for (; n >= 8; n -= 8, p += 8) Mix(Load8(p));
    } else {
      // A word begun by the previous part: each whole word of this part
      // completes it and leaves its high bytes to start the next.
      const unsigned shift = 8 * m_fill;
      for (; n >= 8; n -= 8, p += 8) {
        const uint64_t word = Load8(p);
        Mix(m_pending | (word << shift));
        m_pending = word >> (64 - shift);
      }
    }
    if (n > 0) AddShort(LoadShort(p, n), static_cast<unsigned>(n));
  }
  void AddByte(unsigned char byte) { AddShort(byte, 1); }
  uint32_t Finish() {
    if (m_fill != 0) Mix(m_pending);
    return static_cast<uint32_t>((m_hash * kMul) >> 32);
  }

 private:
  static constexpr uint64_t kMul = 0x9E3779B97F4A7C15ull;
  // Appends `n` (1 to 7) bytes, low first in `bytes`, to the pending word.
  void AddShort(uint64_t bytes, unsigned n) {
    m_pending |= bytes << (8 * m_fill);
    m_fill += n;
    if (m_fill >= 8) {
      Mix(m_pending);
      m_fill -= 8;
      // The bytes that did not fit start the next word.
      m_pending = m_fill == 0 ? 0 : bytes >> (8 * (n - m_fill));
    }
  }
  // The `n` (1 to 7) bytes at p, low first, read without a loop or reading
  // past them: two overlapping loads, or three single bytes.
  static uint64_t LoadShort(const char *p, size_t n) {
    if (n >= 4) {
      uint32_t low, high;
      std::memcpy(&low, p, 4);
      std::memcpy(&high, p + n - 4, 4);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
      low = __builtin_bswap32(low);
      high = __builtin_bswap32(high);
#endif
      return low | (static_cast<uint64_t>(high) << (8 * (n - 4)));
    }
    const auto byte = [p](size_t i) {
      return static_cast<uint64_t>(static_cast<unsigned char>(p[i]));
    };
    return byte(0) | (byte(n / 2) << (8 * (n / 2))) | (byte(n - 1) << (8 * (n - 1)));
  }
  static uint64_t Load8(const char *p) {
    uint64_t word;
    std::memcpy(&word, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    return word;
  }
  void Mix(uint64_t word) {
    m_hash = (m_hash ^ word) * kMul;
    m_hash ^= m_hash >> 29;
  }
  uint64_t m_hash;
  uint64_t m_pending = 0;  // bytes of a word not yet complete, low first
  unsigned m_fill = 0;     // how many
};

inline uint32_t HashKey(std::string_view key) {
  KeyHasher hasher(key.size());
  hasher.Add(key.data(), key.size());
  return hasher.Finish();
}

// The hash of group 0x7F item, equal to HashKey of the composed key.
inline uint32_t HashKey(const KeyNames &names) {
  KeyHasher hasher(names.Length());
  hasher.Add(names.group.data(), names.group.size());
  hasher.AddByte(static_cast<unsigned char>(kKeySeparator));
  hasher.Add(names.item.data(), names.item.size());
  return hasher.Finish();
}

// A setting's key as every typed reader and writer names it: the caller's
// group and item (KeyNamesOf) with the index's hash of group 0x7F item,
// taken once per call. Nothing is composed: a lookup compares the key part by
// part, and a new setting's entry gets the key written straight into it, so
// neither readers nor writers need a buffer of the store's.
struct SettingKey {
  SettingKey(const char *group, const char *item)
      : names(KeyNamesOf(group, item)), hash(HashKey(names)) {}
  KeyNames names;
  uint32_t hash;
};

// True when the `n` bytes at a and b are equal. Keys are short (tens of
// bytes), so words compared inline beat a call into the C library: the last
// word overlaps the one before it rather than looping over the tail.
inline bool SameBytes(const char *a, const char *b, size_t n) {
  const auto word = [](const char *p) {
    uint64_t w;
    std::memcpy(&w, p, 8);
    return w;
  };
  if (n >= 8) {
    for (size_t i = 0; i + 8 < n; i += 8)
      if (word(a + i) != word(b + i)) return false;
    return word(a + n - 8) == word(b + n - 8);
  }
  if (n >= 4) {
    uint32_t a0, b0, a1, b1;
    std::memcpy(&a0, a, 4);
    std::memcpy(&b0, b, 4);
    std::memcpy(&a1, a + n - 4, 4);
    std::memcpy(&b1, b + n - 4, 4);
    return a0 == b0 && a1 == b1;
  }
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

// Open addressing with linear probing. Each slot holds its entry's hash
// beside the pointer, so a probe that meets another key is settled within
// the slot array: a lookup reads one slot line and the one entry it finds.
class KeyIndex {
 public:
  KeyEntry *Find(std::string_view key, uint32_t hash) const {
    size_t vacant;
    return Probe(hash, &vacant, [&](const KeyEntry *e) {
      return e->keyLen == key.size() && SameBytes(e->Key(), key.data(), key.size());
    });
  }
  // The same for the key group 0x7F item, compared part by part.
  KeyEntry *Find(const KeyNames &names, uint32_t hash) const {
    size_t vacant;
    return Find(names, hash, &vacant);
  }
  // The same; on a miss *vacant receives the slot where the key goes, good
  // for InsertAt until the index next changes.
  KeyEntry *Find(const KeyNames &names, uint32_t hash, size_t *vacant) const {
    return Probe(hash, vacant, [&](const KeyEntry *e) {
      const size_t groupLen = names.group.size();
      const char *key = e->Key();
      return e->keyLen == names.Length() && key[groupLen] == kKeySeparator &&
             SameBytes(key, names.group.data(), groupLen) &&
             SameBytes(key + groupLen + 1, names.item.data(), names.item.size());
    });
  }
  // Reserves room first, so a failed allocation leaves the index unchanged.
  // True when that moved the slots: a vacant slot found before is stale.
  bool Reserve(size_t count);
  // The slot where a key of `hash`, known to be absent, goes.
  size_t VacantFor(uint32_t hash) const;
  void Insert(KeyEntry *entry);  // the key must not be present
  // Files an entry in the slot a miss of Find gave for its key, with room
  // reserved; the index must not have changed since.
  void InsertAt(KeyEntry *entry, size_t vacant) {
    m_slots[vacant] = Slot{entry->hash, entry};
    ++m_size;
  }
  void Erase(KeyEntry *entry);
  size_t Size() const { return m_size; }

 private:
  struct Slot {
    uint32_t hash;
    KeyEntry *entry;  // null: free
  };
  template <class Same>
  KeyEntry *Probe(uint32_t hash, size_t *vacant, Same &&same) const {
    // An empty index has no slot yet: growing it before the first insert
    // reports that the slot must be sought afresh.
    *vacant = 0;
    if (m_slots.empty()) return nullptr;
    const size_t mask = m_slots.size() - 1;
    for (size_t i = hash & mask;; i = (i + 1) & mask) {
      const Slot &slot = m_slots[i];
      if (!slot.entry) {
        *vacant = i;
        return nullptr;
      }
      if (slot.hash == hash && same(slot.entry)) return slot.entry;
    }
  }
  void Rehash(size_t capacity);
  std::vector<Slot> m_slots;
  size_t m_size = 0;
};

}  // namespace tiz

#endif
