// Tree files through the exports: the file layout, what a round trip keeps,
// and how a load answers sections it cannot use.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.h"

namespace {

// Tree-file text written readably: '|' stands for the separator byte and
// every line ends with CR LF, as the file has it.
std::string Ini(const std::string &text) {
  std::string out;
  for (char c : text) {
    if (c == '|')
      out += '\x7F';
    else if (c == '\n')
      out += "\r\n";
    else
      out += c;
  }
  return out;
}

std::string Readable(std::string_view key) {
  std::string out(key);
  for (char &c : out) c = c == '\x7F' ? '|' : c;
  return out;
}

class PersistTree : public ::testing::Test {
 protected:
  void TearDown() override {
    for (uint32_t h : m_stores) tiz_test::ReleaseTree(h);
    EXPECT_EQ(tiz_test::LiveStoreCount(), m_storesBefore);
  }

  uint32_t NewStore() {
    uint32_t h = 0;
    EXPECT_EQ(TIZ_Create(&h), 0);
    m_stores.push_back(h);
    return h;
  }

  // The text a save of the store writes to a fresh file.
  std::string Saved(uint32_t h) {
    int32_t result = -1;
    std::string text = Saved(h, &result);
    EXPECT_EQ(result, 0);
    return text;
  }
  std::string Saved(uint32_t h, int32_t *result) {
    std::filesystem::remove(m_dir.Path("saved.ini"));
    *result = TIZ_Serialize(h, "saved.ini");
    return tiz_test::ReadFileText(m_dir.Path("saved.ini"));
  }

  // A new store loaded from a file holding `text`.
  uint32_t Load(const std::string &text, int32_t *result) {
    tiz_test::WriteFileText(m_dir.Path("load.ini"), text);
    uint32_t h = NewStore();
    *result = TIZ_Deserialize(h, "load.ini");
    EXPECT_EQ(tiz_test::StoreFaults(h), "");
    return h;
  }

  // The keys of a store and, in braces, of the stores its values hold.
  static std::string Outline(uint32_t h) {
    tiz::CAttributeStore *s = tiz::LookupStore(h);
    if (!s) return "<gone>";
    std::string out;
    for (tiz::KeyEntry *e = s->Keys().head; e; e = e->next) {
      if (!out.empty()) out += ",";
      out += Readable(e->KeyView());
      if (e->attr.m_type == tiz::kTypeAttributeStore)
        out += "{" + Outline(e->attr.m_value.store) + "}";
    }
    return out;
  }

  static uint32_t Nested(uint32_t h, const char *group, const char *item) {
    tiz::CAttributeStore *s = tiz::LookupStore(h);
    tiz::CAttribute *a = s ? s->FindAttribute(tiz::ComposeKey(group, item)) : nullptr;
    return a && a->m_type == tiz::kTypeAttributeStore ? a->m_value.store : 0;
  }

  // Settings of every kind, one nested store among them.
  uint32_t BuildSample() {
    uint32_t root = NewStore(), child = NewStore();
    EXPECT_EQ(TIZ_SetSettingConfidenceDword(root, "Scan", "Speed", 55, 12), 0);
    EXPECT_EQ(TIZ_SetSettingDouble(root, "Scan", "Gamma", 1.0 / 3), 0);
    EXPECT_EQ(TIZ_SetSettingString(root, "Scan", "Name", "abc"), 0);
    EXPECT_EQ(TIZ_SetSettingBuffer(root, "Scan", "Mask", "\x01\x02\xFF", 3), 0);
    EXPECT_EQ(TIZ_SetSettingDword(child, "Dpi", "", 300), 0);
    EXPECT_EQ(TIZ_SetSettingAttrStore(root, "Pass", "Count", child), 0);
    EXPECT_EQ(TIZ_SetSettingDword(root, "Scan", "Last", 0xFFFFFFFF), 0);
    return root;
  }

