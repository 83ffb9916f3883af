#include "persist/ProfileNameIndex.h"

namespace tiz {

namespace {

constexpr size_t kFirstSize = 64;

}  // namespace

void ProfileNameIndex::Insert(size_t hash, uint32_t number) {
  if (2 * (used_ + 1) > slots_.size()) Rebuild(slots_.empty() ? kFirstSize : 2 * slots_.size());
  auto tag = static_cast<uint32_t>(hash);
  size_t mask = slots_.size() - 1;
  size_t i = tag & mask;
  while (slots_[i].number != kNotFound) i = (i + 1) & mask;
  slots_[i] = Slot{tag, number};
  ++used_;
}

void ProfileNameIndex::Reserve(size_t count) {
  size_t size = kFirstSize;
  while (size < 2 * count) size *= 2;
  if (size > slots_.size()) Rebuild(size);
}

void ProfileNameIndex::Rebuild(size_t size) {
  std::vector<Slot> larger(size);
  size_t mask = larger.size() - 1;
  for (const Slot &slot : slots_) {
    if (slot.number == kNotFound) continue;
    size_t i = slot.tag & mask;
    while (larger[i].number != kNotFound) i = (i + 1) & mask;
    larger[i] = slot;
  }
  slots_.swap(larger);
}

}  // namespace tiz
