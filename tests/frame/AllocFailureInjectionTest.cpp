// Exhausted memory at every allocation of a representative operation in
// turn: the 1st, the 2nd, ... until the operation runs to its end. Each
// interrupted call must answer the support library's report result (or the
// operation's own out-of-memory code), leave the lock free, leave the stores
// whole and usable, and give back everything once the stores are released.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "AllocFailure.h"
#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

constexpr int32_t kReportResult = -4321;
constexpr int32_t kDefaultReportResult = -1;
// Codes of the configuration stand-in, which answers exhausted memory with a
// code of its own; tree and settings files pass them on unchanged.
const std::vector<int32_t> kConfigurationCodes = {-1, -2, -3, -4, -5};

uint32_t NewStore() {
  uint32_t h = 0;
  EXPECT_EQ(TIZ_Create(&h), 0);
  return h;
}

// True when another thread can run an export to its end, i.e. the global
// lock was not left held. A thread stuck on the lock is abandoned.
bool LockIsFree() {
  auto done = std::make_shared<std::promise<int32_t>>();
  std::future<int32_t> result = done->get_future();
  std::thread other([done] {
    uint32_t h = 0;
    int32_t r = TIZ_Create(&h);
    if (r == 0) r = TIZ_Release(h);
    done->set_value(r);
  });
  if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    other.detach();
    return false;
  }
  other.join();
  return result.get() == 0;
}

// The stores one run works on, rebuilt for every run.
struct World {
  std::vector<uint32_t> roots;  // checked for consistency, then released
  // A setting that exists before the operation and that it must not lose.
  uint32_t probeStore = 0;
  const char *probeGroup = "Probe";
  uint32_t probeValue = 0;
  std::function<void()> teardown;  // replaces releasing the roots
};

struct Scenario {
  const char *name;
  std::function<void(World &)> setUp;
  std::function<int32_t(World &)> operation;
  std::vector<int32_t> ownCodes;  // results allowed besides the report result
  // What a successful run leaves; the default is the roots' dump.
  std::function<std::string(World &)> outcome;
  // Further checks after every run, failed or not.
  std::function<void(World &)> verify;
};

void TearDownWorld(World &w) {
  if (w.teardown)
    w.teardown();
  else
    for (uint32_t root : w.roots) tiz_test::ReleaseTree(root);
}

std::string Outcome(const Scenario &s, World &w) {
  if (s.outcome) return s.outcome(w);
  std::string text;
  for (uint32_t root : w.roots) text += tiz_test::DumpStore(root, false);
  return text;
}

// A tree of three levels with every kind of value, child and plain links.
uint32_t BuildNestedTree() {
  uint32_t root = NewStore(), child = NewStore(), grandchild = NewStore(), plain = NewStore();
  TIZ_SetSettingDword(root, "Probe", "Value", 41);
  TIZ_SetSettingString(root, "Scan", "Name", "a longer text value, past small-string size");
  TIZ_SetSettingBuffer(root, "Scan", "Bytes", "\x01\x02\xFF", 3);
  TIZ_SetSettingDouble(child, "Gamma", "Value", 2.2);
  TIZ_SetSettingString(grandchild, "Deep", "Text", "deep");
  TIZ_SetSettingDword(plain, "Plain", "Value", 7);
  TIZ_SetSettingAttrStoreChild(child, "Grand", "Child", grandchild);
  TIZ_SetSettingAttrStoreChild(root, "Child", "Value", child);
  TIZ_SetSettingAttrStore(child, "Plain", "Link", plain);
  TIZ_Release(grandchild);
  TIZ_Release(child);
  TIZ_Release(plain);  // the plain link keeps no reference: gone with its holder
  return root;
}

class AllocFailureInjection : public testing::Test {
 protected:
  void SetUp() override { ORV_SetReportResult(kReportResult); }
  void TearDown() override { ORV_SetReportResult(kDefaultReportResult); }

