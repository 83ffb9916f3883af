// Full keys, the path names of nested stores, and splitting names back into
// owner, group and item, in single-byte and double-byte code pages.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace {

using tiz::GroupOfName;
using tiz::ItemOfName;
using tiz::OwnerOfName;

// Writes the separator as "·" would read in a listing.
std::string Key(const std::string &text) {
  std::string out = text;
  for (char &c : out)
    if (c == '|') c = '\x7F';
  return out;
}

class NamesStore : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(TIZ_Create(&m_handle), 0);
    m_store = tiz::LookupStore(m_handle);
  }
  void TearDown() override { TIZ_Release(m_handle); }
  std::string Name(uint32_t h) { return tiz::LookupStore(h)->Name(); }
  uint32_t m_handle = 0;
  tiz::CAttributeStore *m_store = nullptr;
};

TEST_F(NamesStore, ComposeKeySubstitutesDefaultAndValueForEmptyNames) {
  struct Case {
    const char *group, *item, *key;
  } cases[] = {
      {"Current.ImageStore", "Attribute.Value", "Current.ImageStore|Attribute.Value"},
      {"Current.ImageStore", "", "Current.ImageStore|Value"},
      {"", "Speed", "Default|Speed"},
      {"", "", "Default|Value"},
      {"A|B", "Z", "A|B|Z"},  // nothing is escaped
  };
  for (const Case &c : cases) {
    EXPECT_EQ(tiz::ComposeKey(Key(c.group).c_str(), Key(c.item).c_str()), Key(c.key));
  }
}

TEST_F(NamesStore, ComposeKeyHoldsLongNamesWhole) {
  for (size_t total : {510u, 511u, 1023u, 5000u}) {
    std::string group(total / 2, 'g'), item(total - total / 2, 'i');
    EXPECT_EQ(tiz::ComposeKey(group.c_str(), item.c_str()), group + '\x7F' + item) << total;
  }
  EXPECT_EQ(tiz::ComposeKey("a", "b"), Key("a|b"));

  // Through the interface: a long setting is written and read back whole.
  std::string group(3000, 'x'), item(2000, 'y');
  ASSERT_EQ(TIZ_SetSettingDword(m_handle, group.c_str(), item.c_str(), 42), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(m_handle, group.c_str(), item.c_str(), &value), 0);
  EXPECT_EQ(value, 42u);
  EXPECT_EQ(TIZ_GetSettingDword(m_handle, group.c_str(), item.substr(1).c_str(), &value),
            TIZ_NOT_FOUND);
}

TEST_F(NamesStore, AnEmptyItemIsTheItemValue) {
  ASSERT_EQ(TIZ_SetSettingDword(m_handle, "Current.ImageStore", "", 7), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(m_handle, "Current.ImageStore", "Value", &value), 0);
  EXPECT_EQ(value, 7u);
  ASSERT_EQ(TIZ_SetSettingDword(m_handle, "Current.ImageStore", "Value", 8), 0);
  EXPECT_EQ(TIZ_GetSettingDword(m_handle, "Current.ImageStore", "", &value), 0);
  EXPECT_EQ(value, 8u);
  ASSERT_EQ(m_store->Keys().size, 1u);
  EXPECT_EQ(std::string(m_store->Keys().head->KeyView()), Key("Current.ImageStore|Value"));
}

TEST_F(NamesStore, NamesAreCaseSensitiveAndGroupsSeparateEqualItems) {
  const char *names[][2] = {
      {"Scan", "Speed"}, {"scan", "Speed"}, {"Scan", "speed"}, {"Other", "Speed"}};
  for (uint32_t n = 0; n < 4; ++n)
    ASSERT_EQ(TIZ_SetSettingDword(m_handle, names[n][0], names[n][1], n), 0);
  for (uint32_t n = 0; n < 4; ++n) {
    uint32_t value = 99;
    EXPECT_EQ(TIZ_GetSettingDword(m_handle, names[n][0], names[n][1], &value), 0);
    EXPECT_EQ(value, n);
  }
  EXPECT_EQ(m_store->Keys().size, 4u);
}

TEST_F(NamesStore, ASeparatorInsideANameMovesTheSplit) {
  // Group "A·B" with item "Z" and group "A" with item "B·Z" are one key.
  ASSERT_EQ(TIZ_SetSettingDword(m_handle, Key("A|B").c_str(), "Z", 1), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(m_handle, "A", Key("B|Z").c_str(), &value), 0);
  std::string key(m_store->Keys().head->KeyView());
  EXPECT_EQ(OwnerOfName(key), "A");
  EXPECT_EQ(GroupOfName(key), "B");
  EXPECT_EQ(ItemOfName(key), "Z");
}

TEST_F(NamesStore, NestedStoresAreNamedByTheirHolderAndKey) {
  uint32_t nested = 0, deeper = 0;
  ASSERT_EQ(TIZ_Create(&nested), 0);
  ASSERT_EQ(TIZ_Create(&deeper), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_handle, "a", "b", nested), 0);
  EXPECT_EQ(Name(nested), Key("Root|a|b"));
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStoreChild(nested, "Pass", "", 5, deeper), 0);
  const std::string path = Key("Root|a|b|Pass|Value");
  EXPECT_EQ(Name(deeper), path);
  EXPECT_EQ(OwnerOfName(path), Name(nested));
  EXPECT_EQ(GroupOfName(path), "Pass");
  EXPECT_EQ(ItemOfName(path), "Value");

  // Filed again elsewhere, a store takes the new name; its holder's name is
  // read at that moment.
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStore(m_handle, "c", "d", 9, nested), 0);
  EXPECT_EQ(Name(nested), Key("Root|c|d"));
  EXPECT_EQ(Name(deeper), path);
  TIZ_Release(deeper);
  TIZ_Release(nested);
}

