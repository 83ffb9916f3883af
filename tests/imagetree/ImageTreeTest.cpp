// Image trees through the C interface: re-initialising a page's tree (also
// between simplex and duplex), saving and restoring part of a side's chain,
// and destroying the tree; which bags are freed, which survive, reference
// counts, image releases and trace lines.
#include <gtest/gtest.h>

#include <string>

#include "BagTestSupport.h"
#include "LiveStores.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "imagetree/TreeSurgery.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using namespace tiz_test;

class ImageTree : public PageTreeTest {
 protected:
  // Appends a bag to the side being processed; the caller's reference is
  // given back at once, as a pipeline stage does when it is done.
  uint32_t Append() {
    uint32_t bag = 0;
    EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &bag), 0);
    EXPECT_EQ(TIZ_Release(bag), 0);
    return bag;
  }
  uint32_t Current() { return Named(m_global, kCIS, kValue); }
  uint32_t StoreImage(uint32_t bag) {
    uint32_t image = TALB_CreateImage(1, 2);
    EXPECT_EQ(TIZ_SetSettingImage(bag, "Image", kValue, image), 0);
    return image;
  }
};

// --- re-initialisation -----------------------------------------------------

TEST_F(ImageTree, ReInitNeedsAUiBag) {
  uint32_t bare = 0;
  ASSERT_EQ(TIZ_Create(&bare), 0);
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  EXPECT_EQ(TIZ_UtilReInitImageTree(bare), TIZ_NOT_FOUND);
  EXPECT_EQ(KeyCount(bare), 0u);
  ASSERT_EQ(TIZ_SetSettingDword(bare, "ui.bag", kValue, 5), 0);
  EXPECT_EQ(TIZ_UtilReInitImageTree(bare), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(KeyCount(bare), 1u);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  EXPECT_EQ(TIZ_UtilReInitImageTree(0), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_UtilDestroyImageTree(bare), 0);
  EXPECT_FALSE(Alive(bare));
}

// A UI bag that is gone while the global bag still names it: the operations
// that go into it answer an invalid handle and change nothing.
TEST_F(ImageTree, AUiBagThatIsGoneIsAnInvalidHandle) {
  uint32_t bare = 0, gone = 0;
  ASSERT_EQ(TIZ_Create(&bare), 0);
  ASSERT_EQ(TIZ_Create(&gone), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(bare, "ui.bag", kValue, gone), 0);
  ASSERT_EQ(TIZ_Release(gone), 0);
  ASSERT_FALSE(Alive(gone));
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  uint32_t value = 7, flag = 7, zoom = 7;
  EXPECT_EQ(TIZ_UtilReInitImageTree(bare), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(bare, &value), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(bare, 0x08, &flag, &zoom), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(flag, 7u);
  EXPECT_EQ(zoom, 7u);
  EXPECT_EQ(KeyCount(bare), 1u);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  EXPECT_EQ(TIZ_UtilDestroyImageTree(bare), 0);
  EXPECT_FALSE(Alive(bare));
}

TEST_F(ImageTree, ReInitBuildsTheDuplexLayout) {
  Init(true);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c2);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);
  EXPECT_EQ(Named(m_ui, kPIS, kFront), m_p1);
  EXPECT_EQ(Named(m_ui, kPIS, kBack), m_p2);
  EXPECT_EQ(Named(m_p1, kCIS, kValue), m_c1);
  EXPECT_EQ(Named(m_p2, kCIS, kValue), m_c2);
  EXPECT_EQ(ParentOf(m_p1), m_ui);
  EXPECT_EQ(ParentOf(m_p2), m_ui);
  EXPECT_EQ(ParentOf(m_c1), m_p1);
  EXPECT_EQ(ParentOf(m_c2), m_p2);
  uint32_t marker = 0;
  EXPECT_EQ(TIZ_GetSettingDword(m_p2, "Persistent_Back", kValue, &marker), 0);
  EXPECT_EQ(marker, 1u);
  EXPECT_EQ(TIZ_GetSettingDword(m_p1, "Persistent_Back", kValue, &marker), TIZ_NOT_FOUND);
  // Each new bag keeps its creation reference, and a persistent bag also
  // carries its current bag's; the UI bag and the global bag carry both
  // sides' persistent bags.
  for (uint32_t bag : {m_c1, m_c2}) EXPECT_EQ(RefCount(bag), 1);
  for (uint32_t bag : {m_p1, m_p2}) EXPECT_EQ(RefCount(bag), 2);
  EXPECT_EQ(RefCount(m_ui), 1 + 4);
  EXPECT_EQ(RefCount(m_global), 2 + 4);
}

