// Saving and loading whole trees against boost::property_tree's INI writer
// and reader with the same number of keys, and loading a 1 MB settings file.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <atomic>
#include <boost/property_tree/ini_parser.hpp>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Baselines.h"
#include "BenchDirectory.h"
#include "Workload.h"
#include "tiz.h"

namespace bench {
namespace {

// Wall time spent in fsync by this process, summed: the library's save
// flushes the temporary file and the directory, and the benchmark reports
// that wait apart from the work itself.
std::atomic<int64_t> fsyncNanoseconds{0};

}  // namespace
}  // namespace bench

// Interposes the C library's fsync: the library calls it through its import
// table, which the executable's definition takes over.
extern "C" int fsync(int fd) {
  using Fsync = int (*)(int);
  static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
  auto start = std::chrono::steady_clock::now();
  int result = real(fd);
  bench::fsyncNanoseconds +=
      std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
          .count();
  return result;
}

namespace bench {
namespace {

const std::filesystem::path &BenchDir() { return BenchDirectory(); }

constexpr const char kNestedGroup[] = "Nested.Bags";
std::string BagName(size_t index) { return "Bag" + std::to_string(index); }

// A tree of `count` settings of every saved type, one nested child store per
// hundred settings.
uint32_t MakeTree(size_t count) {
  uint32_t root = 0;
  TIZ_Create(&root);
  std::vector<Key> keys = MakeKeys(count);
  uint32_t target = root;
  const unsigned char bytes[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
  for (size_t i = 0; i < count; ++i) {
    if (i % 100 == 99) {
      uint32_t child = 0;
      TIZ_Create(&child);
      TIZ_SetSettingAttrStoreChild(root, kNestedGroup, BagName(i).c_str(), child);
      TIZ_Release(child);
      target = child;
      continue;
    }
    const char *g = keys[i].group.c_str();
    const char *it = keys[i].item.c_str();
    switch (i % 5) {
      case 0:
        TIZ_SetSettingDword(target, g, it, static_cast<uint32_t>(i));
        break;
      case 1:
        TIZ_SetSettingDouble(target, g, it, i * 0.25);
        break;
      case 2:
        TIZ_SetSettingString(target, g, it, kString32);
        break;
      case 3:
        TIZ_SetSettingBuffer(target, g, it, bytes, sizeof bytes);
        break;
      default:
        TIZ_SetSettingDword(target, g, it, 7);
        break;
    }
  }
  return root;
}

void BM_SaveLoadTree(benchmark::State &state) {
  size_t count = static_cast<size_t>(state.range(0));
  uint32_t tree = MakeTree(count);
  std::string name = "tree-" + std::to_string(count) + ".ini";
  std::string path = (BenchDir() / name).string();
  int64_t fsyncBefore = fsyncNanoseconds.load();
  for (auto _ : state) {
    std::remove(path.c_str());  // a save into an empty place, as a new page's tree
    if (TIZ_Serialize(tree, name.c_str()) != 0) state.SkipWithError("save failed");
    uint32_t loaded = 0;
    TIZ_Create(&loaded);
    if (TIZ_Deserialize(loaded, name.c_str()) != 0) state.SkipWithError("load failed");
    TIZ_Release(loaded);  // frees everything the load made
  }
  // Nanoseconds per setting: the wall time of the fsyncs, which is part of
  // the benchmark's real time.
  state.counters["fsync_ns_per_setting"] =
      benchmark::Counter(static_cast<double>(fsyncNanoseconds.load() - fsyncBefore) /
                         (static_cast<double>(state.iterations()) * static_cast<double>(count)));
  TIZ_Release(tree);
}

void BM_SaveLoadPtree(benchmark::State &state) {
  size_t count = static_cast<size_t>(state.range(0));
  PtreeBaseline base;
  std::vector<Key> keys = MakeKeys(count);
  boost::property_tree::ptree tree;
  for (size_t i = 0; i < count; ++i) {
    tree.put(boost::property_tree::ptree::path_type(keys[i].group + '\x7F' + keys[i].item, '\x7F'),
             kString32);
  }
  std::string path = (BenchDir() / ("ptree-" + std::to_string(count) + ".ini")).string();
  for (auto _ : state) {
    boost::property_tree::write_ini(path, tree);
    boost::property_tree::ptree loaded;
    boost::property_tree::read_ini(path, loaded);
    benchmark::DoNotOptimize(loaded.size());
  }
}

void TreeSizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(10000);
  if (!SmokeRun()) {
    b->Arg(100000);
    // A round of 100 000 settings takes about a fifth of a second, the
    // first one three times that while the heap grows: at the usual
    // minimum time that cold round would be the whole measurement. With a
    // second, the harness measures a batch of rounds after the first.
    b->MinTime(1.0);
    // Both sides' times move with the machine's other load: the table takes
    // the median of three runs of each.
    b->Repetitions(3);
  }
  b->Unit(benchmark::kMillisecond);
}
BENCHMARK(BM_SaveLoadTree)->Apply(TreeSizes);
BENCHMARK(BM_SaveLoadPtree)->Apply(TreeSizes);

void BM_LoadSettingsFile1MB(benchmark::State &state) {
  std::string path = (BenchDir() / "settings-1mb.txt").string();
  {
    std::ofstream out(path);
    std::vector<Key> keys = MakeKeys(40000);
    size_t written = 0;
    for (size_t i = 0; written < (1u << 20); ++i) {
      const Key &k = keys[i % keys.size()];
      std::string line = k.group + "=" + std::to_string(i) + "," + k.item +
                         (i % 3 == 1   ? ",double"
                          : i % 3 == 2 ? ",string"
                                       : "") +
                         "\n";
      out << line;
      written += line.size();
    }
  }
  for (auto _ : state) {
    uint32_t store = 0;
    TIZ_Create(&store);
    benchmark::DoNotOptimize(TIZ_LoadSettings(store, path.c_str()));
    TIZ_Release(store);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * (1 << 20));
}
BENCHMARK(BM_LoadSettingsFile1MB)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench
