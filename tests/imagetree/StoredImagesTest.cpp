// Stored images through the C interface: each new page image goes into a new
// bag of the side being processed, an equal uncached predecessor is dropped
// from the current bag, and the fixed image sets are deleted; images are
// released exactly once and bag references are given back.
#include <gtest/gtest.h>

#include <string>

#include "BagTestSupport.h"
#include "LiveStores.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "imagetree/ImagesMatch.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using namespace tiz_test;

constexpr const char *kCached = "Attribute.Image_Cached";

// The image a bag itself stores under `group` (0 when it has none).
uint32_t OwnImage(uint32_t h, const char *group = "Image") {
  tiz::CAttribute *a = FindOwn(h, group, kValue);
  return a && a->m_type == tiz::kTypeImage ? a->m_value.image : 0;
}
int64_t OwnCachedFlag(uint32_t h, const char *group = "Image") {
  tiz::CAttribute *a = FindOwn(h, group, kCached);
  return a && a->m_type == tiz::kTypeDword ? static_cast<int64_t>(a->m_value.dword) : -1;
}

// Each side's first current bag is c1 (front, or the one bag of a simplex
// page) and c2 (back).
class StoredImages : public PageTreeTest {
 protected:
  void Init(bool duplex) {
    ASSERT_EQ(TIZ_SetSettingDword(m_global, "scan_duplex", kValue, duplex ? 1 : 0), 0);
    ASSERT_EQ(TIZ_UtilReInitImageTree(m_global), 0);
    m_c1 = Current();
    m_c2 = Named(m_global, kCIS, kBack);
  }
  uint32_t Current() { return Named(m_global, kCIS, kValue); }
  // Stores a new image and answers the bag that received it.
  uint32_t Store(uint32_t image, uint32_t cached = 0) {
    EXPECT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, cached), 0);
    EXPECT_EQ(OwnImage(Current()), image);
    return Current();
  }
};

TEST_F(StoredImages, FirstImageGoesIntoANewBagAndReferencesAreGivenBack) {
  Init(false);
  int32_t before[] = {RefCount(m_c1), RefCount(m_ui), RefCount(m_global)};
  uint32_t image = TALB_CreateImage(10, 20);
  ASSERT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, 0), 0);
  uint32_t bag = Current();
  EXPECT_NE(bag, m_c1);
  EXPECT_EQ(ParentOf(bag), m_c1);
  EXPECT_EQ(OwnImage(bag), image);
  EXPECT_EQ(OwnCachedFlag(bag), 0);
  EXPECT_EQ(RefCount(bag), 0);
  EXPECT_EQ(RefCount(m_c1), before[0]);
  EXPECT_EQ(RefCount(m_ui), before[1]);
  EXPECT_EQ(RefCount(m_global), before[2]);

  uint32_t cached = TALB_CreateImage(11, 20);
  ASSERT_EQ(TIZ_UtilUpdateStoredImages(m_global, cached, 5), 0);
  EXPECT_EQ(OwnCachedFlag(Current()), 1);
  EXPECT_EQ(ParentOf(Current()), bag);
}

TEST_F(StoredImages, SameImageTwiceIsRefused) {
  Init(false);
  uint32_t image = TALB_CreateImage(1, 2);
  uint32_t bag = Store(image);
  int32_t count = RefCount(m_global);
  size_t live = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, 0), TIZ_E_SAME_IMAGE);
  EXPECT_EQ(Current(), bag);
  EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), live);
  EXPECT_EQ(RefCount(m_global), count);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
}

TEST_F(StoredImages, EqualUncachedPredecessorIsDropped) {
  Init(false);
  uint32_t first = TALB_CreateImage(1, 2);
  uint32_t firstBag = Store(first);
  uint32_t second = TALB_CreateImage(1, 2);
  uint32_t secondBag = Store(second);
  EXPECT_EQ(ParentOf(secondBag), firstBag);
  EXPECT_EQ(TALB_ReleaseCount(first), 1u);
  EXPECT_EQ(KeyCount(firstBag), 1u);  // only the link to the next bag is left
  EXPECT_EQ(TALB_ReleaseCount(second), 0u);
}

TEST_F(StoredImages, CachedOrDifferentPredecessorIsKept) {
  struct Case {
    uint32_t cached;
    uint16_t p25, p26;
  } cases[] = {{1, 1, 2}, {0, 1, 3}, {0, 9, 2}};
  for (const Case &c : cases) {
    Init(false);
    uint32_t first = TALB_CreateImage(1, 2);
    uint32_t firstBag = Store(first, c.cached);
    uint32_t second = TALB_CreateImage(c.p25, c.p26);
    uint32_t secondBag = Store(second);
    EXPECT_EQ(ParentOf(secondBag), firstBag);
    EXPECT_EQ(OwnImage(firstBag), first) << c.cached << c.p25 << c.p26;
    EXPECT_EQ(TALB_ReleaseCount(first), 0u);
  }
}

