// Settings files: the line syntax with its type words and quoted values,
// comments, the lines that stop a load, and where the file is looked for.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace {

class SettingsFile : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&m_store), 0); }
  void TearDown() override {
    if (tiz::LookupStore(m_store)) TIZ_Release(m_store);
  }

  int32_t LoadText(const std::string &text) {
    tiz_test::WriteFileText(m_dir.Path("defaults.txt"), text);
    return TIZ_LoadSettings(m_store, "defaults.txt");
  }

  // "TYPE value" of a setting of m_store, or "missing".
  std::string Describe(const std::string &group, const std::string &item) {
    tiz::CAttributeStore *s = tiz::LookupStore(m_store);
    tiz::CAttribute *a =
        s ? s->FindAttribute(tiz::ComposeKey(group.c_str(), item.c_str())) : nullptr;
    if (!a) return "missing";
    char text[64];
    switch (a->m_type) {
      case tiz::kTypeDword:
        std::snprintf(text, sizeof text, "DWORD %u", a->m_value.dword);
        return text;
      case tiz::kTypeDouble:
        std::snprintf(text, sizeof text, "DOUBLE %g", a->m_value.dbl);
        return text;
      case tiz::kTypeString:
        return std::string("STRING ") + a->m_value.text;
      case tiz::kTypeBuffer:
        return "BUFFER " + std::string(reinterpret_cast<char *>(a->m_value.bytes), a->m_size);
      default:
        return "type " + std::to_string(a->m_type);
    }
  }

  size_t SettingCount() { return tiz::LookupStore(m_store)->Keys().size; }

  tiz_test::ScratchDirectory m_dir;
  uint32_t m_store = 0;
};

TEST_F(SettingsFile, EachLineSetsOneSettingByItsTypeWord) {
  struct Case {
    std::string line;
    const char *group;
    const char *item;
    std::string setting;
  };
  const Case cases[] = {
      {"Scan.Speed=12,Value", "Scan.Speed", "Value", "DWORD 12"},
      {"Scan.Speed=12,Value\r", "Scan.Speed", "Value", "DWORD 12"},
      {"Scan.Gamma=2.2,Value,DOUBLE", "Scan.Gamma", "Value", "DOUBLE 2.2"},
      {"Scan.Gamma=2.5,Value,dOuBlE", "Scan.Gamma", "Value", "DOUBLE 2.5"},
      {"Scan.Name=abc,Value,string", "Scan.Name", "Value", "STRING abc"},
      {"Scan.Name=abc,Value,String", "Scan.Name", "Value", "DWORD 0"},
      {"Scan.Name=7,Value,string ", "Scan.Name", "Value", "DWORD 7"},
      {"Scan.Name=8,Value,word", "Scan.Name", "Value", "DWORD 8"},
      {"Caption=\"a=b, c\",Value,string", "Caption", "Value", "STRING a=b, c"},
      {"Caption=\"\"x,y\",Item,string", "Caption", "Item", "STRING x,y"},
      {"Caption=\"open,Value", "Caption", "Value", "DWORD 0"},
      {"Mask=-1,Value", "Mask", "Value", "DWORD 4294967295"},
      {"Mask=4294967295,Value", "Mask", "Value", "DWORD 4294967295"},
      {"Big=4294967296,Value", "Big", "Value", "DWORD 0"},
      {"Big=99999999999999999999,Value", "Big", "Value", "DWORD 4294967295"},
      {"Part=12abc,Value", "Part", "Value", "DWORD 12"},
      {"Plus=+12,Value", "Plus", "Value", "DWORD 12"},
      {"Signs=+-12,Value", "Signs", "Value", "DWORD 0"},
      {"Low=-99999999999999999999,Value", "Low", "Value", "DWORD 0"},
      {"grp = 1 , item", "grp ", " item", "DWORD 1"},
      {"Short=5", "Short", "Value", "DWORD 5"},
      {"==Lead,,=7,,Item", "Lead", "Item", "DWORD 7"},
      {"Long=" + std::string(5000, 'x') + ",Value,string", "Long", "Value",
       "STRING " + std::string(5000, 'x')},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.line.substr(0, 40));
    EXPECT_EQ(LoadText("  \n\t" + c.line + "\n"), 0);
    EXPECT_EQ(Describe(c.group, c.item), c.setting);
    EXPECT_EQ(SettingCount(), 1u);
    ASSERT_EQ(TIZ_DeleteSetting(m_store, c.group, c.item), 0);
  }
}

// Only "double" ignores letter case; every other spelling stores the DWORD
// of the value's leading number.
TEST_F(SettingsFile, TypeWordsOtherThanTheExactOnesStoreADword) {
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
    tiz_test::WriteFileText(m_dir.Path("defaults.txt"), std::string(c.line) + "\n");
    ASSERT_EQ(TIZ_LoadSettings(m_store, "defaults.txt"), 0);
    int32_t type = 0;
    EXPECT_EQ(TIZ_GetSettingType(m_store, "G", "Value", &type), 0);
    EXPECT_EQ(type, c.type);
    if (type == TIZ_TYPE_DWORD) {
      uint32_t value = 0;
      EXPECT_EQ(TIZ_GetSettingDword(m_store, "G", "Value", &value), 0);
      EXPECT_EQ(value, 7u);
    }
    ASSERT_EQ(TIZ_DeleteSetting(m_store, "G", "Value"), 0);
  }
}

TEST_F(SettingsFile, CommentsAndBlankLinesSetNothing) {
  EXPECT_EQ(LoadText(""), 0);
  EXPECT_EQ(LoadText("\n\n   \r\n\t\n"), 0);
  EXPECT_EQ(LoadText("; a=1,Value\n/a=1,Value\na/b=1,x\n   ;indented=1,Value\r\n\t/x=1,y"), 0);
  EXPECT_EQ(SettingCount(), 0u);
}