  tiz_test::ScratchDirectory m_dir;
  size_t m_storesBefore = tiz_test::LiveStoreCount();
  std::vector<uint32_t> m_stores;
};

TEST_F(PersistTree, WritesOneSectionPerSettingNestedStoresAfterTheirHolder) {
  uint32_t root = BuildSample();
  ASSERT_EQ(TIZ_SetSettingBuffer(root, "Scan", "Empty", "", 0), 0);
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(root, "Scan", "Struct", &data, nullptr, nullptr), 0);
  EXPECT_EQ(Saved(root),
            Ini("[Root|Scan|Speed]\nSize=4\nType=DWORD\nValue=12\n\n"
                "[Root|Scan|Gamma]\nSize=8\nType=DOUBLE\nValue=3.333333333333333e-01\n\n"
                "[Root|Scan|Name]\nSize=4\nType=STRING\nValue=abc\n\n"
                "[Root|Scan|Mask]\nSize=3\nType=BUFFER\nValue=0102FF02\n\n"
                "[Root|Pass|Count]\nSize=4\nType=ATTRIBUTESTORE\n\n"
                "[Root|Pass|Count|Dpi|Value]\nSize=4\nType=DWORD\nValue=300\n\n"
                "[Root|Scan|Last]\nSize=4\nType=DWORD\nValue=4294967295\n\n"
                "[Root|Scan|Empty]\nSize=0\nType=BUFFER\n"));
}

TEST_F(PersistTree, ARoundTripRestoresEveryValueWithDefaultConfidence) {
  const std::string text = Saved(BuildSample());
  int32_t result = -1;
  uint32_t loaded = Load(text, &result);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(Outline(loaded),
            "Scan|Speed,Scan|Gamma,Scan|Name,Scan|Mask,Pass|Count{Dpi|Value},"
            "Scan|Last");
  EXPECT_EQ(Saved(loaded), text);

  uint32_t dword = 0, size = 0;
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(loaded, "Scan", "Speed", &conf, &dword), 0);
  EXPECT_EQ(dword, 12u);
  EXPECT_EQ(conf, 100);
  double gamma = 0;
  EXPECT_EQ(TIZ_GetSettingDouble(loaded, "Scan", "Gamma", &gamma), 0);
  EXPECT_EQ(gamma, 1.0 / 3);
  char name[8] = {};
  EXPECT_EQ(TIZ_GetSettingString(loaded, "Scan", "Name", name, sizeof name), 0);
  EXPECT_STREQ(name, "abc");
  EXPECT_EQ(TIZ_GetSettingSize(loaded, "Scan", "Name", &size), 0);
  EXPECT_EQ(size, 4u);
  unsigned char mask[8] = {};
  int32_t length = sizeof mask;
  EXPECT_EQ(TIZ_GetSettingBuffer(loaded, "Scan", "Mask", mask, &length), 0);
  EXPECT_EQ(std::string(reinterpret_cast<char *>(mask), length), "\x01\x02\xFF");

  // The nested store is named after its section and linked plainly.
  uint32_t nested = Nested(loaded, "Pass", "Count");
  ASSERT_NE(nested, 0u);
  EXPECT_EQ(Readable(tiz::LookupStore(nested)->Name()), "Root|Pass|Count");
  uint32_t parent = 1;
  EXPECT_EQ(TIZ_GetParent(nested, &parent), 0);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_GetSettingDword(nested, "Dpi", "Value", &dword), 0);
  EXPECT_EQ(dword, 300u);
}

// Every text comes back as a value; as a group, and inside an item, every
// text the layout can hold as a section name (no line break; the blanks at
// the ends of a whole name are the platform's to trim).
TEST_F(PersistTree, AwkwardNamesAndTextsComeBackUnchanged) {
  const std::string texts[] = {
      " leading",        "trailing ", "line\nbreak", "cr\r\nlf\r", ";semicolon", "[open",
      "close]",          "a=b",       "\"quoted\"",  "'single'",   "\t",         "back\\slash\\n",
      "caf\xE9\xFF\x80", "[x] = ;\"", "\\x41",       "\"a\\nb\"",  "end\x1A",    "]"};
  auto groupOf = [](const std::string &text) {
    return text.find_first_of("\r\n") == std::string::npos ? text
                                                           : "g" + std::to_string(text.size());
  };
  uint32_t root = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "[nested]", " child", child), 0);
  for (const std::string &text : texts) {
    std::string group = groupOf(text), item = "<" + group + ">";
    for (uint32_t h : {root, child})
      ASSERT_EQ(TIZ_SetSettingString(h, group.c_str(), item.c_str(), text.c_str()), 0) << text;
  }
  int32_t result = -1;
  uint32_t loaded = Load(Saved(root), &result);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(Outline(loaded), Outline(root));
  for (uint32_t h : {loaded, Nested(loaded, "[nested]", " child")}) {
    for (const std::string &text : texts) {
      std::string group = groupOf(text), item = "<" + group + ">";
      char value[64] = {};
      EXPECT_EQ(TIZ_GetSettingString(h, group.c_str(), item.c_str(), value, sizeof value), 0)
          << text;
      EXPECT_EQ(value, text);
    }
  }
}

