// On Windows the trace lines go to the debugger output. OutputDebugStringA
// raises a debug-print exception that a vectored handler sees before any
// debugger would, which lets the test read the lines in process.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tiz.h"

namespace {

std::vector<std::string> *g_lines = nullptr;

LONG CALLBACK KeepDebugOutput(EXCEPTION_POINTERS *info) {
  const EXCEPTION_RECORD *record = info->ExceptionRecord;
  if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  if (g_lines)
    g_lines->emplace_back(reinterpret_cast<const char *>(record->ExceptionInformation[1]));
  return EXCEPTION_CONTINUE_EXECUTION;
}

class WinTrace : public ::testing::Test {
 protected:
  void SetUp() override {
    g_lines = &m_lines;
    m_handler = AddVectoredExceptionHandler(1, KeepDebugOutput);
    ASSERT_NE(m_handler, nullptr);
  }
  void TearDown() override {
    TIZ_InitLogging(0);
    RemoveVectoredExceptionHandler(m_handler);
    g_lines = nullptr;
  }
  std::vector<std::string> m_lines;
  void *m_handler = nullptr;
};

TEST_F(WinTrace, LinesGoToTheDebuggerOutputOnlyWhileLoggingIsOn) {
  EXPECT_EQ(TIZ_SetSettingImage(0x0BADF00D, "g", "i", 0x1234), TIZ_E_INVALID_HANDLE);
  EXPECT_TRUE(m_lines.empty());

  TIZ_InitLogging(1);
  EXPECT_EQ(TIZ_SetSettingImage(0x0BADF00D, "g", "i", 0x1234), TIZ_E_INVALID_HANDLE);
  uint32_t global = 0, ui = 0, current = 0;
  ASSERT_EQ(TIZ_Create(&global), 0);
  ASSERT_EQ(TIZ_Create(&ui), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(global, "ui.bag", "Attribute.Value", ui), 0);
  ASSERT_EQ(TIZ_UtilReInitImageTree(global), 0);
  ASSERT_EQ(TIZ_UtilAppendNewCurrentBag(global, 1, &current), 0);
  TIZ_InitLogging(0);
  EXPECT_EQ(TIZ_SetSettingImage(0x0BADF00D, "g", "i", 0x1234), TIZ_E_INVALID_HANDLE);

  char appended[128];
  std::snprintf(appended, sizeof appended,
                "TEV: TIZ_UtilAppendNewCurrentBag : *phCurrentBag=0x%08x\n", current);
  ASSERT_FALSE(m_lines.empty());
  EXPECT_EQ(m_lines.front(),
            "TEV: TIZ_SetSettingImage : hAttrStore=0x0badf00d hImage=0x00001234\n");
  EXPECT_EQ(m_lines.back(), appended);
  for (const std::string &line : m_lines) EXPECT_EQ(line.rfind("TEV: ", 0), 0u) << line;
  TIZ_Release(current);
  TIZ_UtilDestroyImageTree(global);
  TIZ_Release(ui);
}

}  // namespace
