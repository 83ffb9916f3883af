// Every export that takes a store handle, given one that names no live store
// (released, destroyed with its parent, destroyed by deleting its setting or
// its image tree, never issued), answers with its invalid-handle result,
// writes none of its out parameters and leaves every store as it was.
#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "AllocFailure.h"
#include "SettingCalls.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using tiz_test::Outs;

// Which valid handle goes beside a bad one in a two-handle export.
enum class Pairing {
  kOneHandle,
  kStores,     // any two stores
  kImageTree,  // a global bag and one of its current bags
};

struct ExportCase {
  std::string name;
  int32_t expected;
  Pairing pairing;
  std::function<int32_t(uint32_t first, uint32_t second, Outs &o)> call;
};

uint32_t g_image = 0;  // offered to TIZ_UtilUpdateStoredImages, never to be taken

std::vector<ExportCase> ExportCases() {
  std::vector<ExportCase> cases;
  for (const auto &getter : tiz_test::Getters()) {
    cases.push_back({getter.name, TIZ_E_INVALID_HANDLE, Pairing::kOneHandle,
                     [call = getter.call](uint32_t h, uint32_t, Outs &o) {
                       return call(h, "Scan", "Speed", o);
                     }});
  }
  for (const auto &setter : tiz_test::Setters()) {
    bool twoStores = std::string(setter.name).find("AttrStore") != std::string::npos;
    cases.push_back({setter.name, TIZ_E_INVALID_HANDLE,
                     twoStores ? Pairing::kStores : Pairing::kOneHandle,
                     [call = setter.call](uint32_t h, uint32_t nested, Outs &) {
                       return call(h, "Scan", "Speed", nested);
                     }});
  }
  const int32_t kBad = TIZ_E_INVALID_HANDLE;
  const auto one = Pairing::kOneHandle;
  std::vector<ExportCase> others = {
      {"TIZ_AddRef", kBad, one, [](uint32_t h, uint32_t, Outs &) { return TIZ_AddRef(h); }},
      {"TIZ_Release", kBad, one, [](uint32_t h, uint32_t, Outs &) { return TIZ_Release(h); }},
      {"TIZ_GetParent", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_GetParent(h, &o.store); }},
      {"TIZ_Clone", kBad, Pairing::kStores,
       [](uint32_t source, uint32_t destination, Outs &) {
         return TIZ_Clone(source, destination);
       }},
      {"TIZ_DeleteSetting", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_DeleteSetting(h, "Scan", "Speed"); }},
      {"TIZ_StartIteratorSorted", TIZ_NOT_FOUND, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_StartIteratorSorted(h); }},
      {"TIZ_IterateSetting", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_IterateSetting(h, o.text, sizeof o.text); }},
      {"TIZ_IterateSetting null buffer", TIZ_E_INVALID_ARG, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_IterateSetting(h, nullptr, 16); }},
      {"TIZ_Serialize", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_Serialize(h, "stale-handle.ini"); }},
      {"TIZ_Deserialize", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_Deserialize(h, "stale-handle.ini"); }},
      {"TIZ_LoadSettings", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_LoadSettings(h, "stale-handle.txt"); }},
      {"TIZ_DisplayAttribute", TIZ_OK, one,
       [](uint32_t h, uint32_t, Outs &o) {
         return TIZ_DisplayAttribute(h, "Scan", "Speed", o.text, sizeof o.text);
       }},
      {"TIZ_UtilGetCurrentBag", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_UtilGetCurrentBag(h, 1, &o.store); }},
      {"TIZ_UtilGetCurrentBag null out", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilGetCurrentBag(h, 1, nullptr); }},
      {"TIZ_UtilGetPersistentBag", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_UtilGetPersistentBag(h, 0, &o.store); }},
      {"TIZ_UtilGetPersistentBag null out", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilGetPersistentBag(h, 0, nullptr); }},
      {"TIZ_UtilAppendNewCurrentBag", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_UtilAppendNewCurrentBag(h, 1, &o.store); }},
      {"TIZ_UtilAppendNewCurrentBag null out", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilAppendNewCurrentBag(h, 1, nullptr); }},
      {"TIZ_UtilIsCurrentFront", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_UtilIsCurrentFront(h, &o.dword); }},
      {"TIZ_UtilIsCurrentFront null out", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilIsCurrentFront(h, nullptr); }},
      {"TIZ_UtilIsABackSideBag", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) { return TIZ_UtilIsABackSideBag(h, &o.dword); }},
      {"TIZ_UtilIsABackSideBag null out", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilIsABackSideBag(h, nullptr); }},
      {"TIZ_UtilSetSide", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilSetSide(h, 0); }},
      {"TIZ_UtilReInitImageTree", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilReInitImageTree(h); }},
      {"TIZ_UtilDestroyImageTree", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilDestroyImageTree(h); }},
      {"TIZ_UtilSaveCurrentImageTree", kBad, Pairing::kImageTree,
       [](uint32_t g, uint32_t bag, Outs &) { return TIZ_UtilSaveCurrentImageTree(g, bag); }},
      {"TIZ_UtilRestoreSavedImageTree", kBad, Pairing::kImageTree,
       [](uint32_t g, uint32_t bag, Outs &) { return TIZ_UtilRestoreSavedImageTree(g, bag); }},
      {"TIZ_UtilUpdateStoredImages", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilUpdateStoredImages(h, g_image, 1); }},
      {"TIZ_UtilDeleteATImage", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilDeleteATImage(h); }},
      {"TIZ_UtilDeleteYBitonalImage", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilDeleteYBitonalImage(h); }},
      {"TIZ_UtilDeleteYPlaneImage", TIZ_E_NULL_POINTER, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilDeleteYPlaneImage(h); }},
      {"TIZ_UtilGetScannerIsBlackBackground", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) {
         return TIZ_UtilGetScannerIsBlackBackground(h, &o.dword);
       }},
      {"TIZ_UtilSetScannerIsBlackBackground", kBad, one,
       [](uint32_t h, uint32_t, Outs &) { return TIZ_UtilSetScannerIsBlackBackground(h, 1); }},
      {"TIZ_UtilSetScannerIsBlackBackgroundDefault", kBad, one,
       [](uint32_t h, uint32_t, Outs &) {
         return TIZ_UtilSetScannerIsBlackBackgroundDefault(h, 1);
       }},
      {"TIZ_UtilGetZoomedBICDPI", kBad, one,
       [](uint32_t h, uint32_t, Outs &o) {
         return TIZ_UtilGetZoomedBICDPI(h, 0xFFFFFFFFu, &o.dword, &o.size);
       }},
  };
  cases.insert(cases.end(), others.begin(), others.end());
  return cases;
}