// A group or item holding a line break cannot name a section, and one
// holding the separator 0x7F would load back under other names: the save
// skips that setting with what it holds, writes every other one and answers
// -24.
TEST_F(PersistTree, ALineBreakOrSeparatorInAGroupOrItemSkipsOnlyThatSetting) {
  for (const char *name : {"a\nb", "a\rb",
                           "a\x7F"
                           "b",
                           "\x7F"
                           "b"}) {
    uint32_t root = NewStore(), held = NewStore();
    ASSERT_EQ(TIZ_SetSettingDword(root, "First", "Value", 1), 0);
    ASSERT_EQ(TIZ_SetSettingDword(root, name, "Value", 2), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Scan", name, held), 0);
    ASSERT_EQ(TIZ_SetSettingDword(held, "Held", "Value", 3), 0);
    ASSERT_EQ(TIZ_SetSettingDword(root, "Last", "Value", 4), 0);
    int32_t result = 0;
    std::string text = Saved(root, &result);
    EXPECT_EQ(result, TIZ_E_INVALID_ARG);
    EXPECT_EQ(text, Ini("[Root|First|Value]\nSize=4\nType=DWORD\nValue=1\n\n"
                        "[Root|Last|Value]\nSize=4\nType=DWORD\nValue=4\n"));
    TIZ_Release(held);
  }
}

TEST_F(PersistTree, ImagesAndStructuresComeBackAsInertNumbers) {
  uint32_t image = TALB_CreateImage(1, 2);
  uint32_t root = NewStore();
  ASSERT_EQ(TIZ_SetSettingImage(root, "Page", "Image", image), 0);
  int32_t result = -1;
  uint32_t loaded = Load(
      Saved(root) + Ini("\n[Root|Page|Struct]\nSize=4\nType=USERDEFINED\nValue=1234\n"), &result);
  ASSERT_EQ(result, 0);

  uint32_t handle = 0;
  EXPECT_EQ(TIZ_GetSettingImage(loaded, "Page", "Image", &handle), 0);
  EXPECT_EQ(handle, image);
  void *data = &handle;
  EXPECT_EQ(TIZ_GetSettingStructure(loaded, "Page", "Struct", &data), 0);
  EXPECT_EQ(data, nullptr);
  EXPECT_NE(Saved(loaded).find(Ini("Type=USERDEFINED\nValue=1234\n")), std::string::npos);

  // Neither replacing nor dropping the loaded numbers releases anything.
  ASSERT_EQ(TIZ_SetSettingImage(loaded, "Page", "Image", TALB_CreateImage(3, 4)), 0);
  ASSERT_EQ(TIZ_SetSettingImage(loaded, "Page", "Image", 0), 0);
  ASSERT_EQ(TIZ_SetSettingImage(loaded, "Page", "Struct", image), 0);
  ASSERT_EQ(TIZ_SetSettingImage(loaded, "Page", "Struct", 0), 0);
  tiz_test::ReleaseTree(loaded);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  tiz_test::ReleaseTree(root);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
}

TEST_F(PersistTree, NothingToSaveWritesNoFileAndNothingToLoadChangesNothing) {
  EXPECT_EQ(TIZ_Serialize(NewStore(), "empty.ini"), 0);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Path("empty.ini")));

  uint32_t store = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(store, "Kept", "Value", 1), 0);
  EXPECT_EQ(TIZ_Deserialize(store, "missing.ini"), 0);
  for (const char *text : {"", "; only a comment\n\n", "key=value\n"}) {
    tiz_test::WriteFileText(m_dir.Path("load.ini"), text);
    EXPECT_EQ(TIZ_Deserialize(store, "load.ini"), 0) << text;
  }
  EXPECT_EQ(Outline(store), "Kept|Value");
}