TEST_F(ImageTree, ReInitBuildsTheSimplexLayout) {
  Init(false);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c1);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p1);
  EXPECT_EQ(Named(m_ui, kPIS, kValue), m_p1);
  EXPECT_EQ(KeyCount(m_ui), 1u);
  EXPECT_EQ(ParentOf(m_c1), m_p1);
  EXPECT_EQ(ParentOf(m_p1), m_ui);
  EXPECT_EQ(RefCount(m_ui), 1 + 2);
}

TEST_F(ImageTree, NextPageAfterABackSidePageFreesThePreviousTree) {
  Init(true);
  uint32_t n1 = Append();
  uint32_t frontImage = StoreImage(n1);
  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  uint32_t n2 = Append();
  uint32_t backImage = StoreImage(n2);
  uint32_t old[] = {m_p1, m_c1, m_p2, m_c2, n1, n2};

  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
  for (uint32_t bag : old) {
    EXPECT_FALSE(Alive(bag));
    EXPECT_EQ(TIZ_AddRef(bag), TIZ_E_INVALID_HANDLE);
  }
  EXPECT_EQ(TALB_ReleaseCount(frontImage), 1u);
  EXPECT_EQ(TALB_ReleaseCount(backImage), 1u);

  uint32_t newFront = Named(m_global, kCIS, kFront), newBack = Named(m_global, kCIS, kBack);
  EXPECT_TRUE(Alive(newFront) && Alive(newBack));
  ExpectShortCuts(kCIS, newFront, newFront, newBack);
  uint32_t front = 0;
  EXPECT_EQ(TIZ_UtilIsCurrentFront(m_global, &front), 0);
  EXPECT_EQ(front, 1u);
  EXPECT_EQ(KeyCount(m_ui), 2u);
  EXPECT_EQ(RefCount(m_ui), 1 + 4);  // the old bags' references went with them
}

TEST_F(ImageTree, SwitchingBetweenDuplexAndSimplexPages) {
  Init(true);
  uint32_t oldBack = m_p2;
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 0), 0);
  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
  uint32_t c = Named(m_global, kCIS, kValue), p = Named(m_global, kPIS, kValue);
  ExpectShortCuts(kCIS, c, c, c);
  ExpectShortCuts(kPIS, p, p, p);
  EXPECT_FALSE(Alive(oldBack));
  EXPECT_EQ(KeyCount(m_ui), 1u);
  EXPECT_EQ(Named(m_ui, kPIS, kValue), p);

  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), 0);
  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
  EXPECT_FALSE(Alive(p));
  uint32_t front = Named(m_global, kCIS, kFront), back = Named(m_global, kCIS, kBack);
  EXPECT_NE(front, back);
  ExpectShortCuts(kCIS, front, front, back);
  EXPECT_EQ(KeyCount(m_ui), 2u);
}

TEST_F(ImageTree, ReInitTracesTheDeletionOfTheOldTree) {
  Init(false);
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
  std::string trace = testing::internal::GetCapturedStderr();
  std::string expected = DeletionTrace(m_global, m_ui, m_p1);
  EXPECT_NE(trace.find(expected), std::string::npos) << trace;
}

