// Get and set of DWORD and 32-byte STRING settings at store sizes from 10 to
// 1 000 000, for the library and the three baselines, plus reads that fall
// back through a chain of parents and two threads sharing one store.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>
#include <mutex>
#include <utility>

#include "Baselines.h"
#include "LibraryStore.h"
#include "Workload.h"

namespace bench {
namespace {

// A filled store of one implementation and size, built once per process:
// building a million settings is not what these benchmarks measure.
template <class Impl>
struct Filled {
  std::unique_ptr<Impl> impl;
  std::vector<Key> keys;
  std::vector<uint32_t> order;
};

// `copy` tells apart stores of the same size (threads on separate stores).
template <class Impl>
Filled<Impl> &FilledStore(size_t size, int copy = 0) {
  static std::map<std::pair<size_t, int>, Filled<Impl>> cache;
  static std::mutex mutex;
  std::lock_guard<std::mutex> lock(mutex);
  Filled<Impl> &f = cache[{size, copy}];
  if (!f.impl) {
    f.impl = std::make_unique<Impl>();
    f.keys = MakeKeys(size);
    f.order = ShuffledOrder(size);
    for (size_t i = 0; i < size; ++i) {
      const Key &k = f.keys[i];
      if (i % 2 == 0)
        f.impl->SetDword(k.group.c_str(), k.item.c_str(), static_cast<uint32_t>(i));
      else
        f.impl->SetString(k.group.c_str(), k.item.c_str(), kString32);
    }
  }
  return f;
}

enum class Op { kGetDword, kSetDword, kGetString, kSetString };

// The keys of a benchmark in visiting order, their texts packed one after
// the other (group, NUL, item, NUL): the caller's names stream through the
// cache as a pipeline's literal names would, so at a million settings the
// misses measured are the store's own, not those of a million scattered
// std::strings of the benchmark.
struct VisitList {
  std::vector<char> text;
  std::vector<std::pair<uint32_t, uint32_t>> names;  // offsets of group and item
  const char *Group(size_t k) const { return text.data() + names[k].first; }
  const char *Item(size_t k) const { return text.data() + names[k].second; }
};

VisitList MakeVisitList(const std::vector<const Key *> &keys) {
  VisitList list;
  for (const Key *key : keys) {
    uint32_t group = static_cast<uint32_t>(list.text.size());
    list.text.insert(list.text.end(), key->group.c_str(),
                     key->group.c_str() + key->group.size() + 1);
    uint32_t item = static_cast<uint32_t>(list.text.size());
    list.text.insert(list.text.end(), key->item.c_str(), key->item.c_str() + key->item.size() + 1);
    list.names.emplace_back(group, item);
  }
  return list;
}

template <class Impl, Op op>
void BM_Access(benchmark::State &state) {
  Filled<Impl> &f = FilledStore<Impl>(static_cast<size_t>(state.range(0)));
  // Even positions hold DWORDs, odd ones strings.
  std::vector<const Key *> keys;
  bool wantDword = op == Op::kGetDword || op == Op::kSetDword;
  for (uint32_t i : f.order)
    if ((i % 2 == 0) == wantDword) keys.push_back(&f.keys[i]);
  if (keys.empty()) keys.push_back(&f.keys[0]);
  const VisitList visit = MakeVisitList(keys);
  size_t k = 0;
  uint32_t dword = 0;
  char text[64];
  for (auto _ : state) {
    const char *group = visit.Group(k);
    const char *item = visit.Item(k);
    if (++k == visit.names.size()) k = 0;
    switch (op) {
      case Op::kGetDword:
        benchmark::DoNotOptimize(f.impl->GetDword(group, item, &dword));
        break;
      case Op::kSetDword:
        f.impl->SetDword(group, item, dword++);
        break;
      case Op::kGetString:
        benchmark::DoNotOptimize(f.impl->GetString(group, item, text, sizeof text));
        break;
      case Op::kSetString:
        f.impl->SetString(group, item, kString32);
        break;
    }
  }
  benchmark::DoNotOptimize(dword);
}

void Sizes(benchmark::internal::Benchmark *b) {
  if (SmokeRun()) {
    b->Arg(10)->Arg(1000);
  } else {
    b->Arg(10)->Arg(1000)->Arg(100000)->Arg(1000000);
  }
}

#define TIZ_ACCESS_BENCH(Impl, op) BENCHMARK_TEMPLATE(BM_Access, Impl, op)->Apply(Sizes)

#define TIZ_ACCESS_ALL(op)             \
  TIZ_ACCESS_BENCH(LibraryStore, op);  \
  TIZ_ACCESS_BENCH(MapBaseline, op);   \
  TIZ_ACCESS_BENCH(PtreeBaseline, op); \
  TIZ_ACCESS_BENCH(LiteralTableBaseline, op)

TIZ_ACCESS_ALL(Op::kGetDword);
TIZ_ACCESS_ALL(Op::kSetDword);
TIZ_ACCESS_ALL(Op::kGetString);
TIZ_ACCESS_ALL(Op::kSetString);

// A read that misses in N linked stores and is found in the root: should cost
// no more than N + 1 plain gets of the map baseline
// (BM_Access<MapBaseline, kGetDword>/10).
void BM_ParentFallback(benchmark::State &state) {
  int depth = static_cast<int>(state.range(0));
  uint32_t root = 0;
  TIZ_Create(&root);
  // A few settings per store so that each lookup is a real miss, not an
  // empty-table shortcut.
  std::vector<Key> filler = MakeKeys(8);
  auto fill = [&](uint32_t h) {
    for (const Key &k : filler) TIZ_SetSettingDword(h, k.group.c_str(), k.item.c_str(), 1);
  };
  fill(root);
  TIZ_SetSettingDword(root, "Scanner.Front.Settings", "Attribute.Value", 7);
  uint32_t leaf = root;
  for (int i = 0; i < depth; ++i) {
    uint32_t child = 0;
    TIZ_Create(&child);
    fill(child);
    TIZ_SetSettingAttrStoreChild(leaf, "Pipeline.Stage", ("Bag" + std::to_string(i)).c_str(),
                                 child);
    TIZ_Release(child);  // owned by its parent now
    leaf = child;
  }
  uint32_t value = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        TIZ_GetSettingDword(leaf, "Scanner.Front.Settings", "Attribute.Value", &value));
  }
  state.counters["lookups"] = depth + 1;
  TIZ_Release(root);
}
BENCHMARK(BM_ParentFallback)->Arg(10)->Arg(100);