TEST_F(PersistTree, ALoadKeepsGoodSectionsAndAnswersTheLastFailingOne) {
  const std::string speed = "[Root|Scan|Speed]\nSize=4\nType=DWORD\nValue=1\n";
  const std::string nested =
      "[Root|Pass|Count]\nSize=4\nType=ATTRIBUTESTORE\n"
      "[Root|Pass|Count|Dpi|Value]\nSize=4\nType=DWORD\nValue=2\n";
  const std::string foreign = "[Options]\nSize=4\nType=DWORD\nValue=3\n";
  const std::string badRootBuffer = "[Root|Scan|Mask]\nSize=3\nType=BUFFER\nValue=0102FF03\n";
  const std::string emptyType = "[Root|Scan|Kind]\nSize=4\nType=\n";
  struct Case {
    const char *name;
    std::string file;
    int32_t result;
    const char *outline;
  };
  const Case cases[] = {
      {"all good", speed + nested, 0, "Scan|Speed,Pass|Count{Dpi|Value}"},
      {"a nested store's section before its holder",
       "[Root|Pass|Count|Dpi|Value]\nSize=4\nType=DWORD\nValue=2\n"
       "[Root|Pass|Count]\nSize=4\nType=ATTRIBUTESTORE\n",
       0, "Pass|Count{Dpi|Value}"},
      // A malformed name is reported once, by the root: nested stores load.
      {"foreign section before", foreign + speed + nested, TIZ_E_BAD_SECTION,
       "Scan|Speed,Pass|Count{Dpi|Value}"},
      {"foreign section between",
       speed + "[Root|Pass|Count]\nSize=4\nType=ATTRIBUTESTORE\n" + foreign +
           "[Root|Pass|Count|Dpi|Value]\nSize=4\nType=DWORD\nValue=2\n",
       TIZ_E_BAD_SECTION, "Scan|Speed,Pass|Count{Dpi|Value}"},
      {"foreign section after", speed + nested + foreign, TIZ_E_BAD_SECTION,
       "Scan|Speed,Pass|Count{Dpi|Value}"},
      {"empty group", speed + "[Root||Speed]\n", TIZ_E_BAD_SECTION, "Scan|Speed"},
      {"foreign section, then a later failure", foreign + speed + badRootBuffer, TIZ_E_READ_BUFFER,
       "Scan|Speed"},
      {"bad checksum in the root", badRootBuffer + speed + nested, TIZ_E_READ_BUFFER,
       "Scan|Speed,Pass|Count{Dpi|Value}"},
      {"bad checksum two stores down",
       speed + nested +
           "[Root|Pass|Count|Deep|Value]\nSize=4\nType=ATTRIBUTESTORE\n"
           "[Root|Pass|Count|Deep|Value|Bytes|Value]\nSize=1\nType=BUFFER\nValue=0102\n",
       TIZ_E_READ_BUFFER, "Scan|Speed"},
      {"empty type, then a bad checksum", emptyType + badRootBuffer + speed, TIZ_E_READ_BUFFER,
       "Scan|Speed"},
      {"bad checksum, then an empty type", badRootBuffer + emptyType + speed, TIZ_E_EMPTY_TYPE,
       "Scan|Speed"},
      {"missing type", "[Root|Scan|Kind]\nSize=4\n", TIZ_E_EMPTY_TYPE, ""},
      {"size not a number", "[Root|Scan|Speed]\nSize=four\nType=DWORD\nValue=1\n",
       TIZ_E_INVALID_ARG, ""},
      {"dword not a number", "[Root|Scan|Speed]\nSize=4\nType=DWORD\nValue=1.5\n",
       TIZ_E_INVALID_ARG, ""},
      {"string longer than its size", "[Root|Scan|Name]\nSize=2\nType=STRING\nValue=abc\n",
       TIZ_E_TOO_SMALL, ""},
      {"double longer than its buffer",
       "[Root|Scan|Gamma]\nSize=8\nType=DOUBLE\nValue=1" + std::string(300, '0') + "\n",
       TIZ_E_TOO_SMALL, ""},
      {"type word longer than its buffer",
       "[Root|Scan|Kind]\nSize=4\nType=" + std::string(300, 'D') + "\n", TIZ_E_TOO_SMALL, ""},
      {"empty buffer", "[Root|Scan|Empty]\nSize=0\nType=BUFFER\n", 0, "Scan|Empty"},
      // Names holding the separator split differently: not this store's.
      {"separator inside a name", speed + "[Root|A|B|Z]\nSize=4\nType=DWORD\nValue=1\n", 0,
       "Scan|Speed"},
      // Nothing owned by "Root": the first section's owner stands for it.
      {"saved from a linked store", "[Root|A|B|Z]\nSize=4\nType=DWORD\nValue=1\n", 0, "B|Z"},
      {"same section twice, any case", speed + "[ROOT|SCAN|SPEED]\nValue=9\n", 0, "Scan|Speed"},
  };
  for (const Case &c : cases) {
    int32_t result = 1;
    uint32_t loaded = Load(Ini(c.file), &result);
    EXPECT_EQ(result, c.result) << c.name;
    EXPECT_EQ(Outline(loaded), c.outline) << c.name;
    tiz_test::ReleaseTree(loaded);
  }
  EXPECT_EQ(tiz_test::LiveStoreCount(), m_storesBefore);  // dropped nested stores are gone
}

