// Counts what one get or set costs in instructions and simulated cache
// misses, for the library and the map baseline: run under
//   valgrind --tool=callgrind --cache-sim=yes --collect-atstart=no
//     tiz_cache_probe <library|map> <get|set> <settings>
// Only the measured calls are collected (after as many unmeasured calls have
// warmed the caches); the tool's totals divided by the calls printed are the
// figures per call.
#include <valgrind/callgrind.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "Baselines.h"
#include "LibraryStore.h"
#include "Workload.h"

namespace {

template <class Impl>
int Probe(bool get, size_t size) {
  Impl impl;
  std::vector<bench::Key> keys = bench::MakeKeys(size);
  for (size_t i = 0; i < size; ++i) impl.SetDword(keys[i].group.c_str(), keys[i].item.c_str(), 1);
  // The visited names packed in visiting order, as the timed benchmark does.
  std::vector<uint32_t> order = bench::ShuffledOrder(size);
  std::vector<char> text;
  std::vector<std::pair<size_t, size_t>> names;
  for (uint32_t i : order) {
    size_t g = text.size();
    text.insert(text.end(), keys[i].group.begin(), keys[i].group.end());
    text.push_back('\0');
    size_t it = text.size();
    text.insert(text.end(), keys[i].item.begin(), keys[i].item.end());
    text.push_back('\0');
    names.emplace_back(g, it);
  }
  const size_t calls = 100000;
  uint32_t value = 0;
  size_t k = 0;
  auto run = [&](size_t n) {
    for (size_t c = 0; c < n; ++c) {
      const char *g = text.data() + names[k].first;
      const char *it = text.data() + names[k].second;
      if (++k == names.size()) k = 0;
      if (get)
        impl.GetDword(g, it, &value);
      else
        impl.SetDword(g, it, value++);
    }
  };
  run(calls);  // warm-up, not collected
  CALLGRIND_TOGGLE_COLLECT;
  run(calls);
  CALLGRIND_TOGGLE_COLLECT;
  std::printf("calls %zu value %u\n", calls, value);
  return 0;
}

}  // namespace

int main(int argc, char **argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: tiz_cache_probe <library|map> <get|set> <settings>\n");
    return 2;
  }
  bool get = std::strcmp(argv[2], "get") == 0;
  size_t size = std::strtoul(argv[3], nullptr, 10);
  if (std::strcmp(argv[1], "library") == 0) return Probe<bench::LibraryStore>(get, size);
  return Probe<bench::MapBaseline>(get, size);
}
