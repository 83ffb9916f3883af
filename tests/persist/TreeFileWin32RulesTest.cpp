// Tree files read and written by the rules of the platform's private-profile
// functions: hand-edited files load as those functions read them, and what
// the library writes reads back through them as it was saved wherever the
// layout can hold it.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace {

// A text holding NUL bytes, from a literal.
template <size_t N>
std::string Bytes(const char (&text)[N]) {
  return std::string(text, N - 1);
}

// '|' stands for the separator byte.
std::string Sep(std::string text) {
  for (char &c : text) c = c == '|' ? '\x7F' : c;
  return text;
}

class TreeFileWin32Rules : public ::testing::Test {
 protected:
  void TearDown() override {
    for (uint32_t h : m_stores) tiz_test::ReleaseTree(h);
  }

  uint32_t NewStore() {
    uint32_t h = 0;
    EXPECT_EQ(TIZ_Create(&h), 0);
    m_stores.push_back(h);
    return h;
  }

  uint32_t Load(const std::string &bytes, int32_t *result) {
    tiz_test::WriteFileText(m_dir.Path("tree.ini"), bytes);
    uint32_t h = NewStore();
    *result = TIZ_Deserialize(h, "tree.ini");
    return h;
  }

  std::string FileText() { return tiz_test::ReadFileText(m_dir.Path("tree.ini")); }

  // Every setting as group|item=TYPE:value, nested stores in braces.
  static std::string Dump(uint32_t h) {
    tiz::CAttributeStore *s = tiz::LookupStore(h);
    if (!s) return "<gone>";
    std::string out;
    for (tiz::KeyEntry *e = s->Keys().head; e; e = e->next) {
      const tiz::CAttribute &a = e->attr;
      std::string key(e->KeyView());
      for (char &c : key) c = c == '\x7F' ? '|' : c;
      if (!out.empty()) out += ";";
      out += key + "=";
      switch (a.m_type) {
        case tiz::kTypeDword:
          out += "DWORD:" + std::to_string(a.m_value.dword);
          break;
        case tiz::kTypeDouble: {
          char text[64];
          std::snprintf(text, sizeof text, "%.17g", a.m_value.dbl);
          out += std::string("DOUBLE:") + text;
          break;
        }
        case tiz::kTypeString:
          out += "STRING:" + std::string(a.m_value.text) + "/" + std::to_string(a.m_size);
          break;
        case tiz::kTypeBuffer:
          out += "BUFFER:" + std::to_string(a.m_size);
          break;
        case tiz::kTypeAttributeStore:
          out += "{" + Dump(a.m_value.store) + "}";
          break;
        default:
          out += "TYPE" + std::to_string(a.m_type);
      }
    }
    return out;
  }

  tiz_test::ScratchDirectory m_dir;
  std::vector<uint32_t> m_stores;
};

