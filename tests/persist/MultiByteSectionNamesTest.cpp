// Tree-file section names match without regard to the case of ASCII letters,
// but in a double-byte code page the byte after a lead byte is part of one
// character and never folds: a save must keep such sections apart. The code
// page the library emulates is read from TIZ_CODEPAGE when it is loaded, so
// the double-byte cases run in a child process started with it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "ScratchDirectory.h"
#include "persist/ConfiguredPaths.h"
#include "tiz.h"

#ifndef _WIN32

namespace {

using tiz_test::ReadFileText;
using tiz_test::ScratchDirectory;
using tiz_test::WriteFileText;

size_t Count(const std::string &text, const std::string &what) {
  size_t count = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++count;
  return count;
}

bool DoubleByteCodePage() {
  const char *page = std::getenv("TIZ_CODEPAGE");
  return page && (std::string(page) == "932" || std::string(page) == "936");
}

// 0x83 is a lead byte in Shift-JIS and GBK; "\x83" "a" and "\x83" "A" are two
// different characters there, and in code page 1252 two spellings of one
// name. Long names go through the hashing of whole words as well.
TEST(MultiByteSectionNames, TheByteAfterALeadByteKeepsItsCase) {
  ScratchDirectory scratch;
  const std::string longGroup = "Scanner.Settings.Front\x83";
  for (const std::string &group : {std::string("\x83"), longGroup}) {
    SCOPED_TRACE(group.size());
    const std::string onDisk = "[Root\x7f" + group + "a\x7fItem]\r\nSize=4\r\nType=DWORD\r\n" +
                               "Value=1\r\n\r\n[Root\x7fOther\x7fItem]\r\nSize=4\r\n" +
                               "Type=DWORD\r\nValue=3\r\n\r\n[Root\x7f" + group +
                               "ab\x7fItem]\r\nSize=4\r\nType=DWORD\r\nValue=4\r\n\r\n" +
                               // Names of whole words, and one ending in a lead byte.
                               "[Keep\x7fWxyz\x7fItem12]\r\nValue=6\r\n\r\n" +
                               "[Keep\x7fOther\x7fIt\x83]\r\nValue=7\r\n";
    WriteFileText(scratch.Path("t.tree"), onDisk);
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    ASSERT_EQ(TIZ_SetSettingDword(h, (group + "A").c_str(), "Item", 2), 0);
    // Letters after the double-byte character fold as everywhere.
    ASSERT_EQ(TIZ_SetSettingDword(h, (group + "aB").c_str(), "Item", 5), 0);
    ASSERT_EQ(TIZ_Serialize(h, "t.tree"), 0);
    EXPECT_EQ(TIZ_Release(h), 0);

    const std::string saved = ReadFileText(scratch.Path("t.tree"));
    EXPECT_EQ(Count(saved, "Value=3"), 1u) << "an unrelated section stays";
    if (DoubleByteCodePage()) {
      EXPECT_EQ(Count(saved, "[Root\x7f"), 4u) << saved;
      EXPECT_EQ(Count(saved, "Value=1"), 1u) << "the other character's section stays";
    } else {
      EXPECT_EQ(Count(saved, "[Root\x7f"), 3u) << saved;
      EXPECT_EQ(Count(saved, "Value=1"), 0u) << "the same name in another case is replaced";
    }
    EXPECT_EQ(Count(saved, "Value=2"), 1u);
    EXPECT_EQ(Count(saved, "Value=4"), 0u) << "replaced by the same name in another case";
    EXPECT_EQ(Count(saved, "Value=5"), 1u);
    EXPECT_EQ(Count(saved, "Value=6"), 1u) << "an unrelated section stays";
    EXPECT_EQ(Count(saved, "Value=7"), 1u) << "an unrelated section stays";
  }
}

// A tree file goes under the last component of the name it is given; in a
// double-byte code page a '\\' after a lead byte is part of a character and
// separates nothing.
TEST(MultiByteSectionNames, ALeadByteHidesTheSeparatorAfterItInAPath) {
  const bool doubleByte = DoubleByteCodePage();
  EXPECT_EQ(tiz::LastPathComponent("dir\\x\x83\\y.ini"), doubleByte ? "x\x83\\y.ini" : "y.ini");
  EXPECT_EQ(tiz::LastPathComponent("dir\\\x83"), "\x83");
  EXPECT_EQ(tiz::LastPathComponent("dir//y.ini"), "y.ini");
  EXPECT_EQ(tiz::LastPathComponent("dir\\name\\"), "name\\");
}

TEST(MultiByteSectionNames, DoubleByteCodePagesInAChildProcess) {
  if (std::getenv("TIZ_CODEPAGE")) GTEST_SKIP() << "already the child process";
  const std::string self = testing::internal::GetArgvs().front();
  for (const char *page : {"932", "936"}) {
    std::string command =
        std::string("TIZ_CODEPAGE=") + page + " '" + self +
        "' --gtest_filter=MultiByteSectionNames.TheByteAfterALeadByteKeepsItsCase:"
        "MultiByteSectionNames.ALeadByteHidesTheSeparatorAfterItInAPath"
        " > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "code page " << page;
  }
}

}  // namespace

#endif