// The next page's tree: the shortcut reads that record the new bags, then
// the previous page's back side before its front side.
TEST_F(ImageTree, ReInitTracesEachStepInOrder) {
  Init(true);
  auto shortCut = [&](int side, const char *setting, const char *item) {
    return ShortCutTrace(m_global, side, setting, item);
  };
  auto deletion = [&](uint32_t parent, uint32_t bag) {
    return DeletionTrace(m_global, parent, bag);
  };
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), TIZ_OK);
  const std::string trace = testing::internal::GetCapturedStderr();
  TIZ_InitLogging(0);
  EXPECT_EQ(trace, shortCut(1, kPIS, kFront) + shortCut(0, kPIS, kBack) +
                       shortCut(1, kCIS, kFront) + shortCut(0, kCIS, kBack) + deletion(m_ui, m_p2) +
                       deletion(m_ui, m_p1));
}

TEST_F(ImageTree, ReInitThatFailsPartWayLeavesNoNewBagBehind) {
  Init(true);
  // Without a front item the front side cannot be made current.
  tiz::CAttributeStore *g = tiz::LookupStore(m_global);
  ASSERT_TRUE(g->RemoveEntry(std::string(tiz::ComposeKey(kCIS, kFront))));
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  EXPECT_EQ(TIZ_UtilReInitImageTree(m_global), TIZ_NOT_FOUND);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);
  EXPECT_EQ(RefCount(m_ui), 1 + 4);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, kCIS, kFront, m_c1), 0);
}

// --- save and restore ------------------------------------------------------

TEST_F(ImageTree, SaveKeepsTheChainAndRestoreBringsItBack) {
  Init(false);
  uint32_t n1 = Append(), n2 = Append();
  int32_t before[] = {RefCount(m_p1), RefCount(m_ui), RefCount(m_global)};

  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), 0);
  uint32_t fresh = Named(m_global, kCIS, kValue);
  ExpectShortCuts(kCIS, fresh, fresh, fresh);
  EXPECT_EQ(ParentOf(fresh), m_p1);
  EXPECT_EQ(Named(m_p1, kCIS, kValue), fresh);
  EXPECT_EQ(Named(m_p1, kSaved, kValue), m_c1);
  EXPECT_EQ(ParentOf(m_c1), m_p1);
  EXPECT_EQ(Named(m_c1, kCIS, kValue), n1);
  EXPECT_EQ(Named(n1, kCIS, kValue), n2);

  uint32_t n3 = Append();
  uint32_t image = StoreImage(n3);
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), 0);
  EXPECT_FALSE(Alive(fresh));
  EXPECT_FALSE(Alive(n3));
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(Named(m_p1, kCIS, kValue), m_c1);
  EXPECT_EQ(Named(m_p1, kSaved, kValue), 0u);
  EXPECT_EQ(KeyCount(m_p1), 1u);
  EXPECT_EQ(Named(m_global, kCIS, kValue), n2);
  EXPECT_EQ(RefCount(m_p1), before[0]);
  EXPECT_EQ(RefCount(m_ui), before[1]);
  EXPECT_EQ(RefCount(m_global), before[2]);

  // Appends go on below the restored chain's last bag.
  uint32_t n4 = Append();
  EXPECT_EQ(ParentOf(n4), n2);
  ExpectShortCuts(kCIS, n4, n4, n4);
}

TEST_F(ImageTree, SimplexRestoreAnswersTheDuplexRead) {
  Init(false);
  Append();
  ASSERT_EQ(TIZ_DeleteSetting(m_global, "scan_duplex", kValue), 0);
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), 0);
  uint32_t fresh = Named(m_global, kCIS, kValue);
  EXPECT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), TIZ_NOT_FOUND);
  EXPECT_FALSE(Alive(fresh));
  EXPECT_EQ(Named(m_p1, kCIS, kValue), m_c1);
}

TEST_F(ImageTree, DuplexRestoreMovesTheItemOfTheSideThatWasCurrent) {
  Init(true);
  uint32_t n1 = Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), 0);
  uint32_t fresh = Named(m_global, kCIS, kFront);
  ExpectShortCuts(kCIS, fresh, fresh, m_c2);
  // The bag current before the restore is freed by it; the front item still
  // names it, and that is what tells the front side was current.
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), 0);
  ExpectShortCuts(kCIS, n1, n1, m_c2);

  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  uint32_t n2 = Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p2), 0);
  fresh = Named(m_global, kCIS, kBack);
  ExpectShortCuts(kCIS, fresh, n1, fresh);
  EXPECT_EQ(Named(m_p2, kSaved, kValue), m_c2);
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), 0);
  ExpectShortCuts(kCIS, n2, n1, n2);
  EXPECT_EQ(Named(m_p2, kCIS, kValue), m_c2);
}

