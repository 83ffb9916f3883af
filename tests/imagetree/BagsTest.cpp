// Bags and sides through the C interface: shortcuts of the global bag per
// side, appending bags, switching sides, the null-pointer and handle rules,
// reference counts and trace lines.
#include <gtest/gtest.h>

#include <string>

#include "BagTestSupport.h"
#include "LiveStores.h"
#include "core/AttributeStore.h"
#include "tiz.h"

namespace {

using namespace tiz_test;

// Drops a shortcut item without touching the bag it names (deleting the
// setting would free the bag).
void Unset(uint32_t h, const char *group, const char *item) {
  tiz::CAttributeStore *s = tiz::LookupStore(h);
  ASSERT_TRUE(s->RemoveEntry(std::string(tiz::ComposeKey(group, item))));
}

class Bags : public PageTreeTest {
 protected:
  uint32_t Append(uint32_t side) {
    uint32_t bag = 0;
    EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, side, &bag), 0);
    return bag;
  }
  uint32_t CurrentBag(uint32_t side) {
    uint32_t bag = 0;
    EXPECT_EQ(TIZ_UtilGetCurrentBag(m_global, side, &bag), 0);
    TIZ_Release(bag);
    return bag;
  }
  uint32_t IsFront() {
    uint32_t front = 7;
    EXPECT_EQ(TIZ_UtilIsCurrentFront(m_global, &front), 0);
    return front;
  }
};

TEST_F(Bags, NullOutPointerIsRefusedBeforeTheHandle) {
  uint32_t dead = 0;
  ASSERT_EQ(TIZ_Create(&dead), 0);
  ASSERT_EQ(TIZ_Release(dead), 0);
  for (uint32_t h : {m_global, 0u, dead, 0x12345678u}) {
    EXPECT_EQ(TIZ_UtilGetCurrentBag(h, 1, nullptr), TIZ_E_NULL_POINTER) << h;
    EXPECT_EQ(TIZ_UtilGetPersistentBag(h, 1, nullptr), TIZ_E_NULL_POINTER) << h;
    EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(h, 1, nullptr), TIZ_E_NULL_POINTER) << h;
    EXPECT_EQ(TIZ_UtilIsCurrentFront(h, nullptr), TIZ_E_NULL_POINTER) << h;
    EXPECT_EQ(TIZ_UtilIsABackSideBag(h, nullptr), TIZ_E_NULL_POINTER) << h;
  }
  for (uint32_t h : {0u, dead, 0x12345678u}) {
    uint32_t out = 0xABCD;
    EXPECT_EQ(TIZ_UtilGetCurrentBag(h, 1, &out), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilGetPersistentBag(h, 1, &out), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(h, 1, &out), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilIsCurrentFront(h, &out), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilIsABackSideBag(h, &out), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_UtilSetSide(h, 1), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(out, 0xABCDu);
  }
  EXPECT_EQ(TIZ_UtilGenerateBatchAttributeName(0, 0, 0), TIZ_E_NOT_PROVIDED);
  EXPECT_EQ(TIZ_UtilGenerateBatchAttributeName(m_global, 1, 2), TIZ_E_NOT_PROVIDED);
}

TEST_F(Bags, TreeWithoutShortcutsHandsOutNothing) {
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), 0);
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  uint32_t out = 0xABCD;
  EXPECT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &out), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_UtilGetPersistentBag(m_global, 0, &out), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &out), TIZ_NOT_FOUND);
  EXPECT_EQ(out, 0xABCDu);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  EXPECT_EQ(IsFront(), 1u);  // neither item present counts as the same bag
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
}

TEST_F(Bags, SimplexNamesOneBagForBothSides) {
  Init(false);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c1);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p1);
  EXPECT_EQ(CurrentBag(1), m_c1);
  EXPECT_EQ(CurrentBag(0), m_c1);

  uint32_t n1 = Append(1);
  EXPECT_EQ(ParentOf(n1), m_c1);
  ExpectShortCuts(kCIS, n1, n1, n1);
  EXPECT_EQ(Named(m_c1, kCIS, kValue), n1);
  uint32_t n2 = Append(0);
  EXPECT_EQ(ParentOf(n2), n1);
  ExpectShortCuts(kCIS, n2, n2, n2);

  EXPECT_EQ(IsFront(), 1u);
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  ExpectShortCuts(kCIS, n2, n2, n2);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p1);
  uint32_t persistent = 0;
  EXPECT_EQ(TIZ_UtilGetPersistentBag(m_global, 0, &persistent), 0);
  EXPECT_EQ(persistent, m_p1);
  TIZ_Release(persistent);
  TIZ_Release(n1);
  TIZ_Release(n2);
}

