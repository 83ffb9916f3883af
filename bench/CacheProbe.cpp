// Counts what one get or set costs in instructions and simulated cache
// misses, for the library and the map baseline: run under
//   valgrind --tool=callgrind --cache-sim=yes --collect-atstart=no
//     tiz_cache_probe <library|map> <get|set|getstring> <settings>
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

enum class Op { kGet, kSet, kGetString };

template <class Impl>
int Probe(Op op, size_t size) {
  Impl impl;
  std::vector<bench::Key> keys = bench::MakeKeys(size);
  for (size_t i = 0; i < size; ++i) {
    if (op == Op::kGetString)
      impl.SetString(keys[i].group.c_str(), keys[i].item.c_str(), bench::kString32);
    else
      impl.SetDword(keys[i].group.c_str(), keys[i].item.c_str(), 1);
  }
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
  char out[64];
  size_t k = 0;
  auto run = [&](size_t n) {
    for (size_t c = 0; c < n; ++c) {
      const char *g = text.data() + names[k].first;
      const char *it = text.data() + names[k].second;
      if (++k == names.size()) k = 0;
      if (op == Op::kGet)
        impl.GetDword(g, it, &value);
      else if (op == Op::kSet)
        impl.SetDword(g, it, value++);
      else
        value += impl.GetString(g, it, out, sizeof out) ? 1 : 0;
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
    std::fprintf(stderr, "usage: tiz_cache_probe <library|map> <get|set|getstring> <settings>\n");
    return 2;
  }
  Op op = std::strcmp(argv[2], "get") == 0   ? Op::kGet
          : std::strcmp(argv[2], "set") == 0 ? Op::kSet
                                             : Op::kGetString;
  size_t size = std::strtoul(argv[3], nullptr, 10);
  if (std::strcmp(argv[1], "library") == 0) return Probe<bench::LibraryStore>(op, size);
  return Probe<bench::MapBaseline>(op, size);
}