TEST_F(ImageTree, SaveBelowTheOtherSidesBagMovesOnlyThatSide) {
  Init(true);
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p2), 0);
  uint32_t fresh = Named(m_global, kCIS, kBack);
  ExpectShortCuts(kCIS, m_c1, m_c1, fresh);
  EXPECT_EQ(ParentOf(fresh), m_p2);
  EXPECT_EQ(Named(m_p2, kSaved, kValue), m_c2);
  EXPECT_EQ(ParentOf(m_c2), m_p2);
}

TEST_F(ImageTree, SecondSaveDiscardsTheChainAndKeepsTheFirst) {
  Init(false);
  uint32_t n1 = Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), 0);
  uint32_t first = Named(m_global, kCIS, kValue);
  uint32_t m1 = Append();
  uint32_t image = StoreImage(m1);

  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), 0);
  uint32_t second = Named(m_global, kCIS, kValue);
  EXPECT_FALSE(Alive(first));
  EXPECT_FALSE(Alive(m1));
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(Named(m_p1, kSaved, kValue), m_c1);
  EXPECT_EQ(Named(m_c1, kCIS, kValue), n1);
  EXPECT_EQ(Named(m_p1, kCIS, kValue), second);
  EXPECT_EQ(ParentOf(second), m_p1);
}

TEST_F(ImageTree, SaveThatFailsPartWayLeavesNoNewBagBehind) {
  Init(false);
  ASSERT_EQ(TIZ_SetSettingDword(m_p1, kSaved, kValue, 1), 0);
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  // The shortcut had already moved to the new bag, which is gone.
  uint32_t fresh = Named(m_global, kCIS, kValue);
  EXPECT_NE(fresh, m_c1);
  uint32_t out = 0;
  EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &out), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
}

TEST_F(ImageTree, SaveAtABagOutsideTheChainChangesNothing) {
  uint32_t outside = 0;
  ASSERT_EQ(TIZ_Create(&outside), 0);
  Init(false);
  uint32_t n1 = Append();
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, outside), 0);
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, n1), 0);  // the current bag itself
  ASSERT_EQ(TIZ_DeleteSetting(m_global, "scan_duplex", kValue), 0);
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, outside), TIZ_NOT_FOUND);
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), 0);
  ExpectShortCuts(kCIS, n1, n1, n1);
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, outside), 0);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  ExpectShortCuts(kCIS, n1, n1, n1);
  EXPECT_EQ(KeyCount(outside), 0u);
  TIZ_Release(outside);
}

TEST_F(ImageTree, RestoreWithoutASavedTreeDeletesTheBag) {
  Init(false);
  uint32_t n1 = Append();
  uint32_t image = StoreImage(n1);
  EXPECT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, n1), TIZ_NOT_FOUND);
  EXPECT_FALSE(Alive(n1));
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(KeyCount(m_c1), 0u);
}

TEST_F(ImageTree, SaveAndRestoreRefuseBadArguments) {
  uint32_t dead = 0;
  ASSERT_EQ(TIZ_Create(&dead), 0);
  ASSERT_EQ(TIZ_Release(dead), 0);
  // No current bag yet: nothing to save below, nothing to restore.
  EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_ui), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, m_ui), TIZ_NOT_FOUND);
  Init(false);
  for (auto [g, b] : {std::pair{0u, m_p1}, {dead, m_p1}, {m_global, 0u}, {m_global, dead}}) {
    EXPECT_EQ(TIZ_UtilSaveCurrentImageTree(g, b), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilRestoreSavedImageTree(g, b), TIZ_E_INVALID_HANDLE);
  }
  EXPECT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, m_global), TIZ_E_INVALID_ARG);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c1);
}

