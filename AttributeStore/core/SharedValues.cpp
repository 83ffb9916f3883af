#include "core/SharedValues.h"

#include <cstddef>
#include <new>
#include <unordered_map>

#include "support/ProcessLifetime.h"

namespace tiz {

namespace {

template <class Key>
class HolderCounts {
 public:
  void Add(Key key) { ++m_extra[key]; }

  bool Drop(Key key) noexcept {
    if (m_extra.empty()) return true;
    auto it = m_extra.find(key);
    if (it == m_extra.end()) return true;
    if (--it->second == 0) m_extra.erase(it);
    return false;
  }

 private:
  std::unordered_map<Key, size_t> m_extra;  // holders besides the first
};

// Process-lifetime: releases run in destructors, which must not fail for
// want of memory, and a store torn down late in process exit still finds the
// counts.
HolderCounts<uint32_t> &Images() {
  static ProcessLifetime<HolderCounts<uint32_t>> counts;
  return *counts.Get();
}

HolderCounts<const CUserDefined *> &Structures() {
  static ProcessLifetime<HolderCounts<const CUserDefined *>> counts;
  return *counts.Get();
}

}  // namespace

void AddImageHolder(uint32_t hImage) { Images().Add(hImage); }
void AddStructureHolder(const CUserDefined *structure) { Structures().Add(structure); }

bool DropImageHolder(uint32_t hImage) noexcept { return Images().Drop(hImage); }
bool DropStructureHolder(const CUserDefined *structure) noexcept {
  return Structures().Drop(structure);
}

}  // namespace tiz
