// The exported call frame: exceptions reported under the export's name with
// the support library's result, the lock left free, the lock's life, the
// SetSettingImage trace, and the handle check of every setter and getter.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <functional>
#include <future>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "AllocFailure.h"
#include "SettingCalls.h"
#include "frame/Frame.h"
#include "orv310.h"
#include "tiz.h"

namespace {

using tiz_test::Getters;
using tiz_test::Outs;
using tiz_test::Setters;

constexpr int32_t kReportResult = -4321;
constexpr int32_t kDefaultReportResult = -1;

std::string LastReport() {
  char text[128] = {};
  ORV_GetLastReport(text, sizeof text);
  return text;
}

uint32_t ReportCount() { return ORV_GetLastReport(nullptr, 0); }

// True when another thread can run an export to the end: the global lock is
// not left held. A thread stuck on the lock is abandoned, not joined.
bool ExportRunsOnAnotherThread() {
  auto done = std::make_shared<std::promise<int32_t>>();
  std::future<int32_t> result = done->get_future();
  std::thread worker([done] {
    uint32_t h = 0;
    int32_t r = TIZ_Create(&h);
    if (r == 0) r = TIZ_SetSettingDword(h, "other", "thread", 1);
    if (h != 0) TIZ_Release(h);
    done->set_value(r);
  });
  if (result.wait_for(std::chrono::seconds(10)) != std::future_status::ready) {
    worker.detach();
    return false;
  }
  worker.join();
  return result.get() == 0;
}

class FrameException : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TIZ_Create(&m_store), 0);
    ORV_SetReportResult(kReportResult);
  }
  void TearDown() override {
    ORV_SetReportResult(kDefaultReportResult);
    TIZ_Release(m_store);
  }
  uint32_t m_store = 0;
};

// Names long enough that composing their key must grow the store's buffer
// (a writer's), or that a reader composing them would need a heap block.
const std::string kLongGroup(700, 'g');

TEST_F(FrameException, ExhaustedMemoryIsReportedUnderTheExportNameAndLeavesTheLockFree) {
  ASSERT_EQ(TIZ_SetSettingString(m_store, "text", "", "abc"), 0);
  struct Case {
    const char *name;
    int32_t (*call)(uint32_t h);
  };
  const Case cases[] = {
      {"TIZ_SetSettingString",
       [](uint32_t h) { return TIZ_SetSettingString(h, "new", "", "value"); }},
      {"TIZ_SetSettingStructure",
       [](uint32_t h) { return TIZ_SetSettingStructure(h, "new", "", nullptr, nullptr, nullptr); }},
      {"TIZ_SetSettingDword",
       [](uint32_t h) { return TIZ_SetSettingDword(h, kLongGroup.c_str(), "", 1); }},
      {"TIZ_Create",
       [](uint32_t) {
         uint32_t created = 0;
         return TIZ_Create(&created);
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t reportsBefore = ReportCount();
    int32_t result;
    {
      tiz_test::ScopedAllocationFailure fail(0);
      result = c.call(m_store);
      EXPECT_TRUE(tiz_test::AllocationFailed());
    }
    EXPECT_EQ(result, kReportResult);
    EXPECT_EQ(ReportCount(), reportsBefore + 1);
    EXPECT_EQ(LastReport(), std::string("Catch in TIZ.DLL : ") + c.name + "\r\n");
    EXPECT_TRUE(ExportRunsOnAnotherThread());
  }
  // Nothing half made: the new settings were not filed, the old one is intact.
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(m_store, "new", "", &type), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_GetSettingType(m_store, kLongGroup.c_str(), "", &type), TIZ_NOT_FOUND);
  char text[8] = {};
  EXPECT_EQ(TIZ_GetSettingString(m_store, "text", "", text, sizeof text), 0);
  EXPECT_STREQ(text, "abc");
}

// Readers compare the caller's names with the filed keys in place: however
// long the names, a getter needs no memory, so it cannot fail for want of it.
TEST_F(FrameException, GettersNeedNoMemoryWhateverTheNames) {
  ASSERT_EQ(TIZ_SetSettingString(m_store, kLongGroup.c_str(), "", "abc"), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, kLongGroup.c_str(), "n", 7), 0);
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "kids", "", child), 0);
  uint32_t reportsBefore = ReportCount();
  uint32_t size = 77;
  int32_t status = 0;
  char *text = nullptr;
  uint32_t value = 0;
  char copy[8] = {};
  {
    tiz_test::ScopedAllocationFailure fail(0);
    text = TIZ_GetCharPointer(child, kLongGroup.c_str(), "", &size, &status);
    EXPECT_EQ(TIZ_GetSettingDword(child, kLongGroup.c_str(), "n", &value), TIZ_FOUND_IN_ANCESTOR);
    EXPECT_EQ(TIZ_GetSettingString(m_store, kLongGroup.c_str(), "", copy, sizeof copy), 0);
    EXPECT_EQ(TIZ_GetSettingDword(m_store, kLongGroup.c_str(), "missing", &value), TIZ_NOT_FOUND);
    EXPECT_FALSE(tiz_test::AllocationFailed());
  }
  EXPECT_EQ(status, TIZ_FOUND_IN_ANCESTOR);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(value, 7u);
  EXPECT_STREQ(copy, "abc");
  EXPECT_EQ(ReportCount(), reportsBefore);
  TIZ_Release(child);
}

