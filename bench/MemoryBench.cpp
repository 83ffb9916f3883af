// Bytes per DWORD setting, from the allocator's own statistics, against the
// map baseline holding the same keys.
#include <benchmark/benchmark.h>
#include <malloc.h>

#include "Baselines.h"
#include "LibraryStore.h"
#include "Workload.h"

namespace bench {
namespace {

size_t HeapInUse() {
  malloc_trim(0);
  return mallinfo2().uordblks;
}

template <class Impl>
void BM_BytesPerSetting(benchmark::State &state) {
  size_t count = static_cast<size_t>(state.range(0));
  std::vector<Key> keys = MakeKeys(count);
  double perSetting = 0;
  for (auto _ : state) {
    size_t before = HeapInUse();
    {
      Impl impl;
      for (size_t i = 0; i < count; ++i)
        impl.SetDword(keys[i].group.c_str(), keys[i].item.c_str(), static_cast<uint32_t>(i));
      perSetting = static_cast<double>(HeapInUse() - before) / static_cast<double>(count);
    }
  }
  state.counters["bytes_per_setting"] = perSetting;
}
BENCHMARK_TEMPLATE(BM_BytesPerSetting, LibraryStore)->Arg(100000)->Iterations(1);
BENCHMARK_TEMPLATE(BM_BytesPerSetting, MapBaseline)->Arg(100000)->Iterations(1);

}  // namespace
}  // namespace bench