// A save followed at once by a restore, or by a second save, deletes the
// empty bag the first save made: nothing holds it, so it is freed.
TEST_F(ImageTree, EmptyBagOfASaveIsFreedByTheNextRestoreOrSave) {
  const struct {
    bool duplex;
    bool saveAgain;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto &c : cases) {
    SCOPED_TRACE(std::string(c.duplex ? "duplex" : "simplex") +
                 (c.saveAgain ? " save" : " restore"));
    Init(c.duplex);
    uint32_t n1 = Append();
    ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), TIZ_OK);
    uint32_t fresh = Current();
    EXPECT_EQ(ParentOf(fresh), m_p1);
    if (c.saveAgain) {
      ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), TIZ_OK);
      EXPECT_NE(Current(), fresh);
      EXPECT_EQ(Named(m_p1, kSaved, kValue), m_c1);
    } else {
      ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), TIZ_OK);
      EXPECT_EQ(Current(), n1);
      EXPECT_EQ(Named(m_p1, kCIS, kValue), m_c1);
    }
    EXPECT_FALSE(Alive(fresh));
    EXPECT_EQ(TIZ_Release(fresh), TIZ_E_INVALID_HANDLE);
  }
}

// After a simplex restore all three items name the restored chain's last
// bag, so the next page may switch to duplex.
TEST_F(ImageTree, SimplexRestoreKeepsTheThreeItemsTogether) {
  Init(false);
  uint32_t n1 = Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), TIZ_OK);
  uint32_t fresh = Current();
  Append();
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), TIZ_OK);
  for (const char *item : {kValue, kFront, kBack})
    EXPECT_EQ(Named(m_global, kCIS, item), n1) << item;
  uint32_t front = 7;
  EXPECT_EQ(TIZ_UtilIsCurrentFront(m_global, &front), TIZ_OK);
  EXPECT_EQ(front, 1u);

  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), TIZ_OK);
  ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), TIZ_OK);
  EXPECT_FALSE(Alive(n1));
  EXPECT_NE(Named(m_global, kCIS, kFront), Named(m_global, kCIS, kBack));
}

// An empty bag that the caller still holds is only detached by a restore:
// it goes with the caller's last release.
TEST_F(ImageTree, RestoreOnlyDetachesAnEmptyBagTheCallerHolds) {
  Init(false);
  Append();
  ASSERT_EQ(TIZ_UtilSaveCurrentImageTree(m_global, m_p1), TIZ_OK);
  uint32_t fresh = 0;
  ASSERT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &fresh), TIZ_OK);
  ASSERT_EQ(TIZ_UtilRestoreSavedImageTree(m_global, fresh), TIZ_OK);
  EXPECT_TRUE(Alive(fresh));
  EXPECT_EQ(ParentOf(fresh), 0u);
  EXPECT_EQ(TIZ_Release(fresh), TIZ_OK);
  EXPECT_FALSE(Alive(fresh));
}

// --- destruction -----------------------------------------------------------

TEST_F(ImageTree, DestroyFreesTheTreeAndTheGlobalBagButNotTheUiBag) {
  uint32_t defaults = 0, trap = 0;
  ASSERT_EQ(TIZ_Create(&defaults), 0);
  ASSERT_EQ(TIZ_Create(&trap), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "defaults.bag", kValue, defaults), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "trap.bag", kValue, trap), 0);
  TIZ_Release(defaults);  // the global bag owns them now
  TIZ_Release(trap);
  uint32_t defaultsImage = StoreImage(defaults);
  uint32_t globalImage = StoreImage(m_global);
  uint32_t uiImage = StoreImage(m_ui);
  Init(true);
  uint32_t n1 = Append();
  uint32_t chainImage = StoreImage(n1);
  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);

  ASSERT_EQ(TIZ_UtilDestroyImageTree(m_global), 0);
  for (uint32_t bag : {m_global, defaults, trap, m_p1, m_c1, m_p2, m_c2, n1})
    EXPECT_FALSE(Alive(bag));
  for (uint32_t image : {defaultsImage, globalImage, chainImage}) {
    EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  }
  EXPECT_EQ(TALB_ReleaseCount(uiImage), 0u);
  EXPECT_TRUE(Alive(m_ui));
  EXPECT_EQ(KeyCount(m_ui), 1u);
  EXPECT_EQ(TIZ_UtilDestroyImageTree(m_global), TIZ_E_INVALID_HANDLE);
}

