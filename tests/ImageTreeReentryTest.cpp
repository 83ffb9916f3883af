// Image-tree operations whose release of an old value runs a structure's
// callback that takes down another part of the tree: each operation either
// finishes or answers with an error code, and once the tree is destroyed no
// store is left behind, whichever part the callback took.
// (The UI's bag outlives the tree it is linked into, as it does in use.)
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "ImageTreeNames.h"
#include "StoreInspection.h"
#include "tiz.h"

namespace {

using namespace tiz_test;

// What the callback deletes from the global bag, once.
uint32_t g_global = 0;
const char *g_victimGroup = nullptr;
const char *g_victimItem = nullptr;
int g_releases = 0;
void TIZ_API DeleteVictimOnRelease(void *) {
  ++g_releases;
  if (g_victimGroup) TIZ_DeleteSetting(g_global, g_victimGroup, g_victimItem);
  g_victimGroup = nullptr;
}

struct Victim {
  const char *name;
  const char *group;
  const char *item;
};
const Victim kVictims[] = {
    {"nothing", nullptr, nullptr},          {"ui bag", "ui.bag", kValue},
    {"front persistent bag", kPIS, kFront}, {"back persistent bag", kPIS, kBack},
    {"persistent shortcut", kPIS, kValue},  {"current bag", kCIS, kValue},
    {"front current bag", kCIS, kFront},    {"back current bag", kCIS, kBack},
    {"saved tree", kSaved, kValue},
};

struct Operation {
  const char *name;
  std::function<int32_t(uint32_t global, uint32_t bag)> run;
};
const std::vector<Operation> &Operations() {
  static const std::vector<Operation> operations = {
      {"ReInitImageTree",
       [](uint32_t global, uint32_t) { return TIZ_UtilReInitImageTree(global); }},
      {"DestroyImageTree",
       [](uint32_t global, uint32_t) { return TIZ_UtilDestroyImageTree(global); }},
      {"AppendNewCurrentBag",
       [](uint32_t global, uint32_t) {
         uint32_t fresh = 0;
         int32_t result = TIZ_UtilAppendNewCurrentBag(global, 1, &fresh);
         if (result == 0) TIZ_Release(fresh);
         return result;
       }},
      {"SaveCurrentImageTree",
       [](uint32_t global, uint32_t bag) { return TIZ_UtilSaveCurrentImageTree(global, bag); }},
      {"SaveThenRestore",
       [](uint32_t global, uint32_t bag) {
         int32_t result = TIZ_UtilSaveCurrentImageTree(global, bag);
         return result != 0 ? result : TIZ_UtilRestoreSavedImageTree(global, bag);
       }},
      {"DeleteATImage", [](uint32_t, uint32_t bag) { return TIZ_UtilDeleteATImage(bag); }},
      {"UpdateStoredImages",
       [](uint32_t global, uint32_t) { return TIZ_UtilUpdateStoredImages(global, 0, 1); }},
  };
  return operations;
}

// A duplex tree whose bags below the current ones hold the structure.
TEST(ImageTreeReentry, ACallbackThatTakesDownPartOfTheTreeLeavesNothingBehind) {
  const size_t live = LiveStoreCount();
  for (const Operation &operation : Operations()) {
    for (const Victim &victim : kVictims) {
      for (uint32_t duplex : {0u, 1u}) {
        SCOPED_TRACE(std::string(operation.name) + ", callback deletes the " + victim.name +
                     (duplex ? ", duplex" : ", simplex"));
        uint32_t global = 0, ui = 0;
        ASSERT_EQ(TIZ_Create(&global), 0);
        ASSERT_EQ(TIZ_Create(&ui), 0);
        // The UI's bag is the UI's: it keeps its reference.
        ASSERT_EQ(TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui), 0);
        ASSERT_EQ(TIZ_SetSettingDword(global, "scan_duplex", kValue, duplex), 0);
        ASSERT_EQ(TIZ_UtilReInitImageTree(global), 0);
        uint32_t bag = 0, below = 0;
        ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &bag), 0);
        ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &below), 0);
        TIZ_Release(below);
        ASSERT_EQ(
            TIZ_SetSettingStructure(below, "Stage", kValue, &below, DeleteVictimOnRelease, nullptr),
            0);
        g_global = global;
        g_victimGroup = victim.group;
        g_victimItem = victim.item;
        g_releases = 0;

        const int32_t result = operation.run(global, bag);
        EXPECT_TRUE(result <= 0 || result == TIZ_NOT_FOUND) << result;
        if (result == 0) {
          EXPECT_EQ(StoreFaults(global), "");
        }
        TIZ_Release(bag);
        // The global bag goes with its tree; the UI's bag stays the UI's.
        if (Alive(global)) {
          EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
        }
        EXPECT_FALSE(Alive(global));
        if (Alive(ui)) {
          EXPECT_EQ(TIZ_Release(ui), 0);
        }
        // The structure went exactly once, with the tree at the latest.
        EXPECT_EQ(g_releases, 1);
        EXPECT_EQ(LiveStoreCount(), live);
        g_victimGroup = nullptr;
      }
    }
  }
}

}  // namespace