struct BadHandle {
  std::string kind;
  uint32_t handle;
};

uint32_t NewStore() {
  uint32_t h = 0;
  EXPECT_EQ(TIZ_Create(&h), 0);
  return h;
}

// Stores that live through every case: a filled store, an empty one, and a
// duplex image tree, all compared before and after each call.
class StaleHandle : public testing::Test {
 protected:
  void SetUp() override {
    m_filled = NewStore();
    ASSERT_EQ(TIZ_SetSettingDword(m_filled, "Scan", "Speed", 12), 0);
    ASSERT_EQ(TIZ_SetSettingString(m_filled, "Scan", "Name", "front"), 0);
    ASSERT_EQ(TIZ_SetSettingImage(m_filled, "Image", "Value", TALB_CreateImage(1, 2)), 0);
    uint32_t child = NewStore();
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_filled, "Child", "Value", child), 0);
    ASSERT_EQ(TIZ_SetSettingDouble(child, "Gamma", "Value", 2.2), 0);
    TIZ_Release(child);
    m_empty = NewStore();

    m_globalBag = NewStore();
    m_uiBag = NewStore();
    ASSERT_EQ(TIZ_SetSettingAttrStore(m_globalBag, "ui.bag", "Attribute.Value", m_uiBag), 0);
    ASSERT_EQ(TIZ_SetSettingDword(m_globalBag, "scan_duplex", "Attribute.Value", 1), 0);
    ASSERT_EQ(TIZ_UtilReInitImageTree(m_globalBag), 0);
    ASSERT_EQ(TIZ_UtilGetCurrentBag(m_globalBag, 1, &m_currentBag), 0);
    TIZ_Release(m_currentBag);  // the tree keeps it

    g_image = TALB_CreateImage(3, 4);
    tiz_test::g_tableReleases = 0;
  }

  void TearDown() override {
    TALB_ReleaseImage(g_image);
    EXPECT_EQ(TIZ_UtilDestroyImageTree(m_globalBag), 0);
    TIZ_Release(m_uiBag);
    TIZ_Release(m_empty);
    TIZ_Release(m_filled);
  }

  std::string Everything() const {
    return tiz_test::DumpStore(m_filled) + tiz_test::DumpStore(m_empty) +
           tiz_test::DumpStore(m_globalBag) + tiz_test::DumpStore(m_uiBag) + "live stores " +
           std::to_string(tiz_test::LiveStoreCount()) + ", live images " +
           std::to_string(TALB_LiveImageCount()) + ", reports " +
           std::to_string(ORV_GetLastReport(nullptr, 0));
  }

  // Handles of stores that existed and are gone, each made the way a caller
  // may come to hold one, and handles that were never issued.
  std::vector<BadHandle> BadHandles() {
    std::vector<BadHandle> bad;
    uint32_t released = NewStore();
    TIZ_Release(released);
    bad.push_back({"released", released});

    uint32_t parent = NewStore(), child = NewStore();
    TIZ_SetSettingAttrStoreChild(parent, "c", "i", child);
    TIZ_Release(child);
    TIZ_Release(parent);
    bad.push_back({"parent of a child released", parent});
    bad.push_back({"child destroyed with its parent", child});

    uint32_t holder = NewStore(), deleted = NewStore();
    TIZ_SetSettingAttrStoreChild(holder, "c", "i", deleted);
    TIZ_DeleteSetting(holder, "c", "i");
    TIZ_Release(holder);
    bad.push_back({"destroyed by deleting its setting", deleted});

    uint32_t tree = NewStore(), ui = NewStore(), bag = 0;
    TIZ_SetSettingAttrStore(tree, "ui.bag", "Attribute.Value", ui);
    TIZ_UtilReInitImageTree(tree);
    TIZ_UtilGetCurrentBag(tree, 1, &bag);
    TIZ_Release(bag);
    TIZ_UtilDestroyImageTree(tree);
    TIZ_Release(ui);
    bad.push_back({"global bag of a destroyed image tree", tree});
    bad.push_back({"current bag of a destroyed image tree", bag});

    bad.push_back({"null", 0});
    bad.push_back({"the store signature", 0x6E756765u});
    bad.push_back({"all bits set", 0xFFFFFFFFu});
    bad.push_back({"live slot, other generation", m_filled ^ 0x80000000u});
    bad.push_back({"live handle plus one", m_empty + 1});
    bad.push_back({"slot beyond the table", 0x003FFFFFu});
    std::mt19937 random(11);
    for (int n = 0; n < 8; ++n) bad.push_back({"random", static_cast<uint32_t>(random())});

    for (auto it = bad.begin(); it != bad.end();) {
      // A random value may name a live store; it is then no test case.
      bool live = tiz::LookupStore(it->handle) != nullptr;
      EXPECT_TRUE(!live || it->kind == "random" || it->kind == "live handle plus one") << it->kind;
      it = live ? bad.erase(it) : it + 1;
    }
    return bad;
  }

  // The valid handle beside a bad one, for the first and the second place.
  uint32_t ValidFirst(Pairing p) const { return p == Pairing::kImageTree ? m_globalBag : m_filled; }
  uint32_t ValidSecond(Pairing p) const {
    return p == Pairing::kImageTree ? m_currentBag : m_empty;
  }

  void ExpectRefusedUntouched(const ExportCase &c, uint32_t first, uint32_t second,
                              const std::string &before) {
    Outs outs;
    EXPECT_EQ(c.call(first, second, outs), c.expected);
    EXPECT_TRUE(outs.Untouched());
    EXPECT_EQ(Everything(), before);
    EXPECT_EQ(TALB_ReleaseCount(g_image), 0u);
    EXPECT_EQ(tiz_test::g_tableReleases, 0);
  }

  uint32_t m_filled = 0, m_empty = 0, m_globalBag = 0, m_uiBag = 0, m_currentBag = 0;
};