TEST_F(PersistTree, SizesAndTypesTheFileGetsWrong) {
  int32_t result = -1;
  uint32_t loaded = Load(Ini("[Root|Odd|Kind]\nSize=9\nType=Dword\nValue=5\n"
                             "[Root|Odd|Name]\nSize=4294967295\nType=STRING\nValue=abc\n"),
                         &result);
  ASSERT_EQ(result, 0);
  // An unknown keyword (they are case-sensitive) gives a setting without a
  // value, which saves again as UNDEFINED.
  int32_t type = -1;
  uint32_t size = 0;
  EXPECT_EQ(TIZ_GetSettingType(loaded, "Odd", "Kind", &type), 0);
  EXPECT_EQ(type, TIZ_TYPE_UNDEFINED);
  EXPECT_EQ(TIZ_GetSettingSize(loaded, "Odd", "Kind", &size), 0);
  EXPECT_EQ(size, 9u);
  // A string keeps the size of its text, whatever the file claimed.
  EXPECT_EQ(TIZ_GetSettingSize(loaded, "Odd", "Name", &size), 0);
  EXPECT_EQ(size, 4u);
  int32_t status = 1;
  EXPECT_STREQ(TIZ_GetCharPointer(loaded, "Odd", "Name", &size, &status), "abc");
  EXPECT_EQ(Saved(loaded), Ini("[Root|Odd|Kind]\nSize=9\nType=UNDEFINED\n\n"
                               "[Root|Odd|Name]\nSize=4\nType=STRING\nValue=abc\n"));
}

TEST_F(PersistTree, ALoadKeepsWhatTheStoreAlreadyHolds) {
  uint32_t store = NewStore();
  ASSERT_EQ(TIZ_SetSettingConfidenceDword(store, "Scan", "Speed", 7, 1), 0);
  int32_t result = -1;
  uint32_t source = Load(Ini("[Root|Scan|Name]\nSize=2\nType=STRING\nValue=n\n"
                             "[Root|Scan|Speed]\nSize=4\nType=DWORD\nValue=2\n"),
                         &result);
  ASSERT_EQ(result, 0);
  EXPECT_EQ(TIZ_Deserialize(store, "load.ini"), 0);
  EXPECT_EQ(Outline(store), "Scan|Speed,Scan|Name");
  uint32_t speed = 0;
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(store, "Scan", "Speed", &conf, &speed), 0);
  EXPECT_EQ(speed, 1u);
  EXPECT_EQ(conf, 7);
  EXPECT_EQ(Outline(source), "Scan|Name,Scan|Speed");
}