TEST_F(ImageTree, DestroyStopsAtADefaultsBagWithoutParent) {
  uint32_t defaults = 0;
  ASSERT_EQ(TIZ_Create(&defaults), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, "defaults.bag", kValue, defaults), 0);
  Init(false);
  int32_t globalCount = RefCount(m_global) - RefCount(m_p1);
  EXPECT_EQ(TIZ_UtilDestroyImageTree(m_global), TIZ_E_INVALID_ARG);
  EXPECT_TRUE(Alive(m_global));
  EXPECT_FALSE(Alive(m_p1));  // the persistent bags come first
  EXPECT_TRUE(Alive(defaults));
  EXPECT_EQ(RefCount(m_global), globalCount);
  // Deleting the setting takes the defaults bag down; then the rest goes.
  ASSERT_EQ(TIZ_DeleteSetting(m_global, "defaults.bag", kValue), 0);
  EXPECT_FALSE(Alive(defaults));
}

// The same for a trap bag: a bag the global bag names but no tree holds
// stops the destruction, and stays.
TEST_F(ImageTree, DestroyStopsAtAnyOwnedBagWithoutParent) {
  for (const char *group : {"defaults.bag", "trap.bag"}) {
    SCOPED_TRACE(group);
    Init(true);
    uint32_t loose = 0;
    ASSERT_EQ(TIZ_Create(&loose), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, group, kValue, loose), 0);
    EXPECT_EQ(TIZ_UtilDestroyImageTree(m_global), TIZ_E_INVALID_ARG);
    EXPECT_TRUE(Alive(m_global));
    EXPECT_FALSE(Alive(m_p1));
    EXPECT_TRUE(Alive(loose));
    ASSERT_EQ(TIZ_DeleteSetting(m_global, group, kValue), 0);
    EXPECT_FALSE(Alive(loose));
  }
}

// Destruction frees the front persistent bag, the back one, then the
// defaults and trap bags, each traced before it goes.
TEST_F(ImageTree, DestroyTracesEachBagInOrder) {
  uint32_t defaults = 0, trap = 0;
  ASSERT_EQ(TIZ_Create(&defaults), TIZ_OK);
  ASSERT_EQ(TIZ_Create(&trap), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "defaults.bag", kValue, defaults), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "trap.bag", kValue, trap), TIZ_OK);
  ASSERT_EQ(TIZ_Release(defaults), TIZ_OK);
  ASSERT_EQ(TIZ_Release(trap), TIZ_OK);
  Init(true);
  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), TIZ_OK);

  auto deletion = [&](uint32_t parent, uint32_t bag) {
    return DeletionTrace(m_global, parent, bag);
  };
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilDestroyImageTree(m_global), TIZ_OK);
  const std::string trace = testing::internal::GetCapturedStderr();
  TIZ_InitLogging(0);
  EXPECT_EQ(trace, deletion(m_ui, m_p1) + deletion(m_ui, m_p2) + deletion(m_global, defaults) +
                       deletion(m_global, trap));
  for (uint32_t gone : {m_global, defaults, trap, m_p1, m_c1, m_p2, m_c2})
    EXPECT_FALSE(Alive(gone));
}

// --- references the tree takes and gives back --------------------------------

// A bag the tree made keeps its creation reference: a caller handed the
// bag may give back its own reference and, the bag being linked, one more
// without freeing it; only a third release finds the count below 1.
TEST_F(ImageTree, TreeBagsKeepTheirCreationReference) {
  Init(true);
  for (uint32_t side : {1u, 0u}) {
    uint32_t bag = 0;
    ASSERT_EQ(TIZ_UtilGetCurrentBag(m_global, side, &bag), TIZ_OK);
    EXPECT_EQ(bag, side ? m_c1 : m_c2);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    EXPECT_EQ(TIZ_Release(bag), TIZ_OK);
    EXPECT_TRUE(Alive(bag));
    EXPECT_EQ(TIZ_Release(bag), TIZ_E_INVALID_ARG);
  }
}

