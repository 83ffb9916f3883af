// The tiz tool's subcommands on a tree file of 100,000 settings (1,000 with
// TIZ_BENCH_SMOKE), each against the library's own load of the same file,
// measured in the same run: a subcommand reads the whole file, loads it
// with the library and does its own work on top, which must stay within a
// few loads at any size. The counter "loads" is the subcommand's time in
// units of that load.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "BenchDirectory.h"
#include "ToolMain.h"
#include "tiz.h"

namespace {

namespace fs = std::filesystem;

size_t SectionCount() { return std::getenv("TIZ_BENCH_SMOKE") ? 1000 : 100000; }

struct TreeFile {
  fs::path path;
  double loadSeconds = 0;  // the library's own load, the fastest of three
};

double LoadSeconds(const std::string &name) {
  auto start = std::chrono::steady_clock::now();
  uint32_t store = 0;
  TIZ_Create(&store);
  if (TIZ_Deserialize(store, name.c_str()) != TIZ_OK) std::abort();
  TIZ_Release(store);
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Saved by the library from a store of DWORD settings, once per run.
const TreeFile &File() {
  static TreeFile file = [] {
    TreeFile made;
    const fs::path &dir = bench::BenchDirectory();
    const std::string name = "sections.tree";
    uint32_t store = 0;
    TIZ_Create(&store);
    for (size_t i = 0; i < SectionCount(); ++i) {
      std::string group = "Group." + std::to_string(i);
      TIZ_SetSettingDword(store, group.c_str(), "Attribute.Value", static_cast<uint32_t>(i));
    }
    if (TIZ_Serialize(store, name.c_str()) != TIZ_OK) std::abort();
    TIZ_Release(store);
    made.path = dir / name;
    made.loadSeconds = std::min({LoadSeconds(name), LoadSeconds(name), LoadSeconds(name)});
    return made;
  }();
  return file;
}

// One command line through the tool's entry point, its output dropped.
int RunTool(std::vector<std::string> arguments) {
  std::vector<char *> argv;
  static char program[] = "tiz";
  argv.push_back(program);
  for (std::string &argument : arguments) argv.push_back(argument.data());
  std::ostringstream dropped;
  std::streambuf *out = std::cout.rdbuf(dropped.rdbuf());
  int status = tiztool::RunTool(static_cast<int>(argv.size()), argv.data());
  std::cout.rdbuf(out);
  return status;
}

void BM_LibraryLoad(benchmark::State &state) {
  const TreeFile &file = File();
  for (auto _ : state) LoadSeconds(file.path.filename().string());
  state.counters["sections"] = static_cast<double>(SectionCount());
}
BENCHMARK(BM_LibraryLoad)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Tool(benchmark::State &state, std::vector<std::string> arguments, int expected) {
  const TreeFile &file = File();
  for (std::string &argument : arguments) {
    if (argument == "FILE") argument = file.path.string();
  }
  double seconds = 0;
  for (auto _ : state) {
    auto start = std::chrono::steady_clock::now();
    if (RunTool(arguments) != expected) state.SkipWithError("unexpected exit status");
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  state.counters["loads"] = seconds / static_cast<double>(state.iterations()) / file.loadSeconds;
}
BENCHMARK_CAPTURE(BM_Tool, show, {"show", "FILE"}, 0)->Unit(benchmark::kMillisecond)->UseRealTime();
BENCHMARK_CAPTURE(BM_Tool, get, {"get", "FILE", "Group.7", "Attribute.Value"}, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Tool, set, {"set", "FILE", "Group.7", "Attribute.Value", "7"}, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_Tool, check, {"check", "FILE"}, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
// The file holds what a save writes: compact reads and compares, and leaves it.
BENCHMARK_CAPTURE(BM_Tool, compact, {"compact", "FILE"}, 0)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
