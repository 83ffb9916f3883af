// The keys a pipeline stage uses: dotted group names of 15 to 40 bytes and a
// handful of item names, visited in a shuffled order so that large stores
// pay their real cache misses.
#ifndef TIZ_BENCH_WORKLOAD_H
#define TIZ_BENCH_WORKLOAD_H

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace bench {

struct Key {
  std::string group;
  std::string item;
};

inline std::vector<Key> MakeKeys(size_t count) {
  static const char *const kPrefixes[] = {"Current.Image", "Scanner.Front.Settings",
                                          "Pipeline.Stage.Deskew.Result",
                                          "Persistent.Defaults.UserInterface"};
  static const char *const kItems[] = {"Attribute.Value", "Attribute.Confidence", "Result.Angle",
                                       "Image.Width"};
  std::vector<Key> keys;
  keys.reserve(count);
  for (size_t i = 0; i < count; ++i) {
    std::string group = kPrefixes[(i / 4) % 4];
    group += ".P";
    group += std::to_string(i / 4);
    keys.push_back(Key{std::move(group), kItems[i % 4]});
  }
  return keys;
}

// A visiting order over `count` keys, the same for every implementation.
inline std::vector<uint32_t> ShuffledOrder(size_t count) {
  std::vector<uint32_t> order(count);
  for (size_t i = 0; i < count; ++i) order[i] = static_cast<uint32_t>(i);
  std::mt19937 rng(42);
  std::shuffle(order.begin(), order.end(), rng);
  return order;
}

// The benchmark's sizes; TIZ_BENCH_SMOKE caps them so CI can run every
// benchmark once in seconds.
inline bool SmokeRun() { return std::getenv("TIZ_BENCH_SMOKE") != nullptr; }

constexpr char kString32[] = "0123456789abcdef0123456789abcde";  // 31 chars + NUL

}  // namespace bench

#endif