// A nested store is written under the place the save reaches it through,
// whatever name its last link gave it; a gone one comes back empty.
TEST_F(PersistTree, NestedStoresAreSavedByTheirPlaceAndGoneOnesComeBackEmpty) {
  uint32_t root = NewStore(), gone = NewStore(), renamed = NewStore(), other = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "a", "b", gone), 0);
  ASSERT_EQ(TIZ_Release(gone), 0);  // a plain link keeps no reference
  ASSERT_EQ(TIZ_SetSettingDword(renamed, "k", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "c", "d", renamed), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(other, "x", "y", renamed), 0);
  const std::string text = Saved(root);
  EXPECT_EQ(text, Ini("[Root|a|b]\nSize=4\nType=ATTRIBUTESTORE\n\n"
                      "[Root|c|d]\nSize=4\nType=ATTRIBUTESTORE\n\n"
                      "[Root|c|d|k|Value]\nSize=4\nType=DWORD\nValue=1\n"));
  int32_t result = -1;
  uint32_t loaded = Load(text, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Outline(loaded), "a|b{},c|d{k|Value}");
}

TEST_F(PersistTree, ASaveRewritesItsSectionsAndKeepsTheRestOfTheFile) {
  tiz_test::WriteFileText(m_dir.Path("tree.ini"),
                          "; notes\n[Other]\nkey=v\n[Root\x7FScan\x7FSpeed]\nSize=4\n"
                          "Type=DWORD\nValue=1\n");
  uint32_t first = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(first, "Scan", "Speed", 2), 0);
  ASSERT_EQ(TIZ_SetSettingString(first, "Scan", "Name", "n"), 0);
  ASSERT_EQ(TIZ_Serialize(first, "tree.ini"), 0);
  EXPECT_EQ(tiz_test::ReadFileText(m_dir.Path("tree.ini")),
            "; notes\n[Other]\nkey=v\n[Root\x7FScan\x7FSpeed]\nSize=4\r\nType=DWORD\r\n"
            "Value=2\r\n\r\n" +
                Ini("[Root|Scan|Name]\nSize=2\nType=STRING\nValue=n\n"));

  // A deleted setting's section stays in the file and comes back.
  ASSERT_EQ(TIZ_DeleteSetting(first, "Scan", "Speed"), 0);
  ASSERT_EQ(TIZ_SetSettingString(first, "Scan", "Name", "m"), 0);
  ASSERT_EQ(TIZ_Serialize(first, "tree.ini"), 0);
  uint32_t loaded = NewStore();
  EXPECT_EQ(TIZ_Deserialize(loaded, "tree.ini"), TIZ_E_BAD_SECTION);  // [Other]
  EXPECT_EQ(Outline(loaded), "Scan|Speed,Scan|Name");
  int32_t status = 1;
  uint32_t size = 0;
  EXPECT_STREQ(TIZ_GetCharPointer(loaded, "Scan", "Name", &size, &status), "m");
}

// An empty buffer has no value line: saved over a section that held a full
// one, the old value goes, and the buffer loads back empty.
TEST_F(PersistTree, AnEmptyBufferSavedOverAFullOneLeavesNoValue) {
  uint32_t store = NewStore();
  ASSERT_EQ(TIZ_SetSettingBuffer(store, "Scan", "Mask", "\x01\x02", 2), 0);
  ASSERT_EQ(TIZ_Serialize(store, "tree.ini"), 0);
  ASSERT_EQ(TIZ_SetSettingBuffer(store, "Scan", "Mask", "", 0), 0);
  ASSERT_EQ(TIZ_Serialize(store, "tree.ini"), 0);
  EXPECT_EQ(tiz_test::ReadFileText(m_dir.Path("tree.ini")),
            Ini("[Root|Scan|Mask]\nSize=0\nType=BUFFER\n"));
  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "tree.ini"), 0);
  EXPECT_EQ(Outline(loaded), "Scan|Mask");
  tiz::CAttributeStore *s = tiz::LookupStore(loaded);
  const tiz::CAttribute *mask = s->FindAttribute(tiz::ComposeKey("Scan", "Mask"));
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->m_type, tiz::kTypeBuffer);
  EXPECT_EQ(mask->m_size, 0u);
}

