// Reads a page's bags from a test without taking references, and a
// fixture holding a global bag with a UI bag below it, the start of every
// image tree.
#ifndef TIZ_TESTS_BAGTESTSUPPORT_H
#define TIZ_TESTS_BAGTESTSUPPORT_H

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>

#include "ImageTreeNames.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.h"

namespace tiz_test {

inline uint32_t ParentOf(uint32_t h) {
  uint32_t parent = 0;
  EXPECT_EQ(TIZ_GetParent(h, &parent), 0);
  return parent;
}

// The handle an ATTRIBUTESTORE setting of `h` itself holds (0 when absent),
// read without taking a reference.
inline uint32_t Named(uint32_t h, const char *group, const char *item) {
  tiz::CAttribute *a = FindOwn(h, group, item);
  return a && a->m_type == tiz::kTypeAttributeStore ? a->m_value.store : 0;
}

// A global bag with a UI bag child-linked below it; the test keeps its own
// reference to the UI bag. Tearing down destroys the tree and checks that it
// gave back every reference it took and left no store and no image behind.
class PageTreeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    m_liveStores = LiveStoreCount();
    m_liveImages = TALB_LiveImageCount();
    ASSERT_EQ(TIZ_Create(&m_global), 0);
    ASSERT_EQ(TIZ_Create(&m_ui), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_global, "ui.bag", kValue, m_ui), 0);
  }
  void TearDown() override {
    TIZ_InitLogging(0);
    if (Alive(m_global)) {
      EXPECT_EQ(TIZ_UtilDestroyImageTree(m_global), 0);
    }
    EXPECT_EQ(ParentOf(m_ui), 0u);
    EXPECT_EQ(RefCount(m_ui), 1);
    EXPECT_EQ(TIZ_Release(m_ui), 0);
    EXPECT_EQ(LiveStoreCount(), m_liveStores);
    EXPECT_EQ(TALB_LiveImageCount(), m_liveImages);
  }
  // Builds a page's tree and notes its first bags: persistent and current,
  // front (1) and back (2).
  void Init(bool duplex) {
    ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, duplex ? 1 : 0), 0);
    ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
    m_p1 = Named(m_global, kPIS, kFront);
    m_c1 = Named(m_global, kCIS, kFront);
    m_p2 = Named(m_global, kPIS, kBack);
    m_c2 = Named(m_global, kCIS, kBack);
  }
  void ExpectShortCuts(const char *setting, uint32_t value, uint32_t front, uint32_t back) {
    EXPECT_EQ(Named(m_global, setting, kValue), value) << setting;
    EXPECT_EQ(Named(m_global, setting, kFront), front) << setting;
    EXPECT_EQ(Named(m_global, setting, kBack), back) << setting;
  }

  uint32_t m_global = 0, m_ui = 0, m_p1 = 0, m_c1 = 0, m_p2 = 0, m_c2 = 0;

 private:
  size_t m_liveStores = 0;
  uint32_t m_liveImages = 0;
};

}  // namespace tiz_test

#endif
