// Every image-tree operation on a full duplex page, with each of its
// allocations failing in turn: the failure is reported through the support
// library, the stores stay whole, and once the tree is destroyed no store and
// no image is left behind.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "AllocFailure.h"
#include "DuplexPage.h"
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

class ImageTreeOutOfMemory : public ::testing::Test {
 protected:
  void SetUp() override { ORV_SetReportResult(kReportResult); }
  void TearDown() override { ORV_SetReportResult(-1); }

  // Returns how many allocations the complete run made.
  size_t FailEachAllocationInTurn(const char *name, tiz_test::PageOperation operation) {
    SCOPED_TRACE(name);
    for (size_t n = 0; n < 100000; ++n) {
      SCOPED_TRACE("allocation " + std::to_string(n + 1));
      const size_t stores = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
      const uint32_t images = TALB_LiveImageCount();
      tiz_test::DuplexPage page;
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
      EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), stores);
      EXPECT_EQ(TALB_LiveImageCount(), images);
      if (!failed || HasFailure()) return n;
    }
    ADD_FAILURE() << "never completed";
    return 0;
  }
};

TEST_F(ImageTreeOutOfMemory, EveryOperationLeavesNothingBehind) {
  for (const auto &[name, operation] : tiz_test::PageOperations()) {
    EXPECT_GT(FailEachAllocationInTurn(name, operation), 0u) << name;
  }
}

}  // namespace
