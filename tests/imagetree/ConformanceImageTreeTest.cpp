// Image trees as a caller sees them through the C interface alone: which
// bags a re-initialisation, save, restore or destruction frees (their handles
// then fail the check), what the references the tree takes mean for the
// caller's own releases, the order of the deletion traces, and a few reads
// of the scanner values through the UI bag's ancestors.
#include <gtest/gtest.h>

#include <string>

#include "ImageTreeNames.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using namespace tiz_test;

// A handle that still passes the check; the probe leaves the counts as they
// were.
bool Alive(uint32_t h) {
  if (TIZ_AddRef(h) != TIZ_OK) return false;
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
  return true;
}

// The store an ATTRIBUTESTORE setting names, without keeping a reference.
uint32_t Bag(uint32_t h, const char *group, const char *item) {
  uint32_t bag = 0;
  if (TIZ_GetSettingAttrStore(h, group, item, &bag) != TIZ_OK) return 0;
  if (bag) TIZ_Release(bag);
  return bag;
}

uint32_t ParentOf(uint32_t h) {
  uint32_t parent = 0xFFFFFFFF;
  EXPECT_EQ(TIZ_GetParent(h, &parent), TIZ_OK);
  return parent;
}

// A global bag with a UI bag child-linked below it; the test keeps its own
// reference to the UI bag. Tearing down checks that the tree gave back every
// reference it took: the test's one release then frees the UI bag.
class ConformanceImageTree : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TIZ_Create(&global), TIZ_OK);
    ASSERT_EQ(TIZ_Create(&ui), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui), TIZ_OK);
  }
  void TearDown() override {
    TIZ_InitLogging(0);
    if (Alive(global)) {
      EXPECT_EQ(TIZ_UtilDestroyImageTree(global), TIZ_OK);
    }
    EXPECT_EQ(ParentOf(ui), 0u);
    EXPECT_EQ(TIZ_Release(ui), TIZ_OK);
    EXPECT_FALSE(Alive(ui)) << "the tree kept references on the UI bag";
  }
  void Init(bool duplex) {
    ASSERT_EQ(TIZ_SetSettingDword(global, "scan_duplex", kValue, duplex ? 1 : 0), TIZ_OK);
    ASSERT_EQ(TIZ_UtilReInitImageTree(global), TIZ_OK);
    p1 = Bag(global, kPIS, kFront);
    c1 = Bag(global, kCIS, kFront);
    p2 = Bag(global, kPIS, kBack);
    c2 = Bag(global, kCIS, kBack);
  }
  uint32_t Current() { return Bag(global, kCIS, kValue); }
  // Appends a bag for the side being processed and gives the caller's
  // reference back at once.
  uint32_t Append() {
    uint32_t bag = 0;
    EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &bag), TIZ_OK);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    return bag;
  }

  uint32_t global = 0, ui = 0, p1 = 0, c1 = 0, p2 = 0, c2 = 0;
};

// A bag the tree made keeps its creation reference: a caller handed the
// bag may give back its own reference and, the bag being linked, one more
// without freeing it; only a third release finds the count below 1.
TEST_F(ConformanceImageTree, TreeBagsKeepTheirCreationReference) {
  Init(true);
  for (uint32_t side : {1u, 0u}) {
    uint32_t bag = 0;
    ASSERT_EQ(TIZ_UtilGetCurrentBag(global, side, &bag), TIZ_OK);
    EXPECT_EQ(bag, side ? c1 : c2);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    EXPECT_TRUE(Alive(bag));
    EXPECT_EQ(TIZ_Release(bag), TIZ_E_INVALID_ARG);
  }
}

// The tree's bags count in the UI bag: a UI bag that the global bag only
// points at lives on after its creator lets go, as long as the tree uses
// it, and goes when the tree is destroyed.
TEST(ConformanceImageTreeUiBag, TreeKeepsAReleasedUiBagAlive) {
  for (bool duplex : {false, true}) {
    uint32_t global = 0, ui = 0;
    ASSERT_EQ(TIZ_Create(&global), TIZ_OK);
    ASSERT_EQ(TIZ_Create(&ui), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingAttrStore(global, "ui.bag", kValue, ui), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingDword(global, "scan_duplex", kValue, duplex), TIZ_OK);
    ASSERT_EQ(TIZ_UtilReInitImageTree(global), TIZ_OK);
    ASSERT_EQ(TIZ_Release(ui), TIZ_OK);
    EXPECT_TRUE(Alive(ui)) << duplex;

    uint32_t bag = 0;
    ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &bag), TIZ_OK);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    uint32_t persistent = 0;
    ASSERT_EQ(TIZ_UtilGetPersistentBag(global, 1, &persistent), TIZ_OK);
    EXPECT_EQ(ParentOf(persistent), ui);
    EXPECT_EQ(TIZ_Release(persistent), TIZ_OK);

    EXPECT_EQ(TIZ_UtilDestroyImageTree(global), TIZ_OK);
    for (uint32_t gone : {global, ui, bag, persistent}) EXPECT_FALSE(Alive(gone)) << duplex;
  }
}