  // Runs the scenario with the 1st, 2nd, ... allocation failing until it
  // completes; returns how many allocations the complete run made. A run
  // whose failed allocation the library could do without (the standard
  // library ignores a failed shrink_to_fit) must then succeed in full.
  size_t FailEachAllocationInTurn(const Scenario &s) {
    SCOPED_TRACE(s.name);
    std::string success;
    {
      const size_t storesBefore = tiz_test::LiveStoreCount();
      World w;
      s.setUp(w);
      EXPECT_EQ(s.operation(w), 0) << "without a failure";
      success = Outcome(s, w);
      TearDownWorld(w);
      EXPECT_EQ(tiz_test::LiveStoreCount(), storesBefore) << "without a failure";
    }
    for (size_t n = 0; n < 100000; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n + 1));
      const size_t storesBefore = tiz_test::LiveStoreCount();
      const uint32_t imagesBefore = TALB_LiveImageCount();
      World w;
      s.setUp(w);
      int32_t result;
      {
        tiz_test::ScopedAllocationFailure fail(n);
        result = s.operation(w);
      }
      const bool failed = tiz_test::AllocationFailed();
      if (result == 0) {
        EXPECT_EQ(Outcome(s, w), success) << (failed ? "failure reported as success" : "");
      } else {
        EXPECT_TRUE(failed) << "result " << result << " without a failure";
        EXPECT_TRUE(result == kReportResult ||
                    std::find(s.ownCodes.begin(), s.ownCodes.end(), result) != s.ownCodes.end())
            << "result " << result;
      }
      if (s.verify) s.verify(w);
      EXPECT_TRUE(LockIsFree());
      for (uint32_t root : w.roots) EXPECT_EQ(tiz_test::StoreFaults(root), "");
      if (w.probeStore) {
        uint32_t value = 0;
        EXPECT_EQ(TIZ_GetSettingDword(w.probeStore, w.probeGroup, "Value", &value), 0);
        EXPECT_EQ(value, w.probeValue);
      }
      TearDownWorld(w);
      EXPECT_EQ(tiz_test::LiveStoreCount(), storesBefore);
      EXPECT_EQ(TALB_LiveImageCount(), imagesBefore);
      if (!failed || testing::Test::HasFailure()) return n;
    }
    ADD_FAILURE() << "never completed";
    return 0;
  }

  tiz_test::ScratchDirectory m_dir;
};

TEST_F(AllocFailureInjection, Setter) {
  Scenario s{"a string setter on a store that must grow its index",
             [](World &w) {
               w.probeStore = NewStore();
               w.probeValue = 5;
               TIZ_SetSettingDword(w.probeStore, "Probe", "Value", 5);
               for (int i = 0; i < 40; ++i)
                 TIZ_SetSettingDword(w.probeStore, "Fill", std::to_string(i).c_str(), i);
               TIZ_SetSettingString(w.probeStore, "Scan", "Name", "old text");
               w.roots = {w.probeStore};
             },
             [](World &w) {
               int32_t r = TIZ_SetSettingString(w.probeStore, "Scan", "Name", "new text value");
               if (r == 0) r = TIZ_SetSettingString(w.probeStore, "Scan", "Other", "added");
               return r;
             },
             {},
             {},
             {}};
  EXPECT_GT(FailEachAllocationInTurn(s), 1u);
}

TEST_F(AllocFailureInjection, CloneOfNestedTree) {
  Scenario s{"a clone of a nested tree",
             [](World &w) {
               uint32_t source = BuildNestedTree();
               uint32_t destination = NewStore();
               TIZ_SetSettingDword(destination, "Kept", "Value", 9);
               w.roots = {source, destination};
               w.probeStore = destination;
               w.probeGroup = "Kept";
               w.probeValue = 9;
             },
             [](World &w) { return TIZ_Clone(w.roots[0], w.roots[1]); },
             {},
             {},
             {}};
  EXPECT_GT(FailEachAllocationInTurn(s), 5u);
}