// A store that a pipeline stage only points at from a bag is the stage's:
// freeing the bag's tree leaves it alive with its references, so the
// stage's one release frees it.
TEST_F(ImageTree, StoresBagsOnlyPointAtKeepTheirReferences) {
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
    ASSERT_EQ(TIZ_SetSettingAttrStore(m_c2, "result", kValue, kept), TIZ_OK);

    ASSERT_EQ(way.freeTree(m_global), TIZ_OK);
    EXPECT_FALSE(Alive(stageBag));
    EXPECT_FALSE(Alive(m_c2));
    EXPECT_TRUE(Alive(kept));
    EXPECT_EQ(TIZ_Release(kept), TIZ_OK);
    EXPECT_FALSE(Alive(kept));
    EXPECT_FALSE(Alive(keptChild));
  }
}

// The tree's bags count in the UI bag: a UI bag that the global bag only
// points at lives on after its creator lets go, as long as the tree uses
// it, and goes when the tree is destroyed.
TEST(ImageTreeUiBag, TreeKeepsAReleasedUiBagAlive) {
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

// --- the deletion primitives -------------------------------------------------

TEST_F(ImageTree, DeletingAChildFreesItOrOnlyDetachesIt) {
  tiz::frame::LockScope lock;
  uint32_t holder = 0, stranger = 0, empty = 0, full = 0;
  ASSERT_EQ(TIZ_Create(&holder), 0);
  ASSERT_EQ(TIZ_Create(&stranger), 0);
  ASSERT_EQ(TIZ_Create(&empty), 0);
  ASSERT_EQ(TIZ_Create(&full), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(holder, "g", "empty", empty), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(holder, "g", "full", full), 0);
  ASSERT_EQ(TIZ_SetSettingDword(full, "g", "i", 1), 0);
  auto store = [](uint32_t h) { return tiz::LookupStore(h); };

  tiz::UtilDeleteThisChild(store(holder), store(stranger));
  EXPECT_EQ(tiz::UtilMoveChild(store(holder), store(stranger), "x", "y"), TIZ_NOT_FOUND);
  EXPECT_EQ(KeyCount(holder), 2u);
  EXPECT_EQ(RefCount(holder), 3);

  // A child without settings keeps the references others hold: detached.
  tiz::UtilDeleteThisChild(store(holder), store(empty));
  EXPECT_TRUE(Alive(empty));
  EXPECT_EQ(ParentOf(empty), 0u);
  EXPECT_EQ(RefCount(empty), 1);
  EXPECT_EQ(RefCount(holder), 2);
  // A child with settings has its subtree's counts reset: freed.
  tiz::UtilDeleteThisChild(store(holder), store(full));
  EXPECT_FALSE(Alive(full));
  EXPECT_EQ(KeyCount(holder), 0u);
  EXPECT_EQ(RefCount(holder), 1);

  EXPECT_EQ(tiz::UtilDeleteTree(store(stranger), m_global), TIZ_E_INVALID_ARG);
  for (uint32_t h : {holder, stranger, empty}) EXPECT_EQ(TIZ_Release(h), 0);
}

TEST_F(ImageTree, MovingAChildKeepsItsChainAndCounts) {
  tiz::frame::LockScope lock;
  uint32_t holder = 0, child = 0, grandchild = 0;
  ASSERT_EQ(TIZ_Create(&holder), 0);
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_Create(&grandchild), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(holder, "a", "b", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "c", "d", grandchild), 0);
  ASSERT_EQ(RefCount(holder), 3);
  EXPECT_EQ(tiz::UtilMoveChild(tiz::LookupStore(holder), tiz::LookupStore(child), "x", "y"), 0);
  EXPECT_EQ(Named(holder, "a", "b"), 0u);
  EXPECT_EQ(Named(holder, "x", "y"), child);
  EXPECT_EQ(ParentOf(child), holder);
  EXPECT_EQ(ParentOf(grandchild), child);
  EXPECT_EQ(RefCount(holder), 3);
  TIZ_Release(grandchild);
  TIZ_Release(child);
  EXPECT_EQ(TIZ_Release(holder), 0);
  EXPECT_FALSE(Alive(grandchild));
}

