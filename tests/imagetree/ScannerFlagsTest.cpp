// The black-background flag (UI bag, default in the defaults bag) and the
// zoomed scan resolution, through the C interface.
#include <gtest/gtest.h>

#include "BagTestSupport.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "imagetree/ZoomDpi.h"
#include "tiz.h"

namespace {

using tiz_test::kValue;
using tiz_test::RefCount;
constexpr const char *kFlag = "scanner_is_black_background";

class ScannerFlags : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TIZ_Create(&m_global), 0);
    ASSERT_EQ(TIZ_Create(&m_ui), 0);
    ASSERT_EQ(TIZ_Create(&m_defaults), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "ui.bag", kValue, m_ui), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "defaults.bag", kValue, m_defaults), 0);
    TIZ_Release(m_ui);
    TIZ_Release(m_defaults);
  }
  void TearDown() override {
    EXPECT_EQ(TIZ_Release(m_global), 0);
    EXPECT_EQ(tiz::LookupStore(m_ui), nullptr);
  }
  uint32_t m_global = 0, m_ui = 0, m_defaults = 0;
};

TEST_F(ScannerFlags, BlackBackgroundIsKeptInTheUiBag) {
  uint32_t value = 7;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(m_global, &value), 0);
  EXPECT_EQ(value, 0u);

  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackground(m_global, 3), 0);
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(m_global, &value), 0);
  EXPECT_EQ(value, 3u);
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(m_ui, kFlag, kValue, &conf, &value), 0);
  EXPECT_EQ(conf, 100);

  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackgroundDefault(m_global, 9), 0);
  EXPECT_EQ(TIZ_GetSettingDword(m_defaults, kFlag, kValue, &value), 0);
  EXPECT_EQ(value, 9u);
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(m_global, &value), 0);
  EXPECT_EQ(value, 3u);  // the default is not what the get reads
  EXPECT_EQ(RefCount(m_ui), 0);
}

TEST_F(ScannerFlags, BlackBackgroundErrors) {
  uint32_t value = 7;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(0, nullptr), TIZ_E_NULL_POINTER);
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(0, &value), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackground(0, 1), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackgroundDefault(0, 1), TIZ_E_INVALID_HANDLE);

  // Read errors pass through; the get's output was cleared first.
  ASSERT_EQ(TIZ_SetSettingString(m_ui, kFlag, kValue, "on"), 0);
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(m_global, &value), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(value, 0u);

  uint32_t bare = 0;
  ASSERT_EQ(TIZ_Create(&bare), 0);
  value = 7;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(bare, &value), TIZ_NOT_FOUND);
  EXPECT_EQ(value, 0u);
  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackground(bare, 1), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_UtilSetScannerIsBlackBackgroundDefault(bare, 1), TIZ_NOT_FOUND);
  EXPECT_EQ(tiz::LookupStore(bare)->Keys().size, 0u);
  TIZ_Release(bare);
}

// The scanner values are read in the UI bag with fall-back to its ancestors,
// the global bag included.
TEST_F(ScannerFlags, ScannerValuesFallBackToTheUiBagsAncestors) {
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scanner_is_black_background", kValue, 4), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_zoom_percent", kValue, 150), TIZ_OK);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_UtilGetScannerIsBlackBackground(m_global, &value), TIZ_OK);
  EXPECT_EQ(value, 4u);
  uint32_t flag = 0, zoom = 0;
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, 0x0028, &flag, &zoom), TIZ_OK);
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

