// A bag as an ATTRIBUTESTORE setting names it: the store's handle, plus the
// reference that reading the setting took on the store while it lived.
//
// Comparisons use the handle itself, so a bag freed since it was read still
// compares equal to a setting that names it, and a freed bag is never
// dereferenced: Store() answers null for it.
#ifndef TIZ_IMAGETREE_BAGREF_H
#define TIZ_IMAGETREE_BAGREF_H

#include <cstdint>

namespace tiz {

class CAttributeStore;

class BagRef {
 public:
  BagRef() = default;
  ~BagRef() { Release(); }
  BagRef(const BagRef &) = delete;
  BagRef &operator=(const BagRef &) = delete;

  // True when the setting named a store (alive or not).
  bool Present() const { return m_handle != 0; }
  uint32_t Handle() const { return m_handle; }
  // The store while it lives, else null.
  CAttributeStore *Store() const;

  // Gives the reference back, if one is held and the store still lives.
  void Release() noexcept;
  // Hands the handle and its reference over to the caller.
  uint32_t Detach();

 private:
  friend int32_t ReadBag(CAttributeStore *store, const char *group, const char *item, BagRef *out);
  uint32_t m_handle = 0;
  bool m_referenced = false;
};

// Reads (group, item) of `store` as an ATTRIBUTESTORE value, with ancestor
// fall-back, and takes one reference on the bag: 0 when found here or in an
// ancestor, 2 when found nowhere, or the reader's error (-24, -313). `out`
// must be empty and is written only on 0.
int32_t ReadBag(CAttributeStore *store, const char *group, const char *item, BagRef *out);

// Gives back one reference to the store of `handle`, if it lives. For
// cleanup, where nothing can be reported: should the release start a
// teardown that runs out of memory, the store is left as it stands rather
// than the process ended.
void ReleaseQuietly(uint32_t handle) noexcept;

// Same bag: both none, or both naming the same handle.
inline bool SameBag(const BagRef &a, const BagRef &b) { return a.Handle() == b.Handle(); }

}  // namespace tiz

#endif