// A pointer getter whose frame caught an exception answers null, with the
// report's result as its status.
TEST(PointerResult, OnlyFoundSettingsGiveTheirPointer) {
  int target = 0;
  const struct {
    int32_t status;
    bool pointer;
  } cases[] = {{0, true},
               {TIZ_FOUND_IN_ANCESTOR, true},
               {TIZ_NOT_FOUND, false},
               {TIZ_E_WRONG_TYPE, false},
               {kReportResult, false}};
  for (const auto &c : cases) {
    SCOPED_TRACE(c.status);
    int32_t status = 12345;
    EXPECT_EQ(tiz::frame::PointerResult(c.status, &target, &status), c.pointer ? &target : nullptr);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(tiz::frame::PointerResult(c.status, &target, nullptr), c.pointer ? &target : nullptr);
  }
}

TEST_F(FrameException, CreateLeavesItsOutParameterUnwrittenAtEveryFailedAllocation) {
  for (size_t n = 0;; ++n) {
    ASSERT_LT(n, 100u) << "TIZ_Create never succeeded";
    uint32_t created = 0xABCD;
    int32_t result;
    {
      tiz_test::ScopedAllocationFailure fail(n);
      result = TIZ_Create(&created);
      if (!tiz_test::AllocationFailed()) {
        ASSERT_EQ(result, 0);
        break;
      }
    }
    EXPECT_EQ(result, kReportResult) << n;
    EXPECT_EQ(created, 0xABCDu) << n;
    EXPECT_EQ(LastReport(), "Catch in TIZ.DLL : TIZ_Create\r\n");
  }
}

TEST(FrameLock, DeletingTheLockTwiceIsHarmlessAndTheNextExportRecreatesIt) {
  EXPECT_EQ(TIZ_InitCriticalSection(), 0);
  EXPECT_EQ(TIZ_InitCriticalSection(), 0);
  EXPECT_EQ(TIZ_DeleteCriticalSection(), 0);
  EXPECT_EQ(TIZ_DeleteCriticalSection(), 0);
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  EXPECT_EQ(TIZ_SetSettingDword(h, "g", "i", 3), 0);
  EXPECT_TRUE(ExportRunsOnAnotherThread());
  EXPECT_EQ(TIZ_DeleteCriticalSection(), 0);
  EXPECT_EQ(TIZ_InitCriticalSection(), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(h, "g", "i", &value), 0);
  EXPECT_EQ(value, 3u);
  EXPECT_EQ(TIZ_Release(h), 0);
}

TEST(FrameLock, ControlExportsReturnZero) {
  EXPECT_EQ(TIZ_SetScanningThreadID(1234), 0);
  EXPECT_EQ(TIZ_InitLogging(0), 0);
}

// Trace lines go to standard error here; on Windows to the debugger output.
class FrameTrace : public testing::Test {
 protected:
  void SetUp() override {
#ifdef _WIN32
    GTEST_SKIP() << "trace lines go to the debugger output";
#endif
  }
  void TearDown() override { TIZ_InitLogging(0); }
};

TEST_F(FrameTrace, SetSettingImageTracesBeforeTheHandleCheckWhileLoggingIsOn) {
  TIZ_InitLogging(7);  // any non-zero value switches tracing on
  testing::internal::CaptureStderr();
  EXPECT_EQ(TIZ_SetSettingImage(0x0BADF00D, "g", "i", 0x1234), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "TEV: TIZ_SetSettingImage : hAttrStore=0x0badf00d hImage=0x00001234\n");

  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  char expected[128];
  std::snprintf(expected, sizeof expected,
                "TEV: TIZ_SetSettingImage : hAttrStore=0x%08x hImage=0x00000000\n", h);
  testing::internal::CaptureStderr();
  EXPECT_EQ(TIZ_SetSettingImage(h, "g", "i", 0), 0);
  // The confidence form writes no trace.
  EXPECT_EQ(TIZ_SetSettingConfidenceImage(h, "g", "i", 5, 0), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), expected);
  TIZ_Release(h);
}

TEST_F(FrameTrace, NothingIsTracedWhileLoggingIsOff) {
  TIZ_InitLogging(1);
  TIZ_InitLogging(0);
  testing::internal::CaptureStderr();
  EXPECT_EQ(TIZ_SetSettingImage(0x0BADF00D, "g", "i", 0x1234), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// Handles that must fail the check: null, never issued, random, and stale.
std::vector<uint32_t> InvalidHandles() {
  std::vector<uint32_t> handles = {0u, 1u, 0xFFFFFFFFu, 0x6E756765u, 0x12345678u};
  uint32_t stale = 0;
  EXPECT_EQ(TIZ_Create(&stale), 0);
  EXPECT_EQ(TIZ_Release(stale), 0);
  handles.push_back(stale);
  std::mt19937 random(2024);
  for (int n = 0; n < 50; ++n) handles.push_back(static_cast<uint32_t>(random()));
  return handles;
}

class FrameHandleCheck : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&m_valid), 0); }
  void TearDown() override { TIZ_Release(m_valid); }
  uint32_t m_valid = 0;
};