// A save followed at once by a restore, or by a second save, deletes the
// empty bag the first save made: nothing holds it, so it is freed.
TEST_F(ConformanceImageTree, EmptyBagOfASaveIsFreedByTheNextRestoreOrSave) {
  const struct {
    bool duplex;
    bool saveAgain;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.duplex ? "duplex" : "simplex") +
                 (c.saveAgain ? " save" : " restore"));
    Init(c.duplex);
    uint32_t n1 = Append();
    ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(global, p1), TIZ_OK);
    uint32_t fresh = Current();
    EXPECT_EQ(ParentOf(fresh), p1);
    if (c.saveAgain) {
      ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(global, p1), TIZ_OK);
      EXPECT_NE(Current(), fresh);
      EXPECT_EQ(Bag(p1, kSaved, kValue), c1);
    } else {
      ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(global, fresh), TIZ_OK);
      EXPECT_EQ(Current(), n1);
      EXPECT_EQ(Bag(p1, kCIS, kValue), c1);
    }
    EXPECT_FALSE(Alive(fresh));
    EXPECT_EQ(TIZ_Release(fresh), TIZ_E_INVALID_HANDLE);
  }
}

// After a simplex restore all three items name the restored chain's last
// bag, so the next page may switch to duplex.
TEST_F(ConformanceImageTree, SimplexRestoreKeepsTheThreeItemsTogether) {
  Init(false);
  uint32_t n1 = Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(global, p1), TIZ_OK);
  uint32_t fresh = Current();
  Append();
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(global, fresh), TIZ_OK);
  for (const char *item : {kValue, kFront, kBack}) EXPECT_EQ(Bag(global, kCIS, item), n1) << item;
  uint32_t front = 7;
  EXPECT_EQ(TIZ_UtilIsCurrentFront(global, &front), TIZ_OK);
  EXPECT_EQ(front, 1u);

  ASSERT_EQ(TIZ_SetSettingDword(global, "scan_duplex", kValue, 1), TIZ_OK);
  ASSERT_EQ(TIZ_UtilReInitImageTree(global), TIZ_OK);
  EXPECT_FALSE(Alive(n1));
  EXPECT_NE(Bag(global, kCIS, kFront), Bag(global, kCIS, kBack));
}

// An empty bag that the caller still holds is only detached by a restore:
// it goes with the caller's last release.
TEST_F(ConformanceImageTree, RestoreOnlyDetachesAnEmptyBagTheCallerHolds) {
  Init(false);
  Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(global, p1), TIZ_OK);
  uint32_t fresh = 0;
  ASSERT_EQ(TIZ_UtilGetCurrentBag(global, 1, &fresh), TIZ_OK);
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(global, fresh), TIZ_OK);
  EXPECT_TRUE(Alive(fresh));
  EXPECT_EQ(ParentOf(fresh), 0u);
  EXPECT_EQ(TIZ_Release(fresh), TIZ_OK);
  EXPECT_FALSE(Alive(fresh));
}

// A store that a pipeline stage only points at from a bag is the stage's:
// freeing the bag's tree leaves it alive with its references, so the
// stage's one release frees it.
TEST_F(ConformanceImageTree, StoresBagsOnlyPointAtKeepTheirReferences) {
  const struct {
    const char *name;
    int32_t(TIZ_API *freeTree)(uint32_t global);
  } ways[] = {
      {"re-initialisation", TIZ_UtilReInitImageTree},
      {"destruction", TIZ_UtilDestroyImageTree},
  };
  for (const auto &way : ways) {
    SCOPED_TRACE(way.name);
    Init(true);
    uint32_t stageBag = Append();
    uint32_t kept = 0, keptChild = 0;
    ASSERT_EQ(TIZ_Create(&kept), TIZ_OK);
    ASSERT_EQ(TIZ_Create(&keptChild), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(kept, "part", kValue, keptChild), TIZ_OK);
    ASSERT_EQ(TIZ_Release(keptChild), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingAttrStore(stageBag, "result", kValue, kept), TIZ_OK);
    ASSERT_EQ(TIZ_SetSettingAttrStore(c2, "result", kValue, kept), TIZ_OK);

    ASSERT_EQ(way.freeTree(global), TIZ_OK);
    EXPECT_FALSE(Alive(stageBag));
    EXPECT_FALSE(Alive(c2));
    EXPECT_TRUE(Alive(kept));
    EXPECT_EQ(TIZ_Release(kept), TIZ_OK);
    EXPECT_FALSE(Alive(kept));
    EXPECT_FALSE(Alive(keptChild));
  }
}