struct SplitCase {
  const char *name;  // '|' stands for 0x7F
  const char *owner, *group, *item;
};

TEST(Names, SplitIntoOwnerGroupAndItem) {
  if (std::getenv("TIZ_CODEPAGE")) GTEST_SKIP() << "cases for the default code page, 1252";
  const SplitCase cases[] = {
      {"Root|Scan|Speed", "Root", "Scan", "Speed"},
      {"Root|Scan|Speed|Pass|Count", "Root|Scan|Speed", "Pass", "Count"},
      {"Scan|Speed", "Root", "Scan", "Speed"},
      {"Current.ImageStore|Attribute.Value", "Root", "Current.ImageStore", "Attribute.Value"},
      {"|Speed", "", "", ""},
      {"Options", "", "", ""},
      {"", "", "", ""},
      {"Scan|", "Root", "Scan", ""},
      {"|Scan|Speed", "Root", "|Scan", "Speed"},
      {"A||Z", "A", "", "Z"},
      // 0xB3 counts only as the last separator of a name without a later 0x7F.
      {"Scan\xB3Speed", "Root", "Scan", "Speed"},
      {"Root|Scan\xB3Speed", "Root", "Root", "Scan\xB3Speed"},
      {"Scan|Sp\xB3"
       "eed",
       "Root", "Scan",
       "Sp\xB3"
       "eed"},
      {"|Scan\xB3Speed", "Root", "|Scan", "Speed"},
      {"Root\xB3Scan\xB3Speed", "Root", "Root\xB3Scan", "Speed"},
      {"\xB3Speed", "", "", ""},
  };
  for (const SplitCase &c : cases) {
    std::string name = Key(c.name);
    SCOPED_TRACE(c.name);
    EXPECT_EQ(OwnerOfName(name), Key(c.owner));
    EXPECT_EQ(GroupOfName(name), Key(c.group));
    EXPECT_EQ(ItemOfName(name), Key(c.item));
  }
}

#ifndef _WIN32
// Elsewhere than on Windows, whose own code page decides, the code page the
// library emulates is read from TIZ_CODEPAGE when it is loaded; so the
// double-byte cases run in a child process started with it.
const char *ChildCodePage() { return std::getenv("TIZ_CODEPAGE"); }

TEST(Names, SplitRespectsTheCodePageOfTheProcess) {
  const char *page = ChildCodePage();
  std::string codePage = page ? page : "1252";
  // Shift-JIS: 0x83 0xB3 is one character, a lone 0xB3 a single-byte one.
  // GBK: every byte from 0x81 on starts a character, 0xB3 included.
  const SplitCase singleByte[] = {
      {"Scan\x83\xB3X", "Root", "Scan\x83", "X"},
      {"Scan\xB3Speed", "Root", "Scan", "Speed"},
      {"A|B\x81|C", "A", "B\x81", "C"},
      {"Scan\x83\xB3", "Root", "Scan\x83", ""},
  };
  const SplitCase shiftJis[] = {
      {"Scan\x83\xB3X", "", "", ""},
      {"Scan\xB3Speed", "Root", "Scan", "Speed"},
      {"A|B\x81|C", "Root", "A", "B\x81|C"},
      {"Scan\x83\xB3", "", "", ""},
  };
  const SplitCase gbk[] = {
      {"Scan\x83\xB3X", "", "", ""},
      {"Scan\xB3Speed", "", "", ""},
      {"A|B\x81|C", "Root", "A", "B\x81|C"},
      {"Scan\x83\xB3", "", "", ""},
  };
  const SplitCase *cases = codePage == "932" ? shiftJis
                           : (codePage == "936" || codePage == "949" || codePage == "950")
                               ? gbk
                               : singleByte;
  for (size_t n = 0; n < 4; ++n) {
    const SplitCase &c = cases[n];
    std::string name = Key(c.name);
    SCOPED_TRACE(codePage + ": case " + std::to_string(n));
    EXPECT_EQ(OwnerOfName(name), Key(c.owner));
    EXPECT_EQ(GroupOfName(name), Key(c.group));
    EXPECT_EQ(ItemOfName(name), Key(c.item));
  }
}

TEST(Names, CodePageIsTakenFromTheEnvironmentAtLoad) {
  if (ChildCodePage()) GTEST_SKIP() << "already the child process";
  const std::string self = testing::internal::GetArgvs().front();
  // 949 and 950 share GBK's lead bytes; an unknown page falls back to 1252.
  for (const char *page : {"932", "936", "949", "950", "65001", "junk"}) {
    std::string command = std::string("TIZ_CODEPAGE=") + page + " '" + self +
                          "' --gtest_filter=Names.SplitRespectsTheCodePageOfTheProcess"
                          " > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "code page " << page;
  }
}
#endif

}  // namespace
