// Gives back every store a fuzz run can reach, so that leak checking sees
// only what the library itself lost.
#ifndef TIZ_FUZZ_FUZZSTORES_H
#define TIZ_FUZZ_FUZZSTORES_H

#include <cstdint>
#include <set>
#include <vector>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "tiz.h"

namespace fuzz {

// Releases the stores and every store they hold, plain links included,
// until their handles are dead: a loaded tree's nested stores and a clone's
// copies of plainly linked stores belong to no one else.
inline void ReleaseReachable(const std::vector<uint32_t> &roots) {
  std::vector<uint32_t> order;
  {
    tiz::frame::LockScope lock;
    std::set<uint32_t> seen;
    for (uint32_t h : roots)
      if (seen.insert(h).second) order.push_back(h);
    for (size_t i = 0; i < order.size(); ++i) {
      tiz::CAttributeStore *s = tiz::LookupStore(order[i]);
      for (tiz::KeyEntry *e = s ? s->Keys().head : nullptr; e; e = e->next) {
        uint32_t nested = e->attr.m_type == tiz::kTypeAttributeStore ? e->attr.m_value.store : 0;
        if (nested && seen.insert(nested).second) order.push_back(nested);
      }
    }
  }
  for (uint32_t h : order) {
    for (int i = 0; i < 100000 && TIZ_Release(h) == 0; ++i) {
    }
  }
}

}  // namespace fuzz

#endif