TEST_F(Bags, DuplexPageFollowsTheWorkedSequence) {
  Init(true);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c2);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);
  EXPECT_EQ(IsFront(), 1u);
  EXPECT_EQ(CurrentBag(1), m_c1);
  EXPECT_EQ(CurrentBag(0), m_c2);

  uint32_t n1 = Append(1);
  EXPECT_EQ(ParentOf(n1), m_c1);
  ExpectShortCuts(kCIS, n1, n1, m_c2);

  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  ExpectShortCuts(kCIS, m_c2, n1, m_c2);
  ExpectShortCuts(kPIS, m_p2, m_p1, m_p2);
  EXPECT_EQ(IsFront(), 0u);
  EXPECT_EQ(CurrentBag(1), m_c2);
  EXPECT_EQ(CurrentBag(0), n1);

  uint32_t n2 = Append(1);
  EXPECT_EQ(ParentOf(n2), m_c2);
  ExpectShortCuts(kCIS, n2, n1, n2);
  uint32_t back = 7;
  EXPECT_EQ(TIZ_UtilIsABackSideBag(n2, &back), 0);
  EXPECT_EQ(back, 1u);
  EXPECT_EQ(TIZ_UtilIsABackSideBag(n1, &back), 0);
  EXPECT_EQ(back, 0u);

  uint32_t persistent = 0;
  EXPECT_EQ(TIZ_UtilGetPersistentBag(m_global, 1, &persistent), 0);
  EXPECT_EQ(persistent, m_p2);
  TIZ_Release(persistent);

  EXPECT_EQ(TIZ_UtilSetSide(m_global, 1), 0);
  ExpectShortCuts(kCIS, n1, n1, n2);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 1), 0);  // already current: nothing moves
  ExpectShortCuts(kCIS, n1, n1, n2);
  TIZ_Release(n1);
  TIZ_Release(n2);
}

TEST_F(Bags, SideArgumentsOtherThanOneNameTheOtherSideInDuplex) {
  Init(true);
  EXPECT_EQ(CurrentBag(2), m_c2);
  EXPECT_EQ(CurrentBag(0xFFFFFFFF), m_c2);
  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  // The back side is current: its front flag is 0, so 0 now names the back.
  EXPECT_EQ(CurrentBag(0), m_c1);
  EXPECT_EQ(CurrentBag(2), m_c2);
}

TEST_F(Bags, AppendingToTheOtherSideMovesOnlyItsItem) {
  Init(true);
  uint32_t n = Append(0);
  EXPECT_EQ(ParentOf(n), m_c2);
  ExpectShortCuts(kCIS, m_c1, m_c1, n);
  EXPECT_EQ(IsFront(), 1u);
  TIZ_Release(n);
}

TEST_F(Bags, SidesSharingOneBagMoveAllItemsInDuplex) {
  Init(false);  // a simplex layout, then the scanner switches to duplex
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), 0);
  uint32_t n = Append(1);
  ExpectShortCuts(kCIS, n, n, n);
  TIZ_Release(n);
}

TEST_F(Bags, ReferencesGoToTheCaller) {
  Init(true);
  int32_t before[] = {RefCount(m_c1), RefCount(m_p1), RefCount(m_ui), RefCount(m_global)};
  uint32_t bag = 0;
  ASSERT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &bag), 0);
  EXPECT_EQ(RefCount(m_c1), before[0] + 1);
  EXPECT_EQ(RefCount(m_global), before[3] + 1);
  ASSERT_EQ(TIZ_Release(bag), 0);
  EXPECT_EQ(RefCount(m_c1), before[0]);

  // The new bag carries its creation reference for the caller, counted in
  // its chain; giving it back leaves the linked bag alive at 0.
  uint32_t n = Append(1);
  EXPECT_EQ(RefCount(n), 1);
  EXPECT_EQ(RefCount(m_c1), before[0] + 1);
  EXPECT_EQ(RefCount(m_p1), before[1] + 1);
  EXPECT_EQ(RefCount(m_ui), before[2] + 1);
  EXPECT_EQ(RefCount(m_global), before[3] + 1);
  ASSERT_EQ(TIZ_Release(n), 0);
  EXPECT_TRUE(Alive(n));
  EXPECT_EQ(RefCount(n), 0);
  EXPECT_EQ(RefCount(m_c1), before[0]);
  EXPECT_EQ(RefCount(m_global), before[3]);
}

