#include "LiveStores.h"

#include <algorithm>

namespace tiz_test {

namespace {

// The table's slots, reached without a hook in the library: an explicit
// instantiation may name a private member, and this one hands out a pointer
// to it through a friend function defined once, here.
template <auto Member>
struct SlotsOf {
  friend auto SlotsMember() { return Member; }
};
auto SlotsMember();
template struct SlotsOf<&tiz::StoreHandles::m_slots>;

}  // namespace

size_t LiveStoresIn(const tiz::StoreHandles &table) {
  const auto &slots = table.*SlotsMember();
  return static_cast<size_t>(
      std::count_if(slots.begin(), slots.end(), [](const auto &slot) { return slot.store; }));
}

}  // namespace tiz_test
