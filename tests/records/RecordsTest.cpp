// Text records: packing settings into "group item kind value\n" lines,
// counting them and reading one back. Caller buffers are sized exactly so a
// write past them shows up under the sanitizers, and outputs are filled with
// a marker to prove what a failure leaves untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "tiz.h"

namespace {

constexpr char kMarker = '#';
constexpr uint32_t kDwordMarker = 0xA5A5A5A5u;

int32_t PackDword(char *buffer, uint32_t size, const char *group, const char *item,
                  uint32_t value) {
  return UtilAttribute_Pack(buffer, size, group, item, 1, &value);
}

int32_t PackText(char *buffer, uint32_t size, const char *group, const char *item,
                 const char *value) {
  return UtilAttribute_Pack(buffer, size, group, item, 0, value);
}

// The outputs of one unpack, each text buffer exactly fieldLen bytes (one
// for a field length of 0, so it is still a real buffer) and filled with the
// marker beforehand.
struct Unpacked {
  explicit Unpacked(uint32_t fieldLen)
      : fieldLen(fieldLen),
        group(std::max(fieldLen, 1u), kMarker),
        item(std::max(fieldLen, 1u), kMarker),
        str(std::max(fieldLen, 1u), kMarker) {}

  int32_t From(const char *text, int32_t index) {
    return UtilAttribute_UnpackOneAttribute(text, index, fieldLen, group.data(), item.data(), &kind,
                                            &dword, str.data());
  }

  static bool Untouched(const std::vector<char> &v) {
    for (char c : v)
      if (c != kMarker) return false;
    return true;
  }
  bool AllUntouched() const {
    return Untouched(group) && Untouched(item) && Untouched(str) && kind == kDwordMarker &&
           dword == kDwordMarker;
  }