TEST_F(Bags, OneSideItemWithoutTheOtherIsInconsistent) {
  Init(true);
  Unset(m_global, kCIS, kFront);
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  uint32_t out = 0xABCD;
  EXPECT_EQ(TIZ_UtilIsCurrentFront(m_global, &out), TIZ_E_SIDE_MISMATCH);
  EXPECT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &out), TIZ_E_SIDE_MISMATCH);
  EXPECT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &out), TIZ_E_SIDE_MISMATCH);
  EXPECT_EQ(out, 0xABCDu);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  // In simplex no side test is made.
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 0), 0);
  EXPECT_EQ(CurrentBag(1), m_c1);
}

TEST_F(Bags, SwitchingToASideWithoutBagsChangesNothing) {
  Init(true);
  Unset(m_global, kCIS, kBack);
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), TIZ_NOT_FOUND);
  ExpectShortCuts(kCIS, m_c1, m_c1, 0);
  ExpectShortCuts(kPIS, m_p1, m_p1, m_p2);

  ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, kCIS, kBack, m_c2), 0);
  Unset(m_global, kPIS, kBack);
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), TIZ_NOT_FOUND);
  ExpectShortCuts(kCIS, m_c1, m_c1, m_c2);
  ExpectShortCuts(kPIS, m_p1, m_p1, 0);
  // The tree's destruction finds the back side's bags through this item.
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, kPIS, kBack, m_p2), 0);
}

TEST_F(Bags, ReadErrorsOfTheDuplexFlagPassThrough) {
  Init(true);
  ASSERT_EQ(TIZ_SetSettingString(m_global, "scan_duplex", kValue, "yes"), 0);
  uint32_t out = 0xABCD;
  EXPECT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &out), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_UtilSetSide(m_global, 0), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(out, 0xABCDu);
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, 1), 0);
}

TEST_F(Bags, BackSideMarkerIsInheritedThroughTheChain) {
  Init(true);
  uint32_t flag = 7;
  for (auto [bag, expected] :
       {std::pair{m_p2, 1u}, {m_c2, 1u}, {m_p1, 0u}, {m_c1, 0u}, {m_global, 0u}}) {
    EXPECT_EQ(TIZ_UtilIsABackSideBag(bag, &flag), 0);
    EXPECT_EQ(flag, expected) << bag;
  }
  uint32_t other = 0;
  ASSERT_EQ(TIZ_Create(&other), 0);
  ASSERT_EQ(TIZ_SetSettingString(other, "Persistent_Back", kValue, "1"), 0);
  flag = 7;
  EXPECT_EQ(TIZ_UtilIsABackSideBag(other, &flag), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(flag, 7u);
  TIZ_Release(other);
}

TEST_F(Bags, TraceLinesAreWrittenWhileLoggingIsOn) {
  Init(true);
  std::string g = Hex(m_global);
  auto shortCut = [&](int side, const char *setting, const char *item) {
    return ShortCutTrace(m_global, side, setting, item);
  };

  testing::internal::CaptureStderr();
  uint32_t bag = 0;
  ASSERT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &bag), 0);
  TIZ_Release(bag);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");

  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilGetCurrentBag(m_global, 1, &bag), 0);
  TIZ_Release(bag);
  ASSERT_EQ(TIZ_UtilGetPersistentBag(m_global, 0, &bag), 0);
  TIZ_Release(bag);
  uint32_t n = 0;
  ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &n), 0);
  std::string expected =
      shortCut(1, kCIS, kFront) + "TEV: TIZ_UtilGetCurrentBag : *phCurrentBag=" + Hex(m_c1) +
      ", cszSettingName=Current.ImageStore\n" + shortCut(0, kPIS, kBack) +
      shortCut(1, kCIS, kFront) + "TEV: UtilAppendNewCurrentBag : pGlobalBag=" + g +
      " pOldCurrent=" + Hex(m_c1) + "\n" + shortCut(1, kCIS, kFront) + shortCut(0, kCIS, kBack) +
      "TEV: TIZ_UtilAppendNewCurrentBag : *phCurrentBag=" + Hex(n) + "\n";
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);

  // A failed get writes only the shortcut read's line.
  Unset(m_global, kCIS, kBack);
  testing::internal::CaptureStderr();
  EXPECT_EQ(TIZ_UtilGetCurrentBag(m_global, 0, &bag), TIZ_NOT_FOUND);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), shortCut(0, kCIS, kBack));
  TIZ_InitLogging(0);
  TIZ_Release(n);
}

}  // namespace