// The next page's tree: the shortcut reads that record the new bags, then
// the previous page's back side before its front side.
TEST_F(ConformanceImageTree, ReInitTracesEachStepInOrder) {
  Init(true);
  auto shortCut = [&](int side, const char *setting, const char *item) {
    return ShortCutTrace(global, side, setting, item);
  };
  auto deletion = [&](uint32_t parent, uint32_t bag) { return DeletionTrace(global, parent, bag); };
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilReInitImageTree(global), TIZ_OK);
  const std::string trace = testing::internal::GetCapturedStderr();
  TIZ_InitLogging(0);
  EXPECT_EQ(trace, shortCut(1, kPIS, kFront) + shortCut(0, kPIS, kBack) +
                       shortCut(1, kCIS, kFront) + shortCut(0, kCIS, kBack) + deletion(ui, p2) +
                       deletion(ui, p1));
}

// Destruction frees the front persistent bag, the back one, then the
// defaults and trap bags, each traced before it goes.
TEST_F(ConformanceImageTree, DestroyTracesEachBagInOrder) {
  uint32_t defaults = 0, trap = 0;
  ASSERT_EQ(TIZ_Create(&defaults), TIZ_OK);
  ASSERT_EQ(TIZ_Create(&trap), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(global, "defaults.bag", kValue, defaults), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(global, "trap.bag", kValue, trap), TIZ_OK);
  ASSERT_EQ(TIZ_Release(defaults), TIZ_OK);
  ASSERT_EQ(TIZ_Release(trap), TIZ_OK);
  Init(true);
  ASSERT_EQ(TIZ_UtilSetSide(global, 0), TIZ_OK);

  auto deletion = [&](uint32_t parent, uint32_t bag) { return DeletionTrace(global, parent, bag); };
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilDestroyImageTree(global), TIZ_OK);
  const std::string trace = testing::internal::GetCapturedStderr();
  TIZ_InitLogging(0);
  EXPECT_EQ(trace, deletion(ui, p1) + deletion(ui, p2) + deletion(global, defaults) +
                       deletion(global, trap));
  for (uint32_t gone : {global, defaults, trap, p1, c1, p2, c2}) EXPECT_FALSE(Alive(gone));
}

// The image 0 on a page without images is "the current bag's image".
TEST_F(ConformanceImageTree, ImageZeroOnAPageWithoutImagesIsTheSameImage) {
  Init(false);
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(global, 0, 0), TIZ_E_SAME_IMAGE);
  EXPECT_EQ(Current(), c1);
  uint32_t image = TALB_CreateImage(1, 2);
  ASSERT_EQ(TIZ_UtilUpdateStoredImages(global, image, 0), TIZ_OK);
  uint32_t bag = Current();
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(global, 0, 0), TIZ_OK);  // 0 never matches
  EXPECT_EQ(ParentOf(Current()), bag);
}

// The scanner values are read in the UI bag with fall-back to its ancestors,
// the global bag included.
TEST_F(ConformanceImageTree, ScannerValuesFallBackToTheUiBagsAncestors) {
  ASSERT_EQ(TIZ_SetSettingDword(global, "scanner_is_black_background", kValue, 4), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingDword(global, "scan_zoom_percent", kValue, 150), TIZ_OK);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(global, &value), TIZ_OK);
  EXPECT_EQ(value, 4u);
  uint32_t flag = 0, zoom = 0;
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(global, 0x0028, &flag, &zoom), TIZ_OK);
  EXPECT_EQ(flag, 0x0020u);
  EXPECT_EQ(zoom, 6667u);

  // A "ui.bag" of another type is a failing read; the get's output was
  // cleared first, the zoom's outputs are left alone.
  uint32_t other = 0;
  ASSERT_EQ(TIZ_Create(&other), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingDword(other, "ui.bag", kValue, 1), TIZ_OK);
  value = 7;
  flag = 8;
  zoom = 9;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(other, &value), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackground(other, 1), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(other, 0x0008, &flag, &zoom), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(flag, 8u);
  EXPECT_EQ(zoom, 9u);
  EXPECT_EQ(TIZ_Release(other), TIZ_OK);
}

}  // namespace
