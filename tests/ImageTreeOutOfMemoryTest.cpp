// Every image-tree operation on a full duplex page, with each of its
// allocations failing in turn: the failure is reported through the support
// library, the stores stay whole, and once the tree is destroyed no store and
// no image is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AllocFailure.h"
#include "BagTestSupport.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

constexpr int32_t kReportResult = -4321;
using tiz_test::kCIS;
using tiz_test::kPIS;
using tiz_test::kValue;
using tiz_test::Named;

// A duplex page: images in both chains, the back chain saved once with a
// bag appended after the save, and a defaults bag owned by the global bag.
struct Page {
  uint32_t global = 0, ui = 0;
  uint32_t frontPersistent = 0, savedReplacement = 0;
  uint32_t nextImage = 0;

  Page() {
    TIZ_Create(&global);
    TIZ_Create(&ui);
    TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui);
    uint32_t defaults = 0;
    TIZ_Create(&defaults);
    TIZ_SetSettingAttrStoreChild(global, "defaults.bag", kValue, defaults);
    TIZ_SetSettingImage(defaults, "Image", kValue, TALB_CreateImage(5, 5));
    TIZ_Release(defaults);
    TIZ_SetSettingDword(global, "scan_duplex", kValue, 1);
    TIZ_UtilReInitImageTree(global);
    frontPersistent = Named(global, kPIS, "Attribute.Front_Side");
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(1, 1), 0);
    TIZ_UtilSetSide(global, 0);
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(2, 2), 1);
    TIZ_UtilSaveCurrentImageTree(global, Named(global, kPIS, kValue));
    savedReplacement = Named(global, kCIS, kValue);
    TIZ_UtilUpdateStoredImages(global, TALB_CreateImage(3, 3), 0);
    nextImage = TALB_CreateImage(3, 3);  // equal to the last one: replaces it
  }
  void Free() {
    if (tiz::LookupStore(global)) {
      EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
    }
    for (int i = 0; i < 100000 && TIZ_Release(ui) == 0; ++i) {
    }
    if (TALB_ReleaseCount(nextImage) == 0) TALB_ReleaseImage(nextImage);  // never stored
  }
};

class ImageTreeOutOfMemory : public ::testing::Test {
 protected:
  void SetUp() override { ORV_SetReportResult(kReportResult); }
  void TearDown() override { ORV_SetReportResult(-1); }

  // Returns how many allocations the complete run made.
  size_t FailEachAllocationInTurn(const char *name, std::function<int32_t(Page &)> operation) {
    SCOPED_TRACE(name);
    for (size_t n = 0; n < 100000; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n + 1));
      const size_t stores = tiz::StoreHandles::Instance().LiveCount();
      const uint32_t images = TALB_LiveImageCount();
      Page page;
      int32_t result;
      {
        tiz_test::ScopedAllocationFailure fail(n);
        result = operation(page);
      }
      bool failed = tiz_test::AllocationFailed();
      if (failed) {
        EXPECT_TRUE(result == 0 || result == kReportResult) << result;
      } else {
        EXPECT_EQ(result, 0);
      }
      EXPECT_EQ(tiz_test::StoreFaults(page.global), "");
      EXPECT_EQ(tiz_test::StoreFaults(page.ui), "");
      page.Free();
      EXPECT_EQ(tiz::StoreHandles::Instance().LiveCount(), stores);
      EXPECT_EQ(TALB_LiveImageCount(), images);
      if (!failed || HasFailure()) return n;
    }
    ADD_FAILURE() << "never completed";
    return 0;
  }
};

int32_t Append(Page &p) {
  uint32_t bag = 0;
  int32_t r = TIZ_UtilAppendNewCurrentBag(p.global, 1, &bag);
  if (r == 0) TIZ_Release(bag);
  return r;
}
int32_t SwitchSide(Page &p) { return TIZ_UtilSetSide(p.global, 1); }
int32_t StoreImage(Page &p) { return TIZ_UtilUpdateStoredImages(p.global, p.nextImage, 0); }
int32_t SaveFront(Page &p) {
  TIZ_UtilSetSide(p.global, 1);
  return TIZ_UtilSaveCurrentImageTree(p.global, p.frontPersistent);
}
int32_t SaveBackAgain(Page &p) {
  return TIZ_UtilSaveCurrentImageTree(p.global, Named(p.global, kPIS, kValue));
}
int32_t Restore(Page &p) { return TIZ_UtilRestoreSavedImageTree(p.global, p.savedReplacement); }
int32_t ReInit(Page &p) { return TIZ_UtilReInitImageTree(p.global); }
int32_t Destroy(Page &p) { return TIZ_UtilDestroyImageTree(p.global); }

TEST_F(ImageTreeOutOfMemory, EveryOperationLeavesNothingBehind) {
  const std::pair<const char *, int32_t (*)(Page &)> operations[] = {
      {"re-initialisation", ReInit}, {"append", Append},       {"side switch", SwitchSide},
      {"stored image", StoreImage},  {"save", SaveFront},      {"second save", SaveBackAgain},
      {"restore", Restore},          {"destruction", Destroy},
  };
  for (const auto &[name, operation] : operations) {
    EXPECT_GT(FailEachAllocationInTurn(name, operation), 0u) << name;
  }
}

}  // namespace