TEST_F(ScannerFlags, ZoomedResolutionFollowsTheWorkedValues) {
  struct Case {
    uint32_t mask;
    int64_t zoom, destination;  // -1: not set in the UI bag
    uint32_t flag, zoomOut;
  } cases[] = {
      {0x0028, 150, 200, 0x0020, 6667},
      {0x0028, 100, 200, 0x0008, 10000},
      {0x0008, 200, 200, 0x0008, 10000},
      {0x0028, -1, -1, 0x0008, 10000},            // defaults 100 and 200
      {0xFFFF, 400, 200, 0x0080, 3333},           // above the highest: 600
      {0xFFFF, 0, 200, 0x0001, 26667},            // target 0: the lowest
      {0x2000 | 0x0080, 225, 200, 0x2000, 4000},  // 500 dpi sorts before 600
      {0x0010, 100, 300, 0x0010, 12500},
      {0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0x0080, 0xFFFFFFFF},  // saturates
  };
  for (const Case &c : cases) {
    TIZ_DeleteSetting(m_ui, "scan_zoom_percent", kValue);
    TIZ_DeleteSetting(m_ui, "Destination.Vertical_DPI", kValue);
    if (c.zoom >= 0) {
      TIZ_SetSettingDword(m_ui, "scan_zoom_percent", kValue, static_cast<uint32_t>(c.zoom));
    }
    if (c.destination >= 0) {
      TIZ_SetSettingDword(m_ui, "Destination.Vertical_DPI", kValue,
                          static_cast<uint32_t>(c.destination));
    }
    uint32_t flag = 0, zoom = 0;
    EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, c.mask, &flag, &zoom), 0);
    EXPECT_EQ(flag, c.flag) << c.mask << " " << c.zoom << " " << c.destination;
    EXPECT_EQ(zoom, c.zoomOut) << c.mask << " " << c.zoom << " " << c.destination;
  }
  EXPECT_EQ(RefCount(m_ui), 0);
}

TEST_F(ScannerFlags, ZoomedResolutionErrorsLeaveTheOutputs) {
  uint32_t flag = 7, zoom = 8;
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, 0x0100, &flag, &zoom), TIZ_E_NO_DPI);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, 0, &flag, &zoom), TIZ_E_NO_DPI);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(0, 0x08, nullptr, &zoom), TIZ_E_NULL_POINTER);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(0, 0x08, &flag, nullptr), TIZ_E_NULL_POINTER);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(0, 0x08, &flag, &zoom), TIZ_E_INVALID_HANDLE);
  ASSERT_EQ(TIZ_SetSettingDouble(m_ui, "Destination.Vertical_DPI", kValue, 300.0), 0);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, 0x08, &flag, &zoom), TIZ_E_WRONG_TYPE);
  ASSERT_EQ(TIZ_DeleteSetting(m_ui, "Destination.Vertical_DPI", kValue), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_ui, "scan_zoom_percent", kValue, "150"), 0);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(m_global, 0x08, &flag, &zoom), TIZ_E_WRONG_TYPE);
  uint32_t bare = 0;
  ASSERT_EQ(TIZ_Create(&bare), 0);
  EXPECT_EQ(TIZ_UtilGetZoomedBICDPI(bare, 0x08, &flag, &zoom), TIZ_NOT_FOUND);
  TIZ_Release(bare);
  EXPECT_EQ(flag, 7u);
  EXPECT_EQ(zoom, 8u);
  EXPECT_EQ(RefCount(m_ui), 0);
}

TEST_F(ScannerFlags, ResolutionListIsAscendingWithTheOutOfSequenceBit) {
  tiz::CZoomDPI all(0xFFFFFFFF);
  ASSERT_TRUE(all.BuildList());
  ASSERT_EQ(all.m_count, 9);
  const int32_t dpi[] = {75, 100, 150, 200, 240, 300, 400, 500, 600};
  const uint32_t bits[] = {0x1, 0x2, 0x4, 0x8, 0x10, 0x20, 0x40, 0x2000, 0x80};
  for (int i = 0; i < 9; ++i) {
    EXPECT_EQ(all.m_dpi[i], dpi[i]);
    EXPECT_EQ(all.m_dpiFlag[i], bits[i]);
  }
  EXPECT_EQ(all.m_dpiMask, 0xFFFFFFFFu);
  tiz::CZoomDPI none(0x1F00);
  EXPECT_FALSE(none.BuildList());
  EXPECT_EQ(none.m_count, 0);
}

}  // namespace
