// Image-tree operations while a structure's release callback calls back
// into the library part-way and takes down another part of the tree: the UI
// bag, shortcuts, the duplex flag, a current or saved bag, the global bag or
// the whole tree. Each operation either finishes or answers with an error
// code, the stores stay whole, and once the tree is destroyed no store and
// no image is left behind, whichever part the callback took.
// (The UI's bag outlives the tree it is linked into, as it does in use.)
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "DuplexPage.h"
#include "ImageTreeNames.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "frame/Frame.h"
#include "talb310.h"
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

enum class Action {
  kDeleteUiBag,
  kDeleteShortCuts,
  kDropFrontShortCut,
  kSpoilDuplexFlag,
  kReleaseGlobal,
  kDestroyTree
};

struct Reentry {
  uint32_t global = 0;
  Action action = Action::kDeleteUiBag;
  bool armed = false;
  bool fired = false;
};
Reentry g_reentry;

void TIZ_API ReenterOnRelease(void *) {
  if (!g_reentry.armed || g_reentry.fired) return;
  g_reentry.fired = true;
  uint32_t global = g_reentry.global;
  switch (g_reentry.action) {
    case Action::kDeleteUiBag:
      TIZ_DeleteSetting(global, "ui.bag", kValue);
      break;
    case Action::kDeleteShortCuts:
      for (const char *group : {kCIS, kPIS}) {
        for (const char *item : {kValue, kFront, kBack}) TIZ_DeleteSetting(global, group, item);
      }
      break;
    case Action::kDropFrontShortCut:
      TIZ_DeleteSetting(global, kCIS, kFront);
      break;
    case Action::kSpoilDuplexFlag:
      TIZ_SetSettingString(global, "scan_duplex", kValue, "yes");
      break;
    case Action::kReleaseGlobal:
      TIZ_Release(global);
      break;
    case Action::kDestroyTree:
      TIZ_UtilDestroyImageTree(global);
      break;
  }
}

// Every store the global bag reaches through its settings, itself first.
std::vector<uint32_t> BagsOf(uint32_t global) {
  std::vector<uint32_t> order{global};
  std::set<uint32_t> seen{global};
  for (size_t i = 0; i < order.size(); ++i) {
    tiz::CAttributeStore *s = tiz::LookupStore(order[i]);
    for (tiz::KeyEntry *e = s ? s->Keys().head : nullptr; e; e = e->next) {
      uint32_t nested = e->attr.m_type == tiz::kTypeAttributeStore ? e->attr.m_value.store : 0;
      if (nested && seen.insert(nested).second) order.push_back(nested);
    }
  }
  return order;
}

TEST(ImageTreeReentry, EveryOperationSurvivesACallbackThatChangesThePage) {
  const std::pair<const char *, Action> actions[] = {
      {"ui bag deleted", Action::kDeleteUiBag},
      {"shortcuts deleted", Action::kDeleteShortCuts},
      {"front shortcut dropped", Action::kDropFrontShortCut},
      {"duplex flag spoilt", Action::kSpoilDuplexFlag},
      {"global bag released", Action::kReleaseGlobal},
      {"tree destroyed", Action::kDestroyTree},
  };
  const std::set<int32_t> results = {0,
                                     TIZ_NOT_FOUND,
                                     TIZ_E_INVALID_HANDLE,
                                     TIZ_E_INVALID_ARG,
                                     TIZ_E_SIDE_MISMATCH,
                                     TIZ_E_WRONG_TYPE,
                                     TIZ_E_NO_SAVED_TREE};
  // The structure goes into every bag under a name of its own and under
  // each shortcut item, where an operation reads or writes: in place of the
  // global bag's shortcuts, and where other bags have none.
  const std::pair<const char *, const char *> places[] = {
      {"Reentry", kValue}, {kCIS, kValue}, {kCIS, kFront}, {kCIS, kBack},
      {kPIS, kValue},      {kPIS, kFront}, {kPIS, kBack},
  };
  const size_t kPlaces = sizeof places / sizeof places[0];
  for (const auto &[name, operation] : PageOperations()) {
    size_t fired = 0;
    for (const auto &[actionName, action] : actions) {
      for (size_t place = 0;; ++place) {
        const size_t target = place / kPlaces;
        const auto &[group, item] = places[place % kPlaces];
        SCOPED_TRACE(std::string(name) + ", " + actionName + ", bag " + std::to_string(target) +
                     " " + group + " " + item);
        const size_t stores = tiz_test::LiveStoreCount();
        const uint32_t images = TALB_LiveImageCount();
        DuplexPage page;
        std::vector<uint32_t> bags = BagsOf(page.global);
        if (target >= bags.size()) {
          page.Free();
          break;
        }
        // Other bags' shortcut items own the chains below them: the tree
        // keeps its bags' creation references, so a bag cut out by hand
        // would stay until the process ends.
        if (bags[target] != page.global && tiz_test::FindOwn(bags[target], group, item)) {
          page.Free();
          continue;
        }
        ASSERT_EQ(TIZ_SetSettingStructure(bags[target], group, item, &g_reentry, ReenterOnRelease,
                                          nullptr),
                  0);
        g_reentry = Reentry{page.global, action, true, false};
        int32_t result = operation(page);
        g_reentry.armed = false;
        fired += g_reentry.fired;
        EXPECT_EQ(results.count(result), 1u) << result;
        EXPECT_EQ(tiz_test::StoreFaults(page.global), "");
        EXPECT_EQ(tiz_test::StoreFaults(page.ui), "");
        // A shortcut the structure took the place of no longer names its bag;
        // the UI bag owns the trees and frees them.
        if (tiz_test::Alive(bags[target])) TIZ_DeleteSetting(bags[target], group, item);
        page.Free();
        EXPECT_EQ(tiz_test::LiveStoreCount(), stores);
        EXPECT_EQ(TALB_LiveImageCount(), images);
        if (HasFailure()) return;
      }
    }
    EXPECT_GT(fired, 0u) << name;
  }
}

}  // namespace