TEST_F(AllocFailureInjection, SaveLeavesTheOldFileOrTheNewOne) {
  const auto path = m_dir.Path("save.ini");
  uint32_t tree = BuildNestedTree();
  ASSERT_EQ(TIZ_Serialize(tree, "save.ini"), 0);
  const std::string oldText = tiz_test::ReadFileText(path);
  TIZ_SetSettingDword(tree, "Probe", "Value", 42);
  ASSERT_EQ(TIZ_Serialize(tree, "save.ini"), 0);
  const std::string newText = tiz_test::ReadFileText(path);
  tiz_test::ReleaseTree(tree);
  ASSERT_NE(oldText, newText);

  Scenario s{"a save of a nested tree",
             [&](World &w) {
               tiz_test::WriteFileText(path, oldText);
               w.roots = {BuildNestedTree()};
               TIZ_SetSettingDword(w.roots[0], "Probe", "Value", 42);
               w.probeStore = w.roots[0];
               w.probeValue = 42;
             },
             [](World &w) { return TIZ_Serialize(w.roots[0], "save.ini"); },
             kConfigurationCodes,
             [&](World &) { return tiz_test::ReadFileText(path); },
             [&](World &) {
               std::string text = tiz_test::ReadFileText(path);
               EXPECT_TRUE(text == oldText || text == newText) << text;
               // No temporary file is left behind.
               EXPECT_EQ(m_dir.FileNames(), std::vector<std::string>{"save.ini"});
             }};
  EXPECT_GT(FailEachAllocationInTurn(s), 5u);
}

TEST_F(AllocFailureInjection, LoadOfNestedTree) {
  uint32_t tree = BuildNestedTree();
  ASSERT_EQ(TIZ_Serialize(tree, "load.ini"), 0);
  tiz_test::ReleaseTree(tree);

  Scenario s{"a load of a nested tree",
             [](World &w) {
               w.probeStore = NewStore();
               w.probeValue = 3;
               TIZ_SetSettingDword(w.probeStore, "Kept", "Value", 3);
               w.probeGroup = "Kept";
               w.roots = {w.probeStore};
             },
             [](World &w) { return TIZ_Deserialize(w.probeStore, "load.ini"); },
             kConfigurationCodes,
             {},
             {}};
  EXPECT_GT(FailEachAllocationInTurn(s), 5u);
}

TEST_F(AllocFailureInjection, ImageTreeReinitialisation) {
  Scenario s{"re-initialising a duplex image tree with a page in it",
             [](World &w) {
               uint32_t global = NewStore(), ui = NewStore();
               TIZ_SetSettingAttrStore(global, "ui.bag", "Attribute.Value", ui);
               TIZ_SetSettingDword(global, "scan_duplex", "Attribute.Value", 1);
               TIZ_SetSettingDword(global, "Probe", "Value", 8);
               TIZ_UtilReInitImageTree(global);
               uint32_t bag = 0;
               TIZ_UtilAppendNewCurrentBag(global, 1, &bag);
               TIZ_SetSettingImage(bag, "Image", "Attribute.Value", TALB_CreateImage(1, 1));
               TIZ_Release(bag);
               w.roots = {global, ui};
               w.probeStore = global;
               w.probeValue = 8;
               w.teardown = [global, ui] {
                 EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
                 tiz_test::ReleaseTree(ui);
               };
             },
             [](World &w) { return TIZ_UtilReInitImageTree(w.roots[0]); },
             {},
             {},
             {}};
  EXPECT_GT(FailEachAllocationInTurn(s), 5u);
}

TEST_F(AllocFailureInjection, SettingsLoad) {
  const auto data = m_dir.Path("data.bin");
  tiz_test::WriteFileText(data, "0123456789");
  std::string text =
      "; defaults\n"
      "Scan.Speed=12,Value\n"
      "Scan.Gamma=2.2,Value,double\n"
      "Caption=\"Front, left\",Value,string\n"
      "Scan.Data=" +
      data.string() +
      ",Value,filebuffer,10\n"
      "Long=" +
      std::string(3000, 'x') + ",Value,string\n";
  tiz_test::WriteFileText(m_dir.Path("defaults.txt"), text);

  Scenario s{"a settings load with a line longer than the line buffer",
             [](World &w) {
               w.probeStore = NewStore();
               w.probeValue = 1;
               TIZ_SetSettingDword(w.probeStore, "Probe", "Value", 1);
               w.roots = {w.probeStore};
             },
             [](World &w) { return TIZ_LoadSettings(w.probeStore, "defaults.txt"); },
             {TIZ_E_NO_MEMORY_LINE, -4},
             {},
             {}};
  World check;
  s.setUp(check);
  ASSERT_EQ(s.operation(check), 0);
  uint32_t speed = 0;
  ASSERT_EQ(TIZ_GetSettingDword(check.probeStore, "Scan.Speed", "Value", &speed), 0)
      << "the settings file was not found where the test put it";
  tiz_test::ReleaseTree(check.probeStore);
  EXPECT_GT(FailEachAllocationInTurn(s), 5u);
}

}  // namespace