// Two threads hammering one shared store: the global lock against the map
// baseline's mutex under the same contention.
template <class Impl>
void BM_Contended(benchmark::State &state) {
  Filled<Impl> &f = FilledStore<Impl>(1000);
  size_t k = static_cast<size_t>(state.thread_index()) * 7;
  uint32_t dword = 0;
  for (auto _ : state) {
    const Key &key = f.keys[f.order[k] & ~1u];  // even positions: DWORDs
    if (++k == f.order.size()) k = 0;
    if (k % 4 == 0)
      f.impl->SetDword(key.group.c_str(), key.item.c_str(), dword);
    else
      benchmark::DoNotOptimize(f.impl->GetDword(key.group.c_str(), key.item.c_str(), &dword));
  }
}
BENCHMARK_TEMPLATE(BM_Contended, LibraryStore)->Threads(2)->UseRealTime();
BENCHMARK_TEMPLATE(BM_Contended, MapBaseline)->Threads(2)->UseRealTime();

// Gets only, from 1, 2 or 4 threads, on stores of 10 settings. Argument 1:
// every thread on one store; 2: the threads split over two stores. The
// reported time is wall time per call summed over all threads, so the
// throughput gained over one thread is time(1 thread) / time(n threads).
template <class Impl>
void BM_ReadThreads(benchmark::State &state) {
  const int stores = static_cast<int>(state.range(0));
  Filled<Impl> &f = FilledStore<Impl>(10, state.thread_index() % stores);
  size_t k = static_cast<size_t>(state.thread_index()) * 2;
  uint32_t dword = 0;
  for (auto _ : state) {
    const Key &key = f.keys[k];  // even positions: DWORDs
    k = (k + 2) % f.keys.size();
    benchmark::DoNotOptimize(f.impl->GetDword(key.group.c_str(), key.item.c_str(), &dword));
  }
}
#define TIZ_READ_THREADS(Impl)                                                             \
  BENCHMARK_TEMPLATE(BM_ReadThreads, Impl)->Arg(1)->Threads(1)->Threads(2)->UseRealTime(); \
  BENCHMARK_TEMPLATE(BM_ReadThreads, Impl)->Arg(2)->Threads(4)->UseRealTime()
TIZ_READ_THREADS(LibraryStore);
TIZ_READ_THREADS(MapBaseline);

}  // namespace
}  // namespace bench
