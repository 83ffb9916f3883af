// Saving and loading a whole scanning job: a job store holding one global bag
// per page, each with its UI and defaults bags and a duplex image tree built
// by the image-tree utilities (stages appending bags to both sides' chains,
// results and images in them), so that the file holds the shortcuts' shared
// stores and the chains' child links. Reports the file's size beside the
// time of one save and load.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "BenchDirectory.h"
#include "Workload.h"
#include "talb310.h"
#include "tiz.h"

namespace bench {
namespace {

constexpr char kValue[] = "Attribute.Value";

// One side's stages: each appends a bag and leaves its results there.
void ScanSide(uint32_t global, int page) {
  static const char *const kStages[] = {"Deskew", "Crop", "Threshold", "Despeckle"};
  for (const char *stage : kStages) {
    uint32_t bag = 0;
    if (TIZ_UtilAppendNewCurrentBag(global, 1, &bag) != 0) continue;
    std::string group = std::string(stage) + ".Result";
    TIZ_SetSettingDword(bag, group.c_str(), "Attribute.Count", static_cast<uint32_t>(page));
    TIZ_SetSettingDouble(bag, group.c_str(), "Attribute.Angle", page * 0.01);
    TIZ_SetSettingString(bag, group.c_str(), "Attribute.Note", "done by the stand-in stage");
    TIZ_Release(bag);
  }
  TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(2480, 3508), 0);
}

// The job: `pages` global bags child-linked below one job store.
uint32_t MakeJob(int pages) {
  uint32_t job = 0;
  TIZ_Create(&job);
  for (int page = 1; page <= pages; ++page) {
    uint32_t global = 0, ui = 0, defaults = 0;
    TIZ_Create(&global);
    TIZ_Create(&ui);
    TIZ_Create(&defaults);
    TIZ_SetSettingAttrStoreChild(job, "Page", std::to_string(page).c_str(), global);
    TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui);
    TIZ_SetSettingAttrStoreChild(global, "defaults.bag", kValue, defaults);
    TIZ_SetSettingDword(defaults, "Threshold.Level", kValue, 128);
    TIZ_SetSettingString(ui, "Scanner.Model", kValue, "Demo scanner, two sides");
    TIZ_SetSettingDword(global, "scan_duplex", kValue, 1);
    TIZ_UtilReInitImageTree(global);
    ScanSide(global, page);
    TIZ_UtilSetSide(global, 0);
    ScanSide(global, page);
    TIZ_Release(defaults);
    TIZ_Release(ui);
    TIZ_Release(global);
  }
  return job;
}

void BM_SaveLoadDuplexJob(benchmark::State &state) {
  const int pages = static_cast<int>(state.range(0));
  uint32_t job = MakeJob(pages);
  const std::string name = "job-" + std::to_string(pages) + ".tree";
  const std::filesystem::path path = BenchDirectory() / name;
  for (auto _ : state) {
    std::filesystem::remove(path);
    if (TIZ_Serialize(job, name.c_str()) != 0) state.SkipWithError("save failed");
    uint32_t loaded = 0;
    TIZ_Create(&loaded);
    if (TIZ_Deserialize(loaded, name.c_str()) != 0) state.SkipWithError("load failed");
    TIZ_Release(loaded);  // frees everything the load made
  }
  state.counters["file_bytes"] = static_cast<double>(std::filesystem::file_size(path));
  TIZ_Release(job);  // the pages are its children
}
BENCHMARK(BM_SaveLoadDuplexJob)->Arg(SmokeRun() ? 2 : 100)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace bench
