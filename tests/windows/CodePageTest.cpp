// Names are split with the process's own ANSI code page. The suite runs once
// in the default Western code page and once more, for this test, in Japanese
// Shift-JIS (scripts/run-windows-tests.sh sets the Wine locale), where 0x81
// starts a double-byte character that swallows the next byte, 0x7F included.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <string>

#include "brlconfigio.h"
#include "tiz.h"

namespace {

TEST(WinCodePage, SectionNamesSplitByTheProcessCodePage) {
  const UINT codePage = GetACP();
  if (codePage != 932 && codePage != 1252)
    GTEST_SKIP() << "cases for code pages 932 and 1252, not " << codePage;

  const char parameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
  const char fileName[] = "WinCodePage.ini";
  ASSERT_EQ(BCIO_SetConfigParameterDest(parameter, 2, fileName), 0);
  uint32_t reserved = 0;
  char path[260] = {};
  uint32_t size = sizeof path;
  ASSERT_EQ(BCIO_GetConfigParameterDest(parameter, &reserved, path, &size), 0);
  // Root, A, then B 0x81 0x7F C: in Shift-JIS the owner is Root and the item
  // "B 0x81 0x7F C"; in 1252 the owner is Root 0x7F A, another store.
  const std::string sep = "\x7F";
  const std::string item = "B\x81" + sep + "C";
  std::ofstream(path, std::ios::binary | std::ios::trunc)
      << "[Root" + sep + "A" + sep + item + "]\r\nSize=4\r\nType=DWORD\r\nValue=7\r\n";

  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  EXPECT_EQ(TIZ_Deserialize(store, fileName), 0);
  uint32_t value = 0;
  int32_t found = TIZ_GetSettingDword(store, "A", item.c_str(), &value);
  if (codePage == 932) {
    EXPECT_EQ(found, 0);
    EXPECT_EQ(value, 7u);
  } else {
    EXPECT_EQ(found, TIZ_NOT_FOUND);
  }
  TIZ_Release(store);
  DeleteFileA(path);
}

}  // namespace
