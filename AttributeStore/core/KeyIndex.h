// The lookup index of a store's table: open addressing with linear probing
// over the entries' full-width hashes, so lookups stay constant-time at any
// store size. The table's 1009-bucket rule only decides the order in which
// teardown releases values; it is derived when a store is torn down.
#ifndef TIZ_CORE_KEYINDEX_H
#define TIZ_CORE_KEYINDEX_H

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace tiz {

// One filed setting. The key's bytes follow the struct in the same block, so
// a key is stored once for the table and the key list alike.
struct KeyEntry {
  KeyEntry *prev;  // key list order (insertion order until sorted)
  KeyEntry *next;
  class CAttribute *attr;  // owned by the store
  uint64_t seq;            // insertion order within the store
  uint32_t hash;
  uint32_t keyLen;

  const char *Key() const { return reinterpret_cast<const char *>(this + 1); }
  std::string_view KeyView() const { return {Key(), keyLen}; }

  // Allocates an entry with a copy of the key (NUL-terminated).
  static KeyEntry *Make(std::string_view key, uint32_t hash, class CAttribute *attr, uint64_t seq);
  static void Free(KeyEntry *entry);
};

uint32_t HashKey(std::string_view key);

class KeyIndex {
 public:
  KeyEntry *Find(std::string_view key, uint32_t hash) const;
  // Reserves room first, so a failed allocation leaves the index unchanged.
  void Reserve(size_t count);
  void Insert(KeyEntry *entry);  // the key must not be present
  void Erase(KeyEntry *entry);
  size_t Size() const { return size_; }

 private:
  void Rehash(size_t capacity);
  std::vector<KeyEntry *> slots_;
  size_t size_ = 0;
};

}  // namespace tiz

#endif