TEST_F(StoredImages, PredecessorInAnEarlierBagStaysThere) {
  Init(false);
  uint32_t first = TALB_CreateImage(1, 2);
  uint32_t firstBag = Store(first);
  // Another stage appends a bag of its own after the image.
  uint32_t stage = 0;
  ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(m_global, 1, &stage), 0);
  ASSERT_EQ(TIZ_SetSettingDword(stage, "Stage", kValue, 1), 0);
  TIZ_Release(stage);

  uint32_t second = TALB_CreateImage(1, 2);
  uint32_t secondBag = Store(second);
  EXPECT_EQ(ParentOf(secondBag), stage);
  EXPECT_EQ(OwnImage(firstBag), first);
  EXPECT_EQ(TALB_ReleaseCount(first), 0u);
  EXPECT_EQ(OwnImage(stage), 0u);
}

TEST_F(StoredImages, ImageLibraryErrorsEndTheUpdate) {
  Init(false);
  uint32_t first = TALB_CreateImage(1, 2);
  uint32_t bag = Store(first);
  uint32_t unknown = 0x0FFFFFF0;  // never issued by the image library
  int32_t r = TIZ_UtilUpdateStoredImages(m_global, unknown, 0);
  uint32_t error = 0;
  TALB_GetImageProperty(unknown, 26, &error);
  EXPECT_NE(error, 0u);
  EXPECT_EQ(r, static_cast<int32_t>(error));
  EXPECT_EQ(Current(), bag);
  EXPECT_EQ(OwnImage(bag), first);
}

TEST_F(StoredImages, WithoutATreeTheImageStaysTheCallers) {
  uint32_t image = TALB_CreateImage(1, 2);
  // No current bag: the image read on handle 0 fails the handle check.
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, 0), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(0, image, 0), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(KeyCount(m_global), 1u);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  TALB_ReleaseImage(image);
}

TEST_F(StoredImages, BackSideImagesGoToTheBackChain) {
  Init(true);
  ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
  uint32_t bag = Store(TALB_CreateImage(1, 2));
  EXPECT_EQ(ParentOf(bag), m_c2);
  EXPECT_EQ(Named(m_global, kCIS, kBack), bag);
  EXPECT_EQ(Named(m_global, kCIS, kFront), m_c1);
  uint32_t back = 0;
  EXPECT_EQ(TIZ_UtilIsABackSideBag(bag, &back), 0);
  EXPECT_EQ(back, 1u);
}

TEST_F(StoredImages, TheUpdateGoesThroughTheExports) {
  Init(false);
  uint32_t image = TALB_CreateImage(1, 2);
  TIZ_InitLogging(1);
  testing::internal::CaptureStderr();
  ASSERT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, 0), 0);
  std::string trace = testing::internal::GetCapturedStderr();
  TIZ_InitLogging(0);
  uint32_t bag = Current();
  size_t get = trace.find("TEV: TIZ_UtilGetCurrentBag : *phCurrentBag=" + Hex(m_c1) +
                          ", cszSettingName=Current.ImageStore\n");
  size_t append = trace.find("TEV: TIZ_UtilAppendNewCurrentBag : *phCurrentBag=" + Hex(bag) + "\n");
  size_t set = trace.find("TEV: TIZ_SetSettingImage : hAttrStore=" + Hex(bag) +
                          " hImage=" + Hex(image) + "\n");
  ASSERT_NE(get, std::string::npos) << trace;
  ASSERT_NE(append, std::string::npos) << trace;
  ASSERT_NE(set, std::string::npos) << trace;
  EXPECT_LT(get, append);
  EXPECT_LT(append, set);
}

TEST_F(StoredImages, AdvancedThresholdImagesAreDeletedFromTheBag) {
  const char *groups[] = {
      "AdvancedThreshold.Image_AdvancedThreshold_Input_FullPage",
      "AdvancedThreshold.Image_AdvancedThreshold_Input_ReducedPage",
      "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_One",
      "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_Two",
      "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FullPage_MaskPlus",
      "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_FirstSmall",
      "AdvancedThreshold.Image_AdvancedThreshold_Bitonal_Output_OtherSmall",
  };
  uint32_t bag = 0;
  ASSERT_EQ(TIZ_Create(&bag), 0);
  EXPECT_EQ(TIZ_UtilDeleteATImage(bag), 0);  // nothing at all
  uint32_t kept = TALB_CreateImage(1, 1);
  ASSERT_EQ(TIZ_SetSettingImage(bag, "Image", kValue, kept), 0);
  EXPECT_EQ(TIZ_UtilDeleteATImage(bag), 0);  // none of its images
  uint32_t images[7];
  for (int i = 0; i < 7; ++i) {
    images[i] = TALB_CreateImage(1, 1);
    ASSERT_EQ(TIZ_SetSettingImage(bag, groups[i], kValue, images[i]), 0);
    if (i % 2 == 0) {
      ASSERT_EQ(TIZ_SetSettingDword(bag, groups[i], kCached, 1), 0);
    }
  }
  EXPECT_EQ(TIZ_UtilDeleteATImage(bag), 0);
  for (uint32_t image : images) EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(KeyCount(bag), 1u);
  EXPECT_EQ(TALB_ReleaseCount(kept), 0u);
  EXPECT_EQ(TIZ_UtilDeleteATImage(0), TIZ_E_INVALID_HANDLE);
  TIZ_Release(bag);
}

