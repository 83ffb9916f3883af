// Conversion between UTF-16 and the ANSI code page for text files saved as
// "Unicode", on systems without a code page of their own: code page 1252 by
// default, Latin-1 under any other TIZ_CODEPAGE (read once, at load, so the
// second table runs in a child process).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/AnsiText.h"

#ifndef _WIN32

namespace {

using tiz::platform::AnsiToUtf16;
using tiz::platform::Utf16ToAnsi;

struct Conversion {
  std::u16string units;
  std::string bytes;
};

const char *ChildCodePage() { return std::getenv("TIZ_CODEPAGE"); }

bool Uses1252() { return !ChildCodePage() || std::atoi(ChildCodePage()) == 1252; }

TEST(AnsiText, CodePage1252BothWays) {
  if (!Uses1252()) GTEST_SKIP() << "cases for code page 1252";
  // Each pair converts both ways and round-trips.
  const Conversion exact[] = {
      {u"", ""},
      {u"Scan", "Scan"},
      {u"\u20AC\u2122\u0178", "\x80\x99\x9F"},  // the 1252 characters at 0x80-0x9F
      {u"\u0081\u008D\u009D", "\x81\x8D\x9D"},  // its undefined bytes pass through
      {u"\u00A0\u00E9\u00FF", "\xA0\xE9\xFF"},  // Latin-1 above 0x9F
  };
  for (const Conversion &c : exact) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Utf16ToAnsi(c.units), c.bytes);
    EXPECT_EQ(AnsiToUtf16(c.bytes), c.units);
  }
  // Characters without a byte form become one '?' each; a surrogate pair is
  // one character, a lone surrogate one as well.
  const Conversion lossy[] = {
      {u"\u0080", "?"},  // its byte stands for the euro sign
      {u"\u0100\u4E2D", "??"}, {u"a\U0001F600b", "a?b"}, {u"\xD83D", "?"},
      {u"\xD83Dx", "?x"},      {u"\xD83D\xE000", "??"},  {u"\xDE00\xD83D", "??"},
  };
  for (const Conversion &c : lossy) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Utf16ToAnsi(c.units), c.bytes);
  }
}

// Run in a child under another code page, which maps bytes 0x80-0xFF to the
// same code points, and anything beyond 0xFF to '?'.
TEST(AnsiText, OtherCodePagesConvertAsLatin1) {
  if (Uses1252()) GTEST_SKIP() << "runs in a child under another code page";
  EXPECT_EQ(AnsiToUtf16("a\x80\x9F\xE9"), u"a\u0080\u009F\u00E9");
  EXPECT_EQ(Utf16ToAnsi(u"a\u0080\u009F\u00E9"), "a\x80\x9F\xE9");
  EXPECT_EQ(Utf16ToAnsi(u"\u20AC\u0100"), "??");
}

// The code page is read from the environment once, at load: each page runs
// the cases of its table in a child process.
TEST(AnsiText, CodePageIsTakenFromTheEnvironment) {
  if (ChildCodePage()) GTEST_SKIP() << "already the child process";
  const std::string self = testing::internal::GetArgvs().front();
  for (const char *page : {"932", "1252"}) {
    const std::string command = std::string("TIZ_CODEPAGE=") + page + " '" + self +
                                "' --gtest_filter=AnsiText.CodePage1252BothWays:AnsiText."
                                "OtherCodePagesConvertAsLatin1 > /dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << "code page " << page;
  }
}

}  // namespace

#endif