TEST_F(PersistTree, TheFileGoesToTheConfiguredDirectoryUnderItsLastName) {
  uint32_t store = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(store, "Scan", "Speed", 1), 0);
  EXPECT_EQ(TIZ_Serialize(store, "some/where/a.ini"), 0);
  EXPECT_EQ(TIZ_Serialize(store, "C:\\data\\b.ini"), 0);
  EXPECT_EQ(TIZ_Serialize(store, "c.ini"), 0);
  EXPECT_EQ(m_dir.FileNames(), (std::vector<std::string>{"a.ini", "b.ini", "c.ini"}));
  uint32_t loaded = NewStore();
  EXPECT_EQ(TIZ_Deserialize(loaded, "/elsewhere/b.ini"), 0);
  EXPECT_EQ(Outline(loaded), "Scan|Speed");

  // The configuration refuses names that are no file names.
  for (const char *name : {"", "dir/", static_cast<const char *>(nullptr)}) {
    EXPECT_LT(TIZ_Serialize(store, name), 0);
    EXPECT_LT(TIZ_Deserialize(store, name), 0);
  }
  EXPECT_EQ(m_dir.FileNames().size(), 3u);
  EXPECT_EQ(TIZ_Serialize(0, "c.ini"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Deserialize(0xDEAD, "c.ini"), TIZ_E_INVALID_HANDLE);
}

TEST_F(PersistTree, DeepTreesSaveAndLoadWithoutRecursion) {
  const int kDepth = 1200;
  uint32_t root = NewStore();
  uint32_t holder = root;
  for (int level = 0; level < kDepth; ++level) {
    uint32_t nested = NewStore();
    ASSERT_EQ(TIZ_SetSettingAttrStore(holder, "g", "i", nested), 0);
    holder = nested;
  }
  ASSERT_EQ(TIZ_SetSettingDword(holder, "Leaf", "", 42), 0);
  ASSERT_EQ(TIZ_Serialize(root, "deep.ini"), 0);

  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "deep.ini"), 0);
  uint32_t h = loaded;
  for (int level = 0; level < kDepth && h; ++level) h = Nested(h, "g", "i");
  ASSERT_NE(h, 0u);
  uint32_t leaf = 0;
  EXPECT_EQ(TIZ_GetSettingDword(h, "Leaf", "Value", &leaf), 0);
  EXPECT_EQ(leaf, 42u);
}

// A store met a second time names the place it was written first; the load
// puts the one store at every place again, the saved store itself included.
TEST_F(PersistTree, AStoreHeldTwiceOrInACycleIsWrittenOnce) {
  uint32_t a = NewStore(), b = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(a, "A", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(b, "B", "", 2), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(a, "to", "b", b), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(a, "again", "b", b), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(b, "to", "a", a), 0);  // plain links allow a cycle
  // `a` was linked last under b: its own settings keep that name.
  const std::string text = Saved(a);
  EXPECT_EQ(text, Ini("[Root|again|b|to|a|A|Value]\nSize=4\nType=DWORD\nValue=1\n\n"
                      "[Root|again|b|to|a|to|b]\nSize=4\nType=ATTRIBUTESTORE\n\n"
                      "[Root|again|b|to|a|to|b|B|Value]\nSize=4\nType=DWORD\nValue=2\n\n"
                      "[Root|again|b|to|a|to|b|to|a]\nSize=4\nType=ATTRIBUTESTORE\n"
                      "SameStoreAs=Root|again|b|to|a\n\n"
                      "[Root|again|b|to|a|again|b]\nSize=4\nType=ATTRIBUTESTORE\n"
                      "SameStoreAs=Root|again|b|to|a|to|b\n"));
  int32_t result = -1;
  uint32_t loaded = Load(text, &result);
  EXPECT_EQ(result, 0);
  uint32_t loadedB = Nested(loaded, "to", "b");
  ASSERT_NE(loadedB, 0u);
  EXPECT_EQ(Nested(loaded, "again", "b"), loadedB);
  EXPECT_EQ(Nested(loadedB, "to", "a"), loaded);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(loadedB, "B", "Value", &value), 0);
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(TIZ_Release(loaded), 0);
  EXPECT_EQ(tiz::LookupStore(loadedB), nullptr);
}