// Hand-edited files, each read as the platform's reader reads it.
TEST_F(TreeFileWin32Rules, HandEditedFilesLoadAsThePlatformReadsThem) {
  const std::string str = "Size=100\r\nType=STRING\r\n";
  struct Case {
    const char *what;
    std::string file;
    const char *loaded;
  };
  const Case cases[] = {
      // Quotes: one enclosing pair of either kind goes, nothing else is read
      // into the text.
      {"backslashes in quotes", "[Root|S|A]\r\n" + str + "Value=\"C:\\new\\rates\"\r\n",
       "S|A=STRING:C:\\new\\rates/13"},
      {"UNC path in quotes", "[Root|S|A]\r\n" + str + "Value=\"\\\\server\\share\"\r\n",
       "S|A=STRING:\\\\server\\share/15"},
      {"hex escape in quotes", "[Root|S|A]\r\n" + str + "Value=\"a\\x41b\"\r\n",
       "S|A=STRING:a\\x41b/7"},
      {"single quotes", "[Root|S|A]\r\n" + str + "Value='x y'\r\n", "S|A=STRING:x y/4"},
      {"unpaired quote", "[Root|S|A]\r\n" + str + "Value=\"half\r\n", "S|A=STRING:\"half/6"},
      {"lone quote", "[Root|S|A]\r\n" + str + "Value=\"\r\n", "S|A=STRING:\"/2"},
      {"empty quotes", "[Root|S|A]\r\n" + str + "Value=\"\"\r\n", "S|A=STRING:/1"},
      {"mixed quotes", "[Root|S|A]\r\n" + str + "Value=\"a'\r\n", "S|A=STRING:\"a'/4"},
      {"blanks kept inside quotes", "[Root|S|A]\r\n" + str + "Value=  \" a \"  \r\n",
       "S|A=STRING: a /4"},
      {"escapes without their marker", "[Root|S|A]\r\n" + str + "Value=\"a\\nb\"\r\n",
       "S|A=STRING:a\\nb/5"},
      {"escapes under their marker",
       "[Root|S|A]\r\n" + str + "Value=\"a\\nb\\\\\"\r\nValueEscaped=1\r\n", "S|A=STRING:a\nb\\/5"},
      // Line ends: LF, CR LF and a lone CR each end a line.
      {"CR only",
       "[Root|S|A]\rSize=4\rType=DWORD\rValue=1\r[Root|S|B]\rSize=4\rType=DWORD\rValue=2\r",
       "S|A=DWORD:1;S|B=DWORD:2"},
      {"mixed line ends",
       "[Root|S|A]\r\nSize=4\rType=DWORD\nValue=1\r\r\n[Root|S|B]\n\rSize=4\r\nType=DWORD\r"
       "Value=2",
       "S|A=DWORD:1;S|B=DWORD:2"},
      // Headers: a name of nothing but blanks is no section; quotes are part
      // of a name.
      {"empty headers",
       "[]\r\nSize=4\r\n[Root|S|A]\r\nSize=4\r\nType=DWORD\r\n[  ]\r\nValue=9\r\n"
       "[\t]\r\n[Root|S|B]\r\nSize=4\r\nType=DWORD\r\nValue=2\r\n",
       "S|A=DWORD:0;S|B=DWORD:2"},
      {"quoted header",
       "[\"Root|S|A\"]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n[Root|S|B]\r\n"
       "Size=4\r\nType=DWORD\r\nValue=2\r\n",
       "S|B=DWORD:2"},
      {"header to its last bracket", "[Root|S|a]b] ]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n",
       "S|a]b]=DWORD:1"},
      // Blanks and control bytes: tab, LF, VT, FF, CR, space and 0x1A are
      // trimmed; a NUL ends a value.
      {"DOS end-of-file byte", "[Root|S|A]\r\nSize=4\r\nType=DWORD\r\nValue=305419896\x1A",
       "S|A=DWORD:305419896"},
      {"vertical tab and form feed",
       "\v[Root|S|A]\f\r\n\x1A Size\v=\f4\r\nType=\tDWORD \x1A\r\nValue= 7\v\r\n", "S|A=DWORD:7"},
      {"NUL in a value", "[Root|S|A]\r\n" + str + Bytes("Value=ab\0cd\r\n"), "S|A=STRING:ab/3"},
      {"NUL in a header", Bytes("[Root|S|A\0junk]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n"),
       "S|A=DWORD:3"},
      // Byte order mark and old texts.
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[Root|S|A]\r\nSize=4\r\nType=DWORD\r\nValue=5\r\n",
       "S|A=DWORD:5"},
      {"seven-digit double", "[Root|S|D]\r\nSize=8\r\nType=DOUBLE\r\nValue=3.333333e-01\r\n",
       "S|D=DOUBLE:0.3333333"},
      {"empty buffer", "[Root|S|B]\r\nSize=0\r\nType=BUFFER\r\n", "S|B=BUFFER:0"},
  };
  for (const Case &c : cases) {
    int32_t result = 1;
    uint32_t h = Load(Sep(c.file), &result);
    EXPECT_EQ(result, 0) << c.what;
    EXPECT_EQ(Dump(h), std::string(c.loaded)) << c.what;
  }
}

// What a save writes: a value the reader would change inside one pair of
// double quotes, a line break escaped under the marker key, section names
// plain.
TEST_F(TreeFileWin32Rules, SavesWriteWhatThePlatformReadsBackAsSaved) {
  uint32_t root = NewStore();
  const char *values[] = {" lead", "trail\t", "\"q\"", "'s'", "a\\nb", "l1\r\nl2", "\"", ""};
  for (size_t i = 0; i < sizeof values / sizeof *values; ++i)
    ASSERT_EQ(TIZ_SetSettingString(root, "V", std::to_string(i).c_str(), values[i]), 0);
  ASSERT_EQ(TIZ_SetSettingDword(root, "[g]", " i]", 1), 0);
  ASSERT_EQ(TIZ_Serialize(root, "tree.ini"), 0);
  std::string text = FileText();
  for (const char *line :
       {"[Root|V|0]\r\nSize=6\r\nType=STRING\r\nValue=\" lead\"\r\n", "Value=\"trail\t\"\r\n",
        "Value=\"\"q\"\"\r\n", "Value=\"'s'\"\r\n",
        "[Root|V|4]\r\nSize=5\r\nType=STRING\r\nValue=a\\nb\r\n\r\n",
        "[Root|V|5]\r\nSize=7\r\nType=STRING\r\nValue=\"l1\\r\\nl2\"\r\nValueEscaped=10:"
        "81EEB8D6\r\n",
        "Value=\"\r\n", "Size=1\r\nType=STRING\r\nValue=\r\n", "[Root|[g]| i]]\r\n"})
    EXPECT_NE(text.find(Sep(line)), std::string::npos) << line << "\n" << text;

  int32_t result = 1;
  tiz_test::WriteFileText(m_dir.Path("copy.ini"), text);
  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "copy.ini"), 0);
  EXPECT_EQ(Dump(loaded), Dump(root));

  // A plain value saved over an escaped one takes the marker away.
  ASSERT_EQ(TIZ_SetSettingString(root, "V", "5", "plain"), 0);
  ASSERT_EQ(TIZ_Serialize(root, "tree.ini"), 0);
  text = FileText();
  EXPECT_EQ(text.find("Escaped"), std::string::npos) << text;
  EXPECT_EQ(Dump(Load(text, &result)), Dump(root));
  EXPECT_EQ(result, 0);
}

