// A tree load's peak memory against the file it reads: the most a load may
// hold at once is the finished store plus one copy of the file. The peak is
// the process's resident high-water mark, reset before each load
// (/proc/self/clear_refs), over the resident size before it; the store is
// the heap the loaded tree keeps afterwards. Two shapes of tree: few large
// settings, and many small ones (where the store outweighs the text).
#include <benchmark/benchmark.h>
#include <malloc.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchDirectory.h"
#include "Workload.h"
#include "tiz.h"

namespace bench {
namespace {

// The VmRSS or VmHWM line of /proc/self/status, in bytes.
double StatusBytes(const char *field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string prefix = std::string(field) + ":";
  while (std::getline(status, line))
    if (line.compare(0, prefix.size(), prefix) == 0)
      return std::strtod(line.c_str() + prefix.size(), nullptr) * 1024.0;
  return 0;
}

// Bytes the heap hands out, in its arenas and in blocks mapped on their own
// (large tables and buffers).
double HeapBytes() {
  const struct mallinfo2 info = mallinfo2();
  return static_cast<double>(info.uordblks + info.hblkhd);
}

bool ResetPeak() {
  std::ofstream clear("/proc/self/clear_refs");
  clear << "5";
  return static_cast<bool>(clear.flush());
}

std::string TreeName(size_t count, size_t valueBytes) {
  return "peak-" + std::to_string(count) + "x" + std::to_string(valueBytes) + ".ini";
}

// Saves `count` STRING settings of `valueBytes` characters each; the
// file's size.
uintmax_t SaveTree(size_t count, size_t valueBytes) {
  const std::filesystem::path &dir = BenchDirectory();
  const std::string name = TreeName(count, valueBytes);
  const std::filesystem::path path = dir / name;
  std::filesystem::remove(path);
  uint32_t tree = 0;
  TIZ_Create(&tree);
  const std::vector<Key> keys = MakeKeys(count);
  const std::string value(valueBytes, 'v');
  for (size_t i = 0; i < count; ++i)
    TIZ_SetSettingString(tree, keys[i].group.c_str(), keys[i].item.c_str(), value.c_str());
  const int32_t saved = TIZ_Serialize(tree, name.c_str());
  TIZ_Release(tree);
  std::error_code error;
  const uintmax_t size = std::filesystem::file_size(path, error);
  return saved == 0 && !error ? size : 0;
}

void BM_LoadPeakMemory(benchmark::State &state) {
  const size_t count = static_cast<size_t>(state.range(0));
  const size_t valueBytes = static_cast<size_t>(state.range(1));
  const double fileBytes = static_cast<double>(SaveTree(count, valueBytes));
  if (fileBytes == 0) {
    state.SkipWithError("save failed");
    return;
  }
  const std::string name = TreeName(count, valueBytes);
  double peak = 0, store = 0;
  for (auto _ : state) {
    malloc_trim(0);
    const double residentBefore = StatusBytes("VmRSS");
    const double heapBefore = HeapBytes();
    if (!ResetPeak()) {
      state.SkipWithError("cannot reset the resident high-water mark");
      return;
    }
    uint32_t loaded = 0;
    TIZ_Create(&loaded);
    if (TIZ_Deserialize(loaded, name.c_str()) != 0) state.SkipWithError("load failed");
    peak = StatusBytes("VmHWM") - residentBefore;
    store = HeapBytes() - heapBefore;
    TIZ_Release(loaded);
  }
  state.counters["file_MB"] = fileBytes / 1e6;
  state.counters["peak_over_file"] = peak / fileBytes;
  state.counters["store_over_file"] = store / fileBytes;
  // At most 1: the finished store plus one copy of the file.
  state.counters["peak_over_store_plus_file"] = peak / (store + fileBytes);
}

void PeakSizes(benchmark::internal::Benchmark *b) {
  if (SmokeRun()) {
    b->Args({2000, 400})->Args({20000, 8});
  } else {
    // About 40 MB each: large settings, and many small ones.
    b->Args({80000, 480})->Args({600000, 8});
  }
  b->Iterations(1)->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_LoadPeakMemory)->Apply(PeakSizes);

}  // namespace
}  // namespace bench