// An editor's UTF-8 byte order mark is no part of the first group's name,
// and a comment after it stays a comment.
TEST_F(SettingsFile, AUtf8ByteOrderMarkIsSkipped) {
  EXPECT_EQ(LoadText("\xEF\xBB\xBFScan=7,Speed\n"), 0);
  EXPECT_EQ(Describe("Scan", "Speed"), "DWORD 7");
  EXPECT_EQ(LoadText("\xEF\xBB\xBF;Skip=1,Value\n"), 0);
  EXPECT_EQ(SettingCount(), 1u);
}

TEST_F(SettingsFile, AFailingLineStopsTheLoadAndEarlierLinesStay) {
  struct Case {
    const char *badLine;
    int32_t result;
  };
  const Case cases[] = {
      {"Lonely", TIZ_E_INVALID_ARG},
      {"L", TIZ_E_INVALID_ARG},
      {"==,,", TIZ_E_INVALID_ARG},
      {"Data=missing.bin,Value,filebuffer,3", TIZ_E_OPEN_FILE},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.badLine);
    EXPECT_EQ(LoadText(std::string("Before=1,Value\n") + c.badLine + "\nAfter=2,Value\n"),
              c.result);
    EXPECT_EQ(Describe("Before", "Value"), "DWORD 1");
    EXPECT_EQ(Describe("After", "Value"), "missing");
    ASSERT_EQ(TIZ_DeleteSetting(m_store, "Before", "Value"), 0);
  }
}

TEST_F(SettingsFile, FileBufferLinesStoreTheFirstBytesOfAFile) {
  const std::string data = m_dir.Path("data.bin").string();
  tiz_test::WriteFileText(data, "abc");
  struct Case {
    std::string count;
    int32_t result;
    std::string setting;
  };
  const Case cases[] = {
      {"2", 0, "BUFFER ab"},
      {"3", 0, "BUFFER abc"},
      {" 5 ", 0, std::string("BUFFER abc\0\0", 12)},
      {"0", 0, "BUFFER "},
      {"+3", 0, "BUFFER abc"},
      {"-1", TIZ_E_INVALID_ARG, "missing"},
      {"-0", TIZ_E_INVALID_ARG, "missing"},
      {"+", TIZ_E_INVALID_ARG, "missing"},
      {" ", TIZ_E_INVALID_ARG, "missing"},
      {"x", TIZ_E_INVALID_ARG, "missing"},
      {"3x", TIZ_E_INVALID_ARG, "missing"},
      {"99999999999", TIZ_E_INVALID_ARG, "missing"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.count);
    EXPECT_EQ(LoadText("Data=" + data + ",Value,filebuffer," + c.count + "\n"), c.result);
    EXPECT_EQ(Describe("Data", "Value"), c.setting);
    TIZ_DeleteSetting(m_store, "Data", "Value");
  }
  EXPECT_EQ(LoadText("Data=" + data + ",Value,filebuffer\n"), TIZ_E_INVALID_ARG);
}

TEST_F(SettingsFile, TheFileIsLookedForInTheSettingsDirectoryUnlessTheNameIsAbsolute) {
  tiz_test::WriteFileText(m_dir.Path("relative.txt"), "Rel=1,Value\n");
  EXPECT_EQ(TIZ_LoadSettings(m_store, "relative.txt"), 0);
  EXPECT_EQ(Describe("Rel", "Value"), "DWORD 1");

  std::filesystem::create_directories(m_dir.Path("sub"));
  tiz_test::WriteFileText(m_dir.Path("sub/absolute.txt"), "Abs=2,Value\n");
  EXPECT_EQ(TIZ_LoadSettings(m_store, m_dir.Path("sub/absolute.txt").string().c_str()), 0);
  EXPECT_EQ(Describe("Abs", "Value"), "DWORD 2");

  // A name holding ':' is used as it is, so the settings directory's file
  // of that name is not the one opened.
  tiz_test::WriteFileText(m_dir.Path("x:y.txt"), "Colon=3,Value\n");
  EXPECT_EQ(TIZ_LoadSettings(m_store, "x:y.txt"), 0);
  EXPECT_EQ(Describe("Colon", "Value"), "missing");

  EXPECT_EQ(TIZ_LoadSettings(m_store, "missing.txt"), 0);
  EXPECT_EQ(TIZ_LoadSettings(m_store, ""), 0);
  EXPECT_EQ(TIZ_LoadSettings(m_store, nullptr), 0);
  EXPECT_EQ(TIZ_LoadSettings(m_store, "sub"), 0);  // a directory is no settings file
  EXPECT_EQ(SettingCount(), 2u);
  EXPECT_EQ(TIZ_LoadSettings(0, "relative.txt"), TIZ_E_INVALID_HANDLE);

  tiz_test::SetEnvironment("TIZ_SETTINGS_DIR", m_dir.Path("relative.txt/under").string());
  EXPECT_LT(TIZ_LoadSettings(m_store, "relative.txt"), 0);
  EXPECT_EQ(TIZ_LoadSettings(m_store, m_dir.Path("relative.txt").string().c_str()), 0);
}

TEST_F(SettingsFile, AStoreReleasedByACallbackEndsTheLoad) {
  struct Releaser {
    static void TIZ_API Release(void *data) { TIZ_Release(*static_cast<uint32_t *>(data)); }
  };
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "Held", "Value", &m_store, Releaser::Release, nullptr),
            0);
  EXPECT_EQ(LoadText("Held=1,Value\nNext=2,Value\n"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(tiz::LookupStore(m_store), nullptr);
}

}  // namespace