// A file an editor saved as UTF-16 with a byte order mark is read in the
// ANSI code page and written back as UTF-16; its other lines stay.
TEST_F(TreeFileWin32Rules, Utf16FilesLoadAndAreRewrittenInTheirEncoding) {
  auto utf16 = [](const std::string &text) {
    std::string bytes = "\xFF\xFE";
    for (char c : text) {
      bytes.push_back(c == '\xE9' ? '\xE9' : c);
      bytes.push_back('\0');
    }
    return bytes;
  };
  const std::string original =
      Sep("; caf\xE9\r\n[Root|S|A]\r\nSize=100\r\nType=STRING\r\nValue=caf\xE9\r\n");
  int32_t result = 1;
  uint32_t h = Load(utf16(original), &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Dump(h), "S|A=STRING:caf\xE9/5");

  ASSERT_EQ(TIZ_SetSettingDword(h, "S", "B", 2), 0);
  ASSERT_EQ(TIZ_Serialize(h, "tree.ini"), 0);
  // The comment stays; A's Size is now that of its text.
  std::string rewritten = FileText();
  EXPECT_EQ(rewritten.substr(0, 2), "\xFF\xFE");
  EXPECT_EQ(rewritten, utf16(Sep("; caf\xE9\r\n[Root|S|A]\r\nSize=5\r\nType=STRING\r\nValue=caf\xE9"
                                 "\r\n\r\n[Root|S|B]\r\nSize=4\r\nType=DWORD\r\nValue=2\r\n")));
}

// A UTF-16 file holding a character the ANSI code page lacks (here U+4E2D)
// loads with '?' in its place, and no save replaces the file: writing it
// back would put the '?' into the file.
TEST_F(TreeFileWin32Rules, Utf16FilesWithCharactersOutsideTheCodePageAreNeverRewritten) {
  std::string bytes = "\xFF\xFE";
  for (char c : Sep("[Root|S|A]\r\nSize=4\r\nType=DWORD\r\nValue=5\r\n; ")) {
    bytes.push_back(c);
    bytes.push_back('\0');
  }
  bytes += std::string("\x2D\x4E", 2);
  int32_t result = 1;
  uint32_t h = Load(bytes, &result);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(Dump(h), "S|A=DWORD:5");
  ASSERT_EQ(TIZ_SetSettingDword(h, "S", "B", 2), 0);
  EXPECT_EQ(TIZ_Serialize(h, "tree.ini"), TIZ_E_OPEN_FILE);
  EXPECT_EQ(FileText(), bytes);
}

// Code page 1252 holds characters above U+00FF in its bytes 0x80-0x9F (the
// euro sign is 0x80), and passes its five undefined bytes (0x81, ...)
// through as the same code units: such a file loads and is rewritten
// unchanged. A character outside the plane, a surrogate pair, is one
// character and reads as one '?'. Big-endian files read the same.
TEST_F(TreeFileWin32Rules, Utf16FilesMapTheCodePagesUpperControlRangeAndSurrogatePairs) {
  auto utf16 = [](const std::u16string &units, bool little) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char16_t unit : units) {
      char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
      bytes.push_back(little ? low : high);
      bytes.push_back(little ? high : low);
    }
    return bytes;
  };
  auto units = [](const std::string &ascii) { return std::u16string(ascii.begin(), ascii.end()); };
  for (bool little : {true, false}) {
    SCOPED_TRACE(little ? "little-endian" : "big-endian");
    const std::u16string mapped = units(Sep("[Root|S|A]\r\nSize=4\r\nType=STRING\r\nValue=")) +
                                  u"\u20AC\u0081x" + units("\r\n");
    int32_t result = 1;
    uint32_t h = Load(utf16(mapped, little), &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(Dump(h), "S|A=STRING:\x80\x81x/4");
    ASSERT_EQ(TIZ_Serialize(h, "tree.ini"), 0);
    EXPECT_EQ(FileText(), utf16(mapped, little)) << "rewritten unchanged";

    const std::u16string pair = units(Sep("[Root|S|A]\r\nSize=4\r\nType=STRING\r\nValue=a")) +
                                u"\U0001F600b" + units("\r\n");
    h = Load(utf16(pair, little), &result);
    EXPECT_EQ(result, 0);
#ifndef _WIN32
    // On Windows the system's converter decides how many '?' a pair reads
    // as (Wine gives one per unit); the library's own converter gives one.
    EXPECT_EQ(Dump(h), "S|A=STRING:a?b/4");
#endif
    EXPECT_EQ(TIZ_Serialize(h, "tree.ini"), TIZ_E_OPEN_FILE) << "the '?' would replace it";
    EXPECT_EQ(FileText(), utf16(pair, little));
  }
}