TEST_F(StaleHandle, EveryExportRefusesAndTouchesNothing) {
  const std::vector<BadHandle> bad = BadHandles();
  const std::string before = Everything();
  for (const ExportCase &c : ExportCases()) {
    SCOPED_TRACE(c.name);
    for (const BadHandle &b : bad) {
      SCOPED_TRACE(b.kind + " " + std::to_string(b.handle));
      if (c.pairing == Pairing::kOneHandle) {
        ExpectRefusedUntouched(c, b.handle, 0, before);
      } else {
        ExpectRefusedUntouched(c, b.handle, ValidSecond(c.pairing), before);
        ExpectRefusedUntouched(c, ValidFirst(c.pairing), b.handle, before);
        ExpectRefusedUntouched(c, b.handle, b.handle, before);
      }
    }
  }
}

// The rules that come before the handle check hold for live stores too.
TEST_F(StaleHandle, NullPointerRulesComeFirstForLiveHandlesAsWell) {
  const std::string before = Everything();
  for (const ExportCase &c : ExportCases()) {
    if (c.name.find("null") == std::string::npos) continue;
    SCOPED_TRACE(c.name);
    for (uint32_t live : {m_filled, m_globalBag}) ExpectRefusedUntouched(c, live, 0, before);
  }
}

}  // namespace

