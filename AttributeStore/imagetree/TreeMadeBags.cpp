#include "imagetree/TreeMadeBags.h"

#include <algorithm>
#include <vector>

#include "core/StoreHandles.h"
#include "support/ProcessLifetime.h"

namespace tiz {

namespace {

// A handful of bags per page: a plain list, pruned of bags that are gone
// whenever room is made.
std::vector<uint32_t> &Recorded() {
  static ProcessLifetime<std::vector<uint32_t>> bags;
  return *bags.Get();
}

}  // namespace

void ReserveTreeMadeBags(size_t count) {
  std::vector<uint32_t> &bags = Recorded();
  bags.erase(std::remove_if(bags.begin(), bags.end(),
                            [](uint32_t handle) { return LookupStore(handle) == nullptr; }),
             bags.end());
  bags.reserve(bags.size() + count);
}

void RecordTreeMadeBag(uint32_t handle) noexcept {
  std::vector<uint32_t> &bags = Recorded();
  if (bags.size() < bags.capacity()) bags.push_back(handle);
}

bool ForgetTreeMadeBag(uint32_t handle) noexcept {
  std::vector<uint32_t> &bags = Recorded();
  auto found = std::find(bags.begin(), bags.end(), handle);
  if (found == bags.end()) return false;
  bags.erase(found);
  return true;
}

}  // namespace tiz