TEST_F(StoredImages, SideImagesOfTheCurrentSideAreDeleted) {
  struct Family {
    int32_t(TIZ_API *remove)(uint32_t);
    const char *front;
    const char *back;
  } families[] = {
      {TIZ_UtilDeleteYBitonalImage, "Image.For_Y_Bitonal_Front", "Image.For_Y_Bitonal_Back"},
      {TIZ_UtilDeleteYPlaneImage, "Image_For_Y_Plane_Front", "Image_For_Y_Plane_Back"},
  };
  Init(true);
  for (const Family &f : families) {
    uint32_t front = TALB_CreateImage(1, 1), back = TALB_CreateImage(1, 1);
    ASSERT_EQ(TIZ_SetSettingImage(m_global, f.front, kValue, front), 0);
    ASSERT_EQ(TIZ_SetSettingDword(m_global, f.front, kCached, 0), 0);
    ASSERT_EQ(TIZ_SetSettingImage(m_global, f.back, kValue, back), 0);
    ASSERT_EQ(TIZ_SetSettingDword(m_global, f.back, kCached, 1), 0);

    EXPECT_EQ(f.remove(m_global), 0);
    EXPECT_EQ(TALB_ReleaseCount(front), 1u);
    EXPECT_EQ(OwnCachedFlag(m_global, f.front), -1);
    EXPECT_EQ(OwnImage(m_global, f.back), back);
    EXPECT_EQ(f.remove(m_global), 0);  // absent settings are no error

    ASSERT_EQ(TIZ_UtilSetSide(m_global, 0), 0);
    EXPECT_EQ(f.remove(m_global), 0);
    EXPECT_EQ(TALB_ReleaseCount(back), 1u);
    EXPECT_EQ(OwnCachedFlag(m_global, f.back), -1);
    ASSERT_EQ(TIZ_UtilSetSide(m_global, 1), 0);

    EXPECT_EQ(f.remove(0), TIZ_E_NULL_POINTER);
    EXPECT_EQ(f.remove(0x12345678), TIZ_E_NULL_POINTER);
  }
  // Shortcuts that disagree about the current side stop the deletion.
  tiz::CAttributeStore *g = tiz::LookupStore(m_global);
  ASSERT_TRUE(g->RemoveEntry(std::string(tiz::ComposeKey(kCIS, kFront))));
  uint32_t image = TALB_CreateImage(1, 1);
  ASSERT_EQ(TIZ_SetSettingImage(m_global, families[0].front, kValue, image), 0);
  EXPECT_EQ(TIZ_UtilDeleteYBitonalImage(m_global), TIZ_E_SIDE_MISMATCH);
  EXPECT_EQ(TIZ_UtilDeleteYPlaneImage(m_global), TIZ_E_SIDE_MISMATCH);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_global, kCIS, kFront, m_c1), 0);
}

// The image 0 on a page without images is "the current bag's image".
TEST_F(StoredImages, ImageZeroOnAPageWithoutImagesIsTheSameImage) {
  Init(false);
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(m_global, 0, 0), TIZ_E_SAME_IMAGE);
  EXPECT_EQ(Current(), m_c1);
  uint32_t image = TALB_CreateImage(1, 2);
  ASSERT_EQ(TIZ_UtilUpdateStoredImages(m_global, image, 0), TIZ_OK);
  uint32_t bag = Current();
  EXPECT_EQ(TIZ_UtilUpdateStoredImages(m_global, 0, 0), TIZ_OK);  // 0 never matches
  EXPECT_EQ(ParentOf(Current()), bag);
}

// Two images match when both properties agree; a missing image matches none,
// and an image the library does not know ends the comparison with its error,
// in either place, leaving the answer unwritten.
TEST(ImagesMatch, BothPropertiesMustAgree) {
  const uint32_t a = TALB_CreateImage(3, 4), same = TALB_CreateImage(3, 4);
  const uint32_t other25 = TALB_CreateImage(9, 4), other26 = TALB_CreateImage(3, 9);
  const uint32_t unknown = 0x0FFFFFF0;  // never issued by the image library
  uint32_t error = 0;
  TALB_GetImageProperty(unknown, 26, &error);
  ASSERT_NE(error, 0u);
  struct Case {
    uint32_t first, second;
    int32_t result;
    uint32_t match;
  };
  const Case cases[] = {
      {a, same, 0, 1},
      {a, other25, 0, 0},
      {a, other26, 0, 0},
      {0, a, 0, 0},
      {a, 0, 0, 0},
      {unknown, a, static_cast<int32_t>(error), 7},
      {a, unknown, static_cast<int32_t>(error), 7},
  };
  for (const Case &c : cases) {
    uint32_t match = 7;
    EXPECT_EQ(tiz::UtilImagesMatch(c.first, c.second, &match), c.result)
        << c.first << " " << c.second;
    EXPECT_EQ(match, c.match) << c.first << " " << c.second;
  }
  for (uint32_t image : {a, same, other25, other26}) TALB_ReleaseImage(image);
}

}  // namespace
