// Tree and settings files seen only through the public interface: rules the
// other persistence tests leave out.
#include <gtest/gtest.h>

#include <string>

#include "ScratchDirectory.h"
#include "tiz.h"

namespace {

class ConformancePersist : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&store_), 0); }
  void TearDown() override { TIZ_Release(store_); }

  tiz_test::ScratchDirectory dir_;
  uint32_t store_ = 0;
};

// Section and key names of the file ignore letter case, so two keys that
// differ only in case would share a section: the save keeps the first, skips
// the later and says so; a load gives the first back.
TEST_F(ConformancePersist, KeysDifferingOnlyInCaseAreSavedOnce) {
  ASSERT_EQ(TIZ_SetSettingDword(store_, "Scan", "Speed", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store_, "scan", "SPEED", 2), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store_, "Scan", "Dpi", 3), 0);
  ASSERT_EQ(TIZ_Serialize(store_, "tree.ini"), TIZ_E_INVALID_ARG);
  EXPECT_EQ(tiz_test::ReadFileText(dir_.Path("tree.ini")),
            "[Root\x7F"
            "Scan\x7F"
            "Speed]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n\r\n"
            "[Root\x7F"
            "Scan\x7F"
            "Dpi]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n");

  uint32_t loaded = 0;
  ASSERT_EQ(TIZ_Create(&loaded), 0);
  EXPECT_EQ(TIZ_Deserialize(loaded, "tree.ini"), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(loaded, "Scan", "Speed", &value), 0);
  EXPECT_EQ(value, 1u);
  EXPECT_NE(TIZ_GetSettingDword(loaded, "scan", "SPEED", &value), 0);
  TIZ_Release(loaded);
}

TEST_F(ConformancePersist, InvalidHandlesAreRefusedBeforeAnyFileIsTouched) {
  EXPECT_EQ(TIZ_Serialize(0, "tree.ini"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Deserialize(0xDEADBEEF, "tree.ini"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_LoadSettings(0, "defaults.txt"), TIZ_E_INVALID_HANDLE);
  EXPECT_FALSE(std::filesystem::exists(dir_.Path("tree.ini")));
}

// Only "double" ignores letter case; every other spelling stores the DWORD
// of the value's leading number.
TEST_F(ConformancePersist, TypeWordsOtherThanTheExactOnesStoreADword) {
  struct Case {
    const char *line;
    int32_t type;
  };
  const Case cases[] = {
      {"G=7,Value,FileBuffer,3", TIZ_TYPE_DWORD},
      {"G=7,Value,STRING", TIZ_TYPE_DWORD},
      {"G=7,Value,double ", TIZ_TYPE_DWORD},
      {"G=7,Value,Double", TIZ_TYPE_DOUBLE},
      {"G=7,Value,string,extra,fields", TIZ_TYPE_STRING},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line);
    tiz_test::WriteFileText(dir_.Path("defaults.txt"), std::string(c.line) + "\n");
    ASSERT_EQ(TIZ_LoadSettings(store_, "defaults.txt"), 0);
    int32_t type = 0;
    EXPECT_EQ(TIZ_GetSettingType(store_, "G", "Value", &type), 0);
    EXPECT_EQ(type, c.type);
    if (type == TIZ_TYPE_DWORD) {
      uint32_t value = 0;
      EXPECT_EQ(TIZ_GetSettingDword(store_, "G", "Value", &value), 0);
      EXPECT_EQ(value, 7u);
    }
    ASSERT_EQ(TIZ_DeleteSetting(store_, "G", "Value"), 0);
  }
}

}  // namespace