// Section and key names of the file ignore letter case, so two keys that
// differ only in case would share a section: the save keeps the first, skips
// the later and says so; a load gives the first back.
TEST_F(PersistTree, KeysDifferingOnlyInCaseAreSavedOnce) {
  uint32_t store = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(store, "Scan", "Speed", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store, "scan", "SPEED", 2), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store, "Scan", "Dpi", 3), 0);
  ASSERT_EQ(TIZ_Serialize(store, "tree.ini"), TIZ_E_INVALID_ARG);
  EXPECT_EQ(tiz_test::ReadFileText(m_dir.Path("tree.ini")),
            "[Root\x7F"
            "Scan\x7F"
            "Speed]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n\r\n"
            "[Root\x7F"
            "Scan\x7F"
            "Dpi]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n");

  uint32_t loaded = NewStore();
  EXPECT_EQ(TIZ_Deserialize(loaded, "tree.ini"), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(loaded, "Scan", "Speed", &value), 0);
  EXPECT_EQ(value, 1u);
  EXPECT_NE(TIZ_GetSettingDword(loaded, "scan", "SPEED", &value), 0);
}

TEST_F(PersistTree, InvalidHandlesAreRefusedBeforeAnyFileIsTouched) {
  EXPECT_EQ(TIZ_Serialize(0, "tree.ini"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Deserialize(0xDEADBEEF, "tree.ini"), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_LoadSettings(0, "defaults.txt"), TIZ_E_INVALID_HANDLE);
  EXPECT_FALSE(std::filesystem::exists(m_dir.Path("tree.ini")));
}

}  // namespace

namespace {

// The worked example of the tree-file document, byte for byte.
TEST(TreeFileDocument, TheWorkedExampleWritesWhatTheDocumentShows) {
  tiz_test::ScratchDirectory dir;
  uint32_t root = 0, pass = 0;
  TIZ_Create(&root);
  TIZ_Create(&pass);
  TIZ_SetSettingDword(root, "Scan", "Speed", 12);
  TIZ_SetSettingDouble(root, "Scan", "Gamma", 2.2);
  TIZ_SetSettingString(root, "Scan", "Caption", " Front, left ");
  TIZ_SetSettingString(root, "Scan", "Folder", "C:\\new\\rates");
  TIZ_SetSettingString(root, "Scan", "Note", "line 1\r\nline 2");
  TIZ_SetSettingBuffer(root, "Scan", "Mask", "\x01\x02\xFF", 3);
  TIZ_SetSettingBuffer(root, "Scan", "Empty", "", 0);
  TIZ_SetSettingAttrStoreChild(root, "Pass", "Count", pass);
  TIZ_SetSettingDword(pass, "Dpi", "Value", 300);
  TIZ_SetSettingAttrStore(root, "Pass", "Current", pass);
  ASSERT_EQ(TIZ_Serialize(root, "example.ini"), 0);
  EXPECT_EQ(tiz_test::ReadFileText(dir.Path("example.ini")),
            Ini("[Root|Scan|Speed]\nSize=4\nType=DWORD\nValue=12\n\n"
                "[Root|Scan|Gamma]\nSize=8\nType=DOUBLE\nValue=2.2e+00\n\n"
                "[Root|Scan|Caption]\nSize=14\nType=STRING\nValue=\" Front, left \"\n\n"
                "[Root|Scan|Folder]\nSize=13\nType=STRING\nValue=C:\\new\\rates\n\n"
                "[Root|Scan|Note]\nSize=15\nType=STRING\nValue=\"line 1\\r\\nline 2\"\n"
                "ValueEscaped=18:665A5372\n\n"
                "[Root|Scan|Mask]\nSize=3\nType=BUFFER\nValue=0102FF02\n\n"
                "[Root|Scan|Empty]\nSize=0\nType=BUFFER\n\n"
                "[Root|Pass|Count]\nSize=4\nType=ATTRIBUTESTORE\nChildLink=1\n\n"
                "[Root|Pass|Count|Dpi|Value]\nSize=4\nType=DWORD\nValue=300\n\n"
                "[Root|Pass|Current]\nSize=4\nType=ATTRIBUTESTORE\nSameStoreAs=Root|Pass|Count\n"
                "ChildLink=1\n"));
  TIZ_Release(pass);
  TIZ_Release(root);
}

}  // namespace