  uint32_t fieldLen;
  std::vector<char> group, item, str;
  uint32_t kind = kDwordMarker;
  uint32_t dword = kDwordMarker;
};

// ---------------------------------------------------------------- counting

TEST(RecordsCount, CountsLineFeedsOnly) {
  const struct {
    const char *text;
    int32_t count;
  } cases[] = {
      {"", 0},
      {"Scan Speed 0 12", 0},  // a last record without its line feed is not counted
      {"Scan Speed 0 12\n", 1},
      {"Scan Speed 0 12\nJob Title 1 Front page\n", 2},
      {"Scan Speed 0 12\nJob Title 1 Front page", 1},
      {"\n\n\n", 3},
  };
  for (const auto &c : cases) EXPECT_EQ(UtilAttribute_Count(c.text), c.count) << c.text;
}

TEST(RecordsCount, NullTextIsAnInvalidArgument) {
  EXPECT_EQ(UtilAttribute_Count(nullptr), TIZ_E_INVALID_ARG);
}

// ----------------------------------------------------------------- packing

TEST(RecordsPack, WritesTheRecordTexts) {
  const struct {
    const char *group, *item;
    bool isDword;
    uint32_t dword;
    const char *text;
    const char *record;
  } cases[] = {
      {"Scan", "Speed", true, 12, nullptr, "Scan Speed 0 12\n"},
      {"Scan", "Speed", true, 4294967295u, nullptr, "Scan Speed 0 -1\n"},
      {"Scan", "Speed", true, 0x80000000u, nullptr, "Scan Speed 0 -2147483648\n"},
      {"Scan", "Speed", true, 2147483647u, nullptr, "Scan Speed 0 2147483647\n"},
      {"Job", "Title", false, 0, "Front page", "Job Title 1 Front page\n"},
      {"Job", "Title", false, 0, "", "Job Title 1 \n"},
      {"Job", "Title", false, 0, "  leading and trailing  ",
       "Job Title 1   leading and trailing  \n"},
      {"", "", false, 0, "x", "  1 x\n"},
  };
  for (const auto &c : cases) {
    char buffer[64] = "";
    const int32_t r = c.isDword ? PackDword(buffer, sizeof buffer, c.group, c.item, c.dword)
                                : PackText(buffer, sizeof buffer, c.group, c.item, c.text);
    EXPECT_EQ(r, TIZ_OK) << c.record;
    EXPECT_STREQ(buffer, c.record);
  }
}

TEST(RecordsPack, AppendsBehindTheTextAlreadyThere) {
  char buffer[64] = "";
  ASSERT_EQ(PackDword(buffer, sizeof buffer, "Scan", "Speed", 12), TIZ_OK);
  ASSERT_EQ(PackText(buffer, sizeof buffer, "Job", "Title", "Front page"), TIZ_OK);
  EXPECT_STREQ(buffer, "Scan Speed 0 12\nJob Title 1 Front page\n");
}

// "Scan Speed 0 12\n" is 16 bytes and needs 17 with its terminator; behind an
// existing text the same record needs that text's length more.
TEST(RecordsPack, FitsExactlyToTheLastByteOfTheBuffer) {
  for (const std::string existing : {"", "Job Title 1 x\n"}) {
    const uint32_t needed = static_cast<uint32_t>(existing.size()) + 17;
    for (uint32_t size : {needed - 1, needed}) {
      std::vector<char> buffer(size, kMarker);
      std::memcpy(buffer.data(), existing.c_str(), existing.size() + 1);
      const std::vector<char> before = buffer;
      const int32_t r = PackDword(buffer.data(), size, "Scan", "Speed", 12);
      if (size < needed) {
        EXPECT_EQ(r, TIZ_E_TOO_SMALL) << size;
        EXPECT_EQ(buffer, before) << "a refused record leaves every byte as it was";
      } else {
        EXPECT_EQ(r, TIZ_OK) << size;
        EXPECT_EQ(std::string(buffer.data()), existing + "Scan Speed 0 12\n");
      }
    }
  }
}

TEST(RecordsPack, ZeroSizeOrUnterminatedTextIsTooSmallAndNeverReadPast) {
  char one = kMarker;
  EXPECT_EQ(PackDword(&one, 0, "Scan", "Speed", 12), TIZ_E_TOO_SMALL);
  EXPECT_EQ(one, kMarker);
  // A text with no terminator inside the size: reading on would leave the
  // buffer, so the buffer counts as full.
  std::vector<char> full(40, 'a');
  EXPECT_EQ(PackDword(full.data(), 40, "Scan", "Speed", 12), TIZ_E_TOO_SMALL);
  EXPECT_EQ(full, std::vector<char>(40, 'a'));
}

TEST(RecordsPack, NullPointersAreRefusedUntouched) {
  char buffer[32] = "keep\n";
  const uint32_t dword = 12;
  EXPECT_EQ(UtilAttribute_Pack(nullptr, 32, "Scan", "Speed", 1, &dword), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(UtilAttribute_Pack(nullptr, 32, nullptr, nullptr, 1, nullptr), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(UtilAttribute_Pack(buffer, 32, nullptr, "Speed", 1, &dword), TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_Pack(buffer, 32, "Scan", nullptr, 1, &dword), TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_Pack(buffer, 32, "Scan", "Speed", 1, nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_Pack(buffer, 32, "Job", "Title", 0, nullptr), TIZ_E_INVALID_ARG);
  EXPECT_STREQ(buffer, "keep\n");
}

// Keeping blanks out of the names and line feeds out of both is the caller's
// part: whatever fits is appended as given.
TEST(RecordsPack, NamesAndTextsAreWrittenAsGiven) {
  const struct {
    const char *group, *item, *text, *record;
  } cases[] = {
      {"Scan Job", "Title", "x", "Scan Job Title 1 x\n"},
      {"Scan", "Title", "two\nlines", "Scan Title 1 two\nlines\n"},
  };
  for (const auto &c : cases) {
    char buffer[64] = "";
    EXPECT_EQ(PackText(buffer, sizeof buffer, c.group, c.item, c.text), TIZ_OK) << c.record;
    EXPECT_STREQ(buffer, c.record);
  }
}

// Any non-zero selector packs the value as a DWORD of kind 0.
TEST(RecordsPack, AnyNonZeroSelectorPacksADword) {
  const uint32_t value = 4294967295u;
  for (uint32_t selector : {1u, 2u, 0x80000000u, 0xFFFFFFFFu}) {
    char buffer[32] = "";
    ASSERT_EQ(UtilAttribute_Pack(buffer, sizeof buffer, "Scan", "Speed", selector, &value), TIZ_OK);
    EXPECT_STREQ(buffer, "Scan Speed 0 -1\n") << selector;
  }
}

// --------------------------------------------------------------- unpacking

TEST(RecordsUnpack, DwordRecordLeavesTheStringUntouched) {
  Unpacked out(32);
  ASSERT_EQ(out.From("Scan Speed 0 12\n", 0), TIZ_OK);
  EXPECT_STREQ(out.group.data(), "Scan");
  EXPECT_STREQ(out.item.data(), "Speed");
  EXPECT_EQ(out.kind, 0u);
  EXPECT_EQ(out.dword, 12u);
  EXPECT_TRUE(Unpacked::Untouched(out.str));
}

TEST(RecordsUnpack, TextRecordLeavesTheDwordUntouched) {
  const struct {
    const char *text;
    const char *value;
  } cases[] = {
      {"Job Title 1 Front page\n", "Front page"},
      {"Job Title 1 \n", ""},
      {"Job Title 1   indented  \n", "indented  "},  // blanks ahead of the text are skipped
      {"Job Title 1 carriage\r\n", "carriage\r"},
  };
  for (const auto &c : cases) {
    Unpacked out(32);
    ASSERT_EQ(out.From(c.text, 0), TIZ_OK) << c.text;
    EXPECT_STREQ(out.group.data(), "Job");
    EXPECT_STREQ(out.item.data(), "Title");
    EXPECT_EQ(out.kind, 1u);
    EXPECT_STREQ(out.str.data(), c.value);
    EXPECT_EQ(out.dword, kDwordMarker);
  }
}

// The text starts after the white space that follows the kind; that white
// space still counts in the value's length against the field length.
TEST(RecordsUnpack, TextValueStartsAfterTheBlanksBehindTheKind) {
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
    ASSERT_EQ(out.From(c.record, 0), c.result) << c.record;
    EXPECT_EQ(out.kind, c.kind) << c.record;
    EXPECT_EQ(out.dword, kDwordMarker) << c.record;
    if (c.text) {
      EXPECT_STREQ(out.str.data(), c.text) << c.record;
    } else {
      EXPECT_EQ(out.str, std::vector<char>(c.fieldLen, kMarker)) << c.record;
    }
  }
}

TEST(RecordsUnpack, ReadsNumbersAsSignedDecimalsWithTheirBits) {
  const struct {
    const char *text;
    uint32_t kind, dword;
  } cases[] = {
      {"Scan Speed 0 -1\n", 0, 0xFFFFFFFFu},
      {"Scan Speed 0 4294967295\n", 0, 0xFFFFFFFFu},
      {"Scan Speed 0 -2147483648\n", 0, 0x80000000u},
      {"Scan Speed 0 +7\n", 0, 7},
      {"Scan Speed 0  12\n", 0, 12},          // blanks ahead of the number are skipped
      {"Scan Speed 0 \t\v\f\r12\n", 0, 12},   // and every other white space byte
      {"Scan Speed 0 12 trailing\n", 0, 12},  // the number ends at its last digit
      {"Scan Speed 00 5\n", 0, 5},
      {"Scan Speed 7 text\n", 7, kDwordMarker},  // any kind but 0 is a text
      {"Scan Speed -1 text\n", 0xFFFFFFFFu, kDwordMarker},
  };
  for (const auto &c : cases) {
    Unpacked out(32);
    ASSERT_EQ(out.From(c.text, 0), TIZ_OK) << c.text;
    EXPECT_EQ(out.kind, c.kind) << c.text;
    EXPECT_EQ(out.dword, c.dword) << c.text;
  }
}

TEST(RecordsUnpack, IndexSelectsTheRecordBetweenLineFeeds) {
  const char *text = "Scan Speed 0 12\nJob Title 1 Front page\nLast Line 0 3";
  Unpacked first(32), second(32);
  ASSERT_EQ(first.From(text, 0), TIZ_OK);
  EXPECT_STREQ(first.group.data(), "Scan");
  ASSERT_EQ(second.From(text, 1), TIZ_OK);
  EXPECT_STREQ(second.group.data(), "Job");
  EXPECT_STREQ(second.str.data(), "Front page");
}

TEST(RecordsUnpack, MalformedOrMissingRecordsFailUntouched) {
  const struct {
    const char *text;
    int32_t index;
    uint32_t fieldLen;
    int32_t result;
  } cases[] = {
      // No record at the position.
      {"Scan Speed 0 12\nJob Title 1 x\n", 2, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12\nLast Line 0 3", 1, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12", 0, 32, TIZ_E_NO_RECORD},
      {"", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12\n", -1, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12\n", INT32_MIN, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12\n", INT32_MAX, 32, TIZ_E_NO_RECORD},
      // Fewer than three blanks.
      {"Scan Speed 0\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan\n", 0, 32, TIZ_E_NO_RECORD},
      {"\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 12\nJob Title\n", 1, 32, TIZ_E_NO_RECORD},
      // Kind not a number; a DWORD record whose value is not a number.
      {"Scan Speed x 12\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed  0 12\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed - 12\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 99999999999 x\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 x\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 \n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 4294967296\n", 0, 32, TIZ_E_NO_RECORD},
      {"Scan Speed 0 -2147483649\n", 0, 32, TIZ_E_NO_RECORD},
      // A field that does not fit with its terminator; checked before the kind.
      {"Scans Sp 0 1\n", 0, 5, TIZ_E_TOO_SMALL},
      {"Scan Speed 0 1\n", 0, 5, TIZ_E_TOO_SMALL},
      {"Sc Sp 12345 x\n", 0, 5, TIZ_E_TOO_SMALL},
      {"Sc Sp 1 value\n", 0, 5, TIZ_E_TOO_SMALL},
      {"Sc Sp 0 12345\n", 0, 5, TIZ_E_TOO_SMALL},
      {"Scans Sp x 1\n", 0, 5, TIZ_E_TOO_SMALL},
      {"a b 0 1\n", 0, 1, TIZ_E_TOO_SMALL},
      {"a b 0 1\n", 0, 0, TIZ_E_TOO_SMALL},
  };
  for (const auto &c : cases) {
    Unpacked out(c.fieldLen);
    EXPECT_EQ(out.From(c.text, c.index), c.result) << c.text << " @" << c.index;
    EXPECT_TRUE(out.AllUntouched()) << c.text << " @" << c.index;
  }
}

// With a field length of 5 a field of 4 characters fits and one of 5 does
// not, in every record: the line feed in front of a later record is no part
// of its group.
TEST(RecordsUnpack, FieldLengthBoundaryHoldsForEveryRecord) {
  for (const std::string prefix : {"", "First Rec 0 1\n", "F R 0 1\nS R 1 t\n"}) {
    const int32_t index = UtilAttribute_Count(prefix.c_str());
    for (const char *field : {"group", "item", "value"}) {
      for (const char *fill : {"abcd", "abcde"}) {
        const std::string f = fill;
        std::string record = std::string(field) == "group"  ? f + " it 1 v\n"
                             : std::string(field) == "item" ? "gr " + f + " 1 v\n"
                                                            : "gr it 1 " + f + "\n";
        const std::string text = prefix + record;
        Unpacked out(5);
        const int32_t r = out.From(text.c_str(), index);
        if (f.size() < 5) {
          ASSERT_EQ(r, TIZ_OK) << text;
          const std::vector<char> &got = std::string(field) == "group"  ? out.group
                                         : std::string(field) == "item" ? out.item
                                                                        : out.str;
          EXPECT_STREQ(got.data(), fill);
        } else {
          EXPECT_EQ(r, TIZ_E_TOO_SMALL) << text;
          EXPECT_TRUE(out.AllUntouched());
        }
      }
    }
  }
}

TEST(RecordsUnpack, NullPointersAreRefusedUntouched) {
  Unpacked out(32);
  const char *text = "Scan Speed 0 12\n";
  char *g = out.group.data();
  char *i = out.item.data();
  char *s = out.str.data();
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(nullptr, 0, 32, g, i, &out.kind, &out.dword, s),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(text, 0, 32, nullptr, i, &out.kind, &out.dword, s),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(text, 0, 32, g, nullptr, &out.kind, &out.dword, s),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(text, 0, 32, g, i, nullptr, &out.dword, s),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(text, 0, 32, g, i, &out.kind, nullptr, s),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(text, 0, 32, g, i, &out.kind, &out.dword, nullptr),
            TIZ_E_INVALID_ARG);
  EXPECT_TRUE(out.AllUntouched());
}

// ------------------------------------------------------- long and round trip

// A text packed with leading blanks is written as given and read back from
// its first non-blank byte.
TEST(RecordsRoundTrip, LeadingBlanksOfAPackedTextAreNotReadBack) {
  char buffer[64] = "";
  ASSERT_EQ(UtilAttribute_Pack(buffer, sizeof buffer, "Job", "Title", 0, "  Front page "), TIZ_OK);
  EXPECT_STREQ(buffer, "Job Title 1   Front page \n");
  Unpacked out(32);
  ASSERT_EQ(out.From(buffer, 0), TIZ_OK);
  EXPECT_STREQ(out.str.data(), "Front page ");
}

// Records and values far beyond a couple of hundred bytes pack and read back
// whole, with the caller's buffers sized to the byte.
TEST(RecordsRoundTrip, LongRecordsAndValues) {
  const std::string group(300, 'g');
  const std::string item(700, 'i');
  std::string value;
  for (int n = 0; value.size() < 5000; ++n) value += "word" + std::to_string(n) + " ";

  // "Scan Speed 0 12\n", then the text record with its three blanks, kind,
  // line feed and the terminator.
  const uint32_t size = static_cast<uint32_t>(16 + group.size() + item.size() + value.size() + 6);
  std::vector<char> buffer(size, kMarker);
  buffer[0] = '\0';
  ASSERT_EQ(PackDword(buffer.data(), size, "Scan", "Speed", 12), TIZ_OK);
  ASSERT_EQ(PackText(buffer.data(), size - 1, group.c_str(), item.c_str(), value.c_str()),
            TIZ_E_TOO_SMALL);
  ASSERT_EQ(PackText(buffer.data(), size, group.c_str(), item.c_str(), value.c_str()), TIZ_OK);
  ASSERT_EQ(UtilAttribute_Count(buffer.data()), 2);

  const uint32_t fieldLen = static_cast<uint32_t>(value.size() + 1);
  Unpacked fits(fieldLen);
  ASSERT_EQ(fits.From(buffer.data(), 1), TIZ_OK);
  EXPECT_EQ(std::string(fits.group.data()), group);
  EXPECT_EQ(std::string(fits.item.data()), item);
  EXPECT_EQ(fits.kind, 1u);
  EXPECT_EQ(std::string(fits.str.data()), value);

  Unpacked shortByOne(fieldLen - 1);
  EXPECT_EQ(shortByOne.From(buffer.data(), 1), TIZ_E_TOO_SMALL);
  EXPECT_TRUE(shortByOne.AllUntouched());
}

// What is packed reads back the same, empty names and blanks inside and
// after a text included, from threads working on buffers of their own at the
// same time.
TEST(RecordsRoundTrip, PackedSettingsReadBackOnManyThreads) {
  struct Setting {
    std::string group, item;
    bool isDword;
    uint32_t dword;
    std::string text;
  };
  const std::vector<Setting> settings = {
      {"Scan", "Speed", true, 12, ""},
      {"Scan", "Bits", true, 0xFFFFFFFFu, ""},
      {"Job", "Title", false, 0, "Front page"},
      {"Job", "Empty", false, 0, ""},
      {"", "", false, 0, "blanks inside and after  "},
      {"", "Only", true, 0x80000000u, ""},
      {"Long", "Text", false, 0, std::string(1000, 'x') + " " + std::string(1000, 'y')},
  };

  auto work = [&settings](int rounds, bool *ok) {
    *ok = true;
    for (int round = 0; round < rounds && *ok; ++round) {
      std::vector<char> buffer(4096);
      for (const Setting &s : settings) {
        const int32_t r =
            s.isDword
                ? PackDword(buffer.data(), 4096, s.group.c_str(), s.item.c_str(), s.dword)
                : PackText(buffer.data(), 4096, s.group.c_str(), s.item.c_str(), s.text.c_str());
        *ok = *ok && r == TIZ_OK;
      }
      *ok = *ok && UtilAttribute_Count(buffer.data()) == static_cast<int32_t>(settings.size());
      for (size_t n = 0; n < settings.size() && *ok; ++n) {
        const Setting &s = settings[n];
        Unpacked out(2048);
        *ok = out.From(buffer.data(), static_cast<int32_t>(n)) == TIZ_OK &&
              s.group == out.group.data() && s.item == out.item.data() &&
              out.kind == (s.isDword ? 0u : 1u) &&
              (s.isDword ? out.dword == s.dword : s.text == out.str.data());
      }
    }
  };

  constexpr int kThreads = 4;
  bool ok[kThreads] = {};
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) threads.emplace_back(work, 200, &ok[t]);
  for (std::thread &t : threads) t.join();
  for (int t = 0; t < kThreads; ++t) EXPECT_TRUE(ok[t]) << "thread " << t;
}

}  // namespace
