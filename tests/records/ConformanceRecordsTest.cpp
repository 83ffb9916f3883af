// Text records through the C interface: where a text value starts when it is
// read back, how its field length is judged, and which selector values pack
// a DWORD.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "tiz.h"

namespace {

constexpr char kMarker = '#';
constexpr uint32_t kDwordMarker = 0xA5A5A5A5u;

// Reads record 0 with text buffers of exactly fieldLen bytes, filled with a
// marker beforehand.
struct Unpacked {
  explicit Unpacked(uint32_t fieldLen)
      : fieldLen(fieldLen),
        group(fieldLen, kMarker),
        item(fieldLen, kMarker),
        str(fieldLen, kMarker) {}
  int32_t From(const char *text) {
    return UtilAttribute_UnpackOneAttribute(text, 0, fieldLen, group.data(), item.data(), &kind,
                                            &dword, str.data());
  }
  uint32_t fieldLen;
  std::vector<char> group, item, str;
  uint32_t kind = kDwordMarker, dword = kDwordMarker;
};

// The text starts after the white space that follows the kind; that white
// space still counts in the value's length against the field length.
TEST(ConformanceRecords, TextValueStartsAfterTheBlanksBehindTheKind) {
  const struct {
    const char *record;
    uint32_t fieldLen;
    int32_t result;
    uint32_t kind;
    const char *text;
  } cases[] = {
      {"Job Title 1  Front page\n", 32, TIZ_OK, 1, "Front page"},
      {"Job Title 1 \t\r x y \n", 32, TIZ_OK, 1, "x y "},
      {"Job Title 1    \n", 32, TIZ_OK, 1, ""},
      {"Job Title 2   other kind\n", 32, TIZ_OK, 2, "other kind"},
      {"Job Ti 1    ab\n", 6, TIZ_OK, 1, "ab"},
      {"Job Ti 1    ab\n", 5, TIZ_E_TOO_SMALL, kDwordMarker, nullptr},
  };
  for (const auto &c : cases) {
    Unpacked out(c.fieldLen);
    ASSERT_EQ(out.From(c.record), c.result) << c.record;
    EXPECT_EQ(out.kind, c.kind) << c.record;
    EXPECT_EQ(out.dword, kDwordMarker) << c.record;
    if (c.text) {
      EXPECT_STREQ(out.str.data(), c.text) << c.record;
    } else {
      EXPECT_EQ(out.str, std::vector<char>(c.fieldLen, kMarker)) << c.record;
    }
  }
}

// A text packed with leading blanks is written as given and read back from
// its first non-blank byte.
TEST(ConformanceRecords, LeadingBlanksOfAPackedTextAreNotReadBack) {
  char buffer[64] = "";
  ASSERT_EQ(UtilAttribute_Pack(buffer, sizeof buffer, "Job", "Title", 0, "  Front page "), TIZ_OK);
  EXPECT_STREQ(buffer, "Job Title 1   Front page \n");
  Unpacked out(32);
  ASSERT_EQ(out.From(buffer), TIZ_OK);
  EXPECT_STREQ(out.str.data(), "Front page ");
}

// Any non-zero selector packs the value as a DWORD of kind 0.
TEST(ConformanceRecords, AnyNonZeroSelectorPacksADword) {
  const uint32_t value = 4294967295u;
  for (uint32_t selector : {1u, 2u, 0x80000000u, 0xFFFFFFFFu}) {
    char buffer[32] = "";
    ASSERT_EQ(UtilAttribute_Pack(buffer, sizeof buffer, "Scan", "Speed", selector, &value), TIZ_OK);
    EXPECT_STREQ(buffer, "Scan Speed 0 -1\n") << selector;
  }
}

}  // namespace