// A page whose global bag holds a value of another type where the tree
// keeps a bag or the duplex flag: each operation that reads it reports the
// wrong type before it changes anything, and the tree can still be destroyed
// once the setting is put right.
TEST_F(ImageTree, ASettingOfAnotherTypeWhereTheTreeReadsIsReported) {
  enum Operation { kReInit, kDestroy, kSideSwitch };
  struct Case {
    const char *group;
    const char *item;
    Operation operation;
  };
  const Case cases[] = {
      {"scan_duplex", kValue, kReInit},
      {"scan_duplex", kValue, kDestroy},
      {kPIS, kFront, kReInit},
      {kPIS, kFront, kDestroy},
      {kPIS, kBack, kReInit},
      {kPIS, kBack, kDestroy},
      {"defaults.bag", kValue, kDestroy},
      {"trap.bag", kValue, kDestroy},
      {kCIS, kFront, kSideSwitch},
      {kCIS, kBack, kSideSwitch},
  };
  Init(true);
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.group) + " " + c.item + " operation " + std::to_string(c.operation));
    const uint32_t bag = Named(m_global, c.group, c.item);
    ASSERT_EQ(TIZ_SetSettingString(m_global, c.group, c.item, "not a bag"), 0);
    const size_t keys = KeyCount(m_global), live = LiveStoreCount();
    int32_t r = c.operation == kReInit    ? TIZ_UtilReInitImageTree(m_global)
                : c.operation == kDestroy ? TIZ_UtilDestroyImageTree(m_global)
                                          : TIZ_UtilSetSide(m_global, 0);
    EXPECT_EQ(r, TIZ_E_WRONG_TYPE);
    EXPECT_EQ(KeyCount(m_global), keys);
    EXPECT_EQ(LiveStoreCount(), live);
    if (c.group != kCIS) ExpectShortCuts(kCIS, m_c1, m_c1, m_c2);
    if (c.group != kPIS) ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);
    if (bag != 0) {
      ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, c.group, c.item, bag), 0);
    } else if (std::string(c.group) == "scan_duplex") {
      ASSERT_EQ(TIZ_SetSettingDword(m_global, c.group, c.item, 1), 0);
    } else {
      ASSERT_EQ(TIZ_DeleteSetting(m_global, c.group, c.item), 0);
    }
  }
}

}  // namespace

namespace {

using namespace tiz_test;

// A structure whose release, while the previous page's tree is freed, calls
// back into the library and deletes the UI bag the new tree is to go into.
uint32_t g_reentryGlobal = 0;
void TIZ_API DeleteUiBagOnRelease(void *) {
  TIZ_DeleteSetting(g_reentryGlobal, "ui.bag", "Attribute.Value");
}

TEST(ImageTreeCallbacks, ReleaseCallbackThatFreesTheUiBagDuringReInit) {
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  uint32_t global = 0, ui = 0;
  ASSERT_EQ(TIZ_Create(&global), 0);
  ASSERT_EQ(TIZ_Create(&ui), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui), 0);
  TIZ_Release(ui);
  ASSERT_EQ(TIZ_SetSettingDword(global, "scan_duplex", kValue, 1), 0);
  ASSERT_EQ(TIZ_UtilReInitImageTree(global), 0);
  ASSERT_EQ(TIZ_UtilSetSide(global, 0), 0);
  uint32_t bag = 0;
  ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &bag), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(bag, "Stage", kValue, &bag, DeleteUiBagOnRelease, nullptr), 0);
  TIZ_Release(bag);
  g_reentryGlobal = global;

  EXPECT_EQ(TIZ_UtilReInitImageTree(global), TIZ_E_INVALID_HANDLE);
  EXPECT_FALSE(Alive(ui));
  EXPECT_FALSE(Alive(bag));
  // The new tree had nowhere to go: none of its bags is left behind.
  EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
}

}  // namespace