// A UTF-8 byte order mark stays when the file is rewritten.
TEST_F(TreeFileWin32Rules, AUtf8ByteOrderMarkStaysOnRewrite) {
  int32_t result = 1;
  uint32_t h = Load(Sep("\xEF\xBB\xBF[Root|S|A]\r\nSize=4\r\nType=DWORD\r\nValue=5\r\n"), &result);
  ASSERT_EQ(TIZ_SetSettingDword(h, "S", "A", 6), 0);
  ASSERT_EQ(TIZ_Serialize(h, "tree.ini"), 0);
  EXPECT_EQ(FileText(), Sep("\xEF\xBB\xBF[Root|S|A]\r\nSize=4\r\nType=DWORD\r\nValue=6\r\n"));
}

// A store linked below another is saved under its own path name; loaded
// into a new root, the file's first owner stands for "Root", and the loaded
// tree saves a file that loads again.
TEST_F(TreeFileWin32Rules, AFileSavedFromALinkedStoreLoadsIntoANewRoot) {
  uint32_t defaults = NewStore(), global = NewStore(), job = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(defaults, "Defaults", "Global", global), 0);
  ASSERT_EQ(TIZ_SetSettingDword(global, "Job", "Pages", 3), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(global, "Job", "Detail", job), 0);
  ASSERT_EQ(TIZ_SetSettingString(job, "Name", "Value", "scan"), 0);
  ASSERT_EQ(TIZ_Serialize(global, "tree.ini"), 0);
  ASSERT_NE(FileText().find(Sep("[Root|Defaults|Global|Job|Pages]")), std::string::npos);

  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "tree.ini"), 0);
  const std::string outline = "Job|Pages=DWORD:3;Job|Detail={Name|Value=STRING:scan/5}";
  EXPECT_EQ(Dump(loaded), outline);
  tiz::CAttributeStore *s = tiz::LookupStore(loaded);
  tiz::CAttribute *detail = s->FindAttribute(tiz::ComposeKey("Job", "Detail"));
  ASSERT_NE(detail, nullptr);
  EXPECT_EQ(tiz::LookupStore(detail->m_value.store)->Name(), Sep("Root|Job|Detail"));

  ASSERT_EQ(TIZ_Serialize(loaded, "again.ini"), 0);
  uint32_t again = NewStore();
  ASSERT_EQ(TIZ_Deserialize(again, "again.ini"), 0);
  EXPECT_EQ(Dump(again), outline);

  // A file with a section of "Root" loads as before: the rest is not its.
  tiz_test::WriteFileText(
      m_dir.Path("mixed.ini"),
      FileText() + Sep("[Root|Own|Value]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n"));
  uint32_t mixed = NewStore();
  ASSERT_EQ(TIZ_Deserialize(mixed, "mixed.ini"), 0);
  EXPECT_EQ(Dump(mixed), "Own|Value=DWORD:1");
}

// An item ending in a blank is read back without it, as the platform trims a
// section name's end; the stores such items hold keep their settings, at
// every depth, and a save of the loaded tree loads alike again.
TEST_F(TreeFileWin32Rules, StoresHeldByItemsEndingInABlankKeepTheirSettings) {
  uint32_t root = NewStore(), outer = NewStore(), inner = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "Stage", "Deskew\t", outer), 0);
  ASSERT_EQ(TIZ_SetSettingDword(outer, "Angle", "Value", 5), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(outer, "Page", "Front ", inner), 0);
  ASSERT_EQ(TIZ_SetSettingString(inner, "Side", "Name\x1A", "front"), 0);
  ASSERT_EQ(TIZ_Serialize(root, "tree.ini"), 0);

  const std::string outline =
      "Stage|Deskew={Angle|Value=DWORD:5;Page|Front={Side|Name=STRING:front/6}}";
  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "tree.ini"), 0);
  EXPECT_EQ(Dump(loaded), outline);

  ASSERT_EQ(TIZ_Serialize(loaded, "again.ini"), 0);
  uint32_t again = NewStore();
  ASSERT_EQ(TIZ_Deserialize(again, "again.ini"), 0);
  EXPECT_EQ(Dump(again), outline);
}

}  // namespace