// The handle table on its own, beyond what a test can reach by creating
// stores: a full table, a slot used so often that its generation wraps, and
// handles that are no longer (or never were) the slot's.
namespace {

using tiz::CAttributeStore;
using tiz::StoreHandles;

constexpr uint32_t kIndexMask = (1u << 22) - 1;

TEST(StoreHandleTable, AFullTableRefusesTheNextStore) {
  StoreHandles table;
  CAttributeStore store;
  for (uint32_t i = 0; i < kIndexMask; ++i) table.Register(&store);
  EXPECT_EQ(tiz_test::LiveStoresIn(table), kIndexMask);
  EXPECT_THROW(table.Register(&store), std::bad_alloc);
  EXPECT_EQ(tiz_test::LiveStoresIn(table), kIndexMask);
  EXPECT_EQ(table.Lookup(kIndexMask | (1u << 22)), &store);
}

TEST(StoreHandleTable, OnlyTheCurrentHandleOfASlotUnregistersIt) {
  StoreHandles table;
  CAttributeStore first, second;
  const uint32_t old = table.Register(&first);
  table.Unregister(old);
  // Reuse waits for a long queue of freed slots: fill it.
  std::vector<uint32_t> others;
  for (int i = 0; i < 4096; ++i) others.push_back(table.Register(&second));
  for (uint32_t h : others) table.Unregister(h);
  const uint32_t reused = table.Register(&second);
  ASSERT_EQ(reused & kIndexMask, old & kIndexMask) << "the oldest freed slot is reused first";
  ASSERT_NE(reused, old);
  ASSERT_EQ(tiz_test::LiveStoresIn(table), 1u);
  for (uint32_t stale : {old, others.front(), 0u, kIndexMask, reused + 1}) {
    SCOPED_TRACE(stale);
    table.Unregister(stale);
    EXPECT_EQ(tiz_test::LiveStoresIn(table), 1u);
    EXPECT_EQ(table.Lookup(reused), &second);
    EXPECT_EQ(table.Lookup(stale), nullptr);
  }
  table.Unregister(reused);
  table.Unregister(reused);
  EXPECT_EQ(tiz_test::LiveStoresIn(table), 0u);
  EXPECT_EQ(table.Lookup(reused), nullptr);
}

// A slot's handles differ from each other for as long as the generation
// counts; when it wraps it starts over at 1, never at 0.
TEST(StoreHandleTable, AReusedSlotGetsANewHandleEachTime) {
  StoreHandles table;
  CAttributeStore store;
  std::vector<uint32_t> slots;
  for (int i = 0; i < 4097; ++i) slots.push_back(table.Register(&store));
  for (uint32_t h : slots) table.Unregister(h);
  const uint32_t first = slots.front();
  std::vector<uint32_t> handlesOfFirstSlot = {first};
  constexpr uint32_t kGenerations = 1u << 10;
  while (handlesOfFirstSlot.size() <= kGenerations) {
    const uint32_t h = table.Register(&store);
    table.Unregister(h);
    if ((h & kIndexMask) == (first & kIndexMask)) handlesOfFirstSlot.push_back(h);
  }
  for (size_t i = 0; i < handlesOfFirstSlot.size(); ++i) {
    const uint32_t generation = handlesOfFirstSlot[i] >> 22;
    ASSERT_EQ(generation, i % (kGenerations - 1) + 1) << "use " << i;
  }
}

// Memory that runs out while a handle is given back: the store is gone from
// the table all the same, and its slot is retired rather than queued.
TEST(StoreHandleTable, ASlotThatCannotBeQueuedForReuseIsRetired) {
  StoreHandles table;
  CAttributeStore store;
  std::vector<uint32_t> handles;
  for (int i = 0; i < 5000; ++i) handles.push_back(table.Register(&store));
  std::set<uint32_t> retired;
  // Memory runs out once, at the first unregistration that needs any.
  for (uint32_t h : handles) {
    if (retired.empty()) tiz_test::FailAllocationAfter(0);
    table.Unregister(h);
    if (retired.empty() && tiz_test::AllocationFailed()) retired.insert(h & kIndexMask);
    tiz_test::Disarm();
    EXPECT_EQ(table.Lookup(h), nullptr);
  }
  EXPECT_EQ(tiz_test::LiveStoresIn(table), 0u);
  ASSERT_FALSE(retired.empty()) << "no unregistration needed memory";
  // Stores that come and go cycle through every queued slot; the retired
  // ones never come back.
  std::set<uint32_t> used;
  for (int i = 0; i < 20000; ++i) {
    const uint32_t h = table.Register(&store);
    used.insert(h & kIndexMask);
    table.Unregister(h);
  }
  for (uint32_t slot : retired) EXPECT_EQ(used.count(slot), 0u) << slot;
  EXPECT_EQ(used.size(), handles.size() - retired.size());
}

}  // namespace