TEST_F(FrameHandleCheck, EveryGetterRefusesAnInvalidHandleAndWritesNothing) {
  for (uint32_t h : InvalidHandles()) {
    for (const auto &getter : Getters()) {
      SCOPED_TRACE(getter.name);
      Outs outs;
      EXPECT_EQ(getter.call(h, "g", "i", outs), TIZ_E_INVALID_HANDLE) << std::hex << h;
      EXPECT_TRUE(outs.Untouched()) << std::hex << h;
    }
  }
}

TEST_F(FrameHandleCheck, EverySetterRefusesAnInvalidHandleAndStoresNothing) {
  tiz_test::g_tableReleases = 0;
  for (uint32_t h : InvalidHandles()) {
    for (const auto &setter : Setters()) {
      SCOPED_TRACE(setter.name);
      EXPECT_EQ(setter.call(h, "g", "i", m_valid), TIZ_E_INVALID_HANDLE) << std::hex << h;
    }
  }
  // A refused structure is never made, so its release callback never runs.
  EXPECT_EQ(tiz_test::g_tableReleases, 0);
}

TEST_F(FrameHandleCheck, StoreSettersRefuseAnInvalidNestedHandle) {
  for (const auto &setter : Setters()) {
    if (std::string(setter.name).find("AttrStore") == std::string::npos) continue;
    SCOPED_TRACE(setter.name);
    for (uint32_t nested : InvalidHandles()) {
      EXPECT_EQ(setter.call(m_valid, "g", "i", nested), TIZ_E_INVALID_HANDLE) << std::hex << nested;
    }
  }
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(m_valid, "g", "i", &type), TIZ_NOT_FOUND);
}

TEST_F(FrameHandleCheck, PointerGetterWithoutStatusPointerStillReturnsNull) {
  uint32_t size = 0;
  EXPECT_EQ(TIZ_GetCharPointer(0x12345678, "g", "i", &size, nullptr), nullptr);
  EXPECT_EQ(TIZ_GetVoidPointer(0, "g", "i", &size, nullptr), nullptr);
}

// These exports check their out pointer before the handle: a null one is
// refused with its own code whatever the handle, live or not.
TEST_F(FrameHandleCheck, NullOutPointersAreRefusedBeforeTheHandleIsLookedAt) {
  uint32_t word = 0;
  char buffer[8] = {};
  struct Case {
    const char *name;
    std::function<int32_t(uint32_t)> call;
    int32_t result;
  };
  const Case cases[] = {
      {"GetParent", [](uint32_t h) { return TIZ_GetParent(h, nullptr); }, TIZ_E_INVALID_ARG},
      {"IterateSetting", [](uint32_t h) { return TIZ_IterateSetting(h, nullptr, 8); },
       TIZ_E_INVALID_ARG},
      {"UtilGetCurrentBag", [](uint32_t h) { return TIZ_UtilGetCurrentBag(h, 1, nullptr); },
       TIZ_E_NULL_POINTER},
      {"UtilGetPersistentBag", [](uint32_t h) { return TIZ_UtilGetPersistentBag(h, 1, nullptr); },
       TIZ_E_NULL_POINTER},
      {"UtilAppendNewCurrentBag",
       [](uint32_t h) { return TIZ_UtilAppendNewCurrentBag(h, 1, nullptr); }, TIZ_E_NULL_POINTER},
      {"UtilIsCurrentFront", [](uint32_t h) { return TIZ_UtilIsCurrentFront(h, nullptr); },
       TIZ_E_NULL_POINTER},
      {"UtilIsABackSideBag", [](uint32_t h) { return TIZ_UtilIsABackSideBag(h, nullptr); },
       TIZ_E_NULL_POINTER},
      {"UtilGetScannerIsBlackBackground",
       [](uint32_t h) { return TIZ_UtilGetScannerIsBlackBackground(h, nullptr); },
       TIZ_E_NULL_POINTER},
      {"UtilGetZoomedBICDPI, no flag",
       [&word](uint32_t h) { return TIZ_UtilGetZoomedBICDPI(h, 0, nullptr, &word); },
       TIZ_E_NULL_POINTER},
      {"UtilGetZoomedBICDPI, no zoom",
       [&word](uint32_t h) { return TIZ_UtilGetZoomedBICDPI(h, 0, &word, nullptr); },
       TIZ_E_NULL_POINTER},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    for (uint32_t h : {m_valid, 0u, 0x12345678u}) EXPECT_EQ(c.call(h), c.result) << std::hex << h;
  }
  // With its buffer, the iteration answers the bad handle.
  EXPECT_EQ(TIZ_IterateSetting(0x12345678, buffer, sizeof buffer), TIZ_E_INVALID_HANDLE);
}

}  // namespace
