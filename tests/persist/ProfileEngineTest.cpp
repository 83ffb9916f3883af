// The fast paths of the profile engine against the plain rules they stand
// for: word-at-a-time name folding, sections kept as text until an edit,
// the section lookup hint, the double text, the split of section names, the
// whole-file read at its reported size, and the settings-line split.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "core/Names.h"
#include "persist/DoubleText.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileNameIndex.h"
#include "persist/ProfileNames.h"
#include "persist/SettingsLine.h"
#include "persist/TreeSections.h"
#include "platform/FileSystem.h"

namespace {

using tiz::ProfileDocument;

char Fold(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

// Every byte value at every place of names up to two words and a half long:
// equal after ASCII folding exactly when the names compare equal, and then
// with equal hashes.
TEST(ProfileEngineNames, FoldingComparesAndHashesEveryByteAtEveryPlace) {
  for (size_t length : {1u, 7u, 8u, 9u, 16u, 20u}) {
    for (size_t at = 0; at < length; ++at) {
      for (int value = 0; value < 256; ++value) {
        std::string name(length, 'q');
        name[at] = static_cast<char>(value);
        std::string other = name;
        other[at] = static_cast<char>(value ^ 0x20);  // the other case of a letter
        bool foldsAlike = Fold(name[at]) == Fold(other[at]);
        ASSERT_EQ(tiz::ProfileNamesEqual(name, other), foldsAlike)
            << length << " " << at << " " << value;
        if (foldsAlike) {
          ASSERT_EQ(tiz::ProfileNameHash(name), tiz::ProfileNameHash(other)) << length << " " << at;
        }
      }
    }
  }
  EXPECT_FALSE(tiz::ProfileNamesEqual("Size", "Sizes"));
  EXPECT_NE(tiz::ProfileNameHash("a"), tiz::ProfileNameHash(std::string("a\0", 2)));
}

// Sections are kept as the file's text until an edit changes them: writing
// the value a line already holds changes nothing, but a line ending in LF
// alone is still rewritten with CR LF, as an edit always was.
// The index finds every name filed, whatever room is made before or between
// the filings (less than it has never shrinks it), and tells apart names
// whose hashes are equal.
TEST(ProfileEngineNames, TheIndexFindsEveryNameFiledWhateverRoomIsMade) {
  std::vector<std::string> names;
  for (int i = 0; i < 300; ++i) names.push_back("Section" + std::to_string(i));
  names.push_back("Twin");  // filed under the hash of the name before it
  auto nameOf = [&names](uint32_t number) { return std::string_view(names[number]); };
  auto hashOf = [&names](size_t number) {
    return tiz::ProfileNameHash(names[number == names.size() - 1 ? number - 1 : number]);
  };
  tiz::ProfileNameIndex index;
  EXPECT_EQ(index.Find("Section0", tiz::ProfileNameHash("Section0"), nameOf),
            tiz::ProfileNameIndex::kNotFound);
  index.Reserve(10);
  for (uint32_t number = 0; number < names.size(); ++number) {
    index.Insert(hashOf(number), number);
    if (number == 100) index.Reserve(5);
    if (number == 200) index.Reserve(1000);
  }
  for (uint32_t number = 0; number < names.size(); ++number) {
    EXPECT_EQ(index.Find(names[number], hashOf(number), nameOf), number) << names[number];
  }
  EXPECT_EQ(index.Find("SECTION7", tiz::ProfileNameHash("SECTION7"), nameOf), 7u);
  EXPECT_EQ(index.Find("Missing", tiz::ProfileNameHash("Missing"), nameOf),
            tiz::ProfileNameIndex::kNotFound);
}

TEST(ProfileEngineDocument, KeptSectionsChangeOnlyWhereAnEditDoes) {
  const std::string original =
      "[A]\r\n"
      "Size=4\r\n"
      "Type=DWORD\n"
      "Value = 7\r\n"
      "\r\n"
      "[B]\r\n"
      "Size=1\r\n"
      "Value=x";
  ProfileDocument doc(original);
  doc.SetValue("A", "Size", "4");
  EXPECT_EQ(doc.Render(), original);
  EXPECT_TRUE(doc.Modified());

  doc.SetValue("a", "TYPE", "DWORD");  // LF only: rewritten
  doc.SetValue("A", "Value", "7");     // blanks around '=': rewritten
  doc.RemoveKey("B", "Size");
  doc.SetValue("B", "Type", "x\ny");
  doc.SetValue("C", "Size", "2");
  EXPECT_EQ(doc.Render(),
            "[A]\r\n"
            "Size=4\r\n"
            "Type=DWORD\r\n"
            "Value=7\r\n"
            "\r\n"
            "[B]\r\n"
            "Value=x\r\n"
            "Type=\"x\\ny\"\r\n"
            "TypeEscaped=6:F6A9A84A\r\n"
            "\r\n"
            "[C]\r\n"
            "Size=2\r\n");
  std::string value;
  ASSERT_TRUE(doc.FindValue("b", "type", &value));
  EXPECT_EQ(value, "x\ny");
}

// Saving the same tree twice visits its sections in file order, which the
// lookup guesses; a later section of the same name must still never be
// taken for the first.
TEST(ProfileEngineDocument, WritesReachTheFirstSectionOfANameInAnyOrder) {
  ProfileDocument doc("[X]\r\nSize=0\r\n[A]\r\nSize=1\r\n[a]\r\nSize=2\r\n[B]\r\nSize=3\r\n");
  for (const char *name : {"X", "A", "A", "a", "B", "A", "X"}) doc.SetValue(name, "Size", name);
  EXPECT_EQ(doc.Render(), "[X]\r\nSize=X\r\n[A]\r\nSize=A\r\n[a]\r\nSize=2\r\n[B]\r\nSize=B\r\n");
  ASSERT_EQ(doc.SectionCount(), 3u);
  EXPECT_EQ(doc.NameOf(doc.ListedSection(1)), "A");
}

TEST(ProfileEngineDocument, ManySectionsAreFoundInAnyCase) {
  std::string text;
  for (int i = 0; i < 20000; ++i)
    text += "[Root\x7FScan.Group.P" + std::to_string(i) +
            "\x7FValue]\r\nSize=" + std::to_string(i) + "\r\n";
  ProfileDocument doc(std::move(text));
  ASSERT_EQ(doc.SectionCount(), 20000u);
  for (int i : {0, 1, 9999, 19999}) {
    std::string value;
    ASSERT_TRUE(
        doc.FindValue("ROOT\x7FSCAN.GROUP.P" + std::to_string(i) + "\x7FVALUE", "size", &value));
    EXPECT_EQ(value, std::to_string(i));
  }
  EXPECT_EQ(doc.FindSection("Root\x7FScan.Group.P20000\x7FValue"), ProfileDocument::kNoSection);
  for (int i = 20000; i < 20100; ++i) doc.SetValue("New" + std::to_string(i), "Size", "1");
  EXPECT_EQ(doc.SectionCount(), 20100u);
  EXPECT_NE(doc.FindSection("new20050"), ProfileDocument::kNoSection);
}

// The "%e" shape with the fewest digits that read back exactly: what printf
// gives at the smallest precision that round-trips.
TEST(ProfileEngineDouble, TextIsTheShortestExactPrintfE) {
  const double values[] = {0.0,
                           -0.0,
                           1.0 / 3,
                           0.25,
                           -1234.5678,
                           9.9999995,
                           123456789.5,
                           0.1,
                           1e300,
                           5e-324,
                           std::numeric_limits<double>::max(),
                           std::numeric_limits<double>::min(),
                           0.1 + 0.2};  // 17 significant digits
  for (double value : values) {
    char expected[64], buffer[tiz::kDoubleTextRoom];
    for (int precision = 0; precision <= 16; ++precision) {
      std::snprintf(expected, sizeof expected, "%.*e", precision, value);
      if (std::strtod(expected, nullptr) == value) break;
    }
    std::string_view text = tiz::FormatDoubleE(value, buffer);
    EXPECT_EQ(text, expected);
    EXPECT_EQ(std::atof(std::string(text).c_str()), value) << text;
    // The way taken where printf would not give the same text.
    EXPECT_EQ(tiz::FormatDoubleEByPrintf(value, buffer), expected);
  }
  char buffer[tiz::kDoubleTextRoom];
  EXPECT_EQ(tiz::FormatDoubleE(123456789.5, buffer), "1.234567895e+08");
  EXPECT_EQ(tiz::FormatDoubleE(0.5, buffer), "5e-01");
  for (double value :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    char expected[64];
    std::snprintf(expected, sizeof expected, "%e", value);
    EXPECT_EQ(tiz::FormatDoubleE(value, buffer), expected);
  }
}

// Names of separators and short parts, every one split both ways.
TEST(ProfileEngineSections, NamesSplitAsTheCoreSplitsThem) {
  const char alphabet[] = {'a', 'B', '\x7F', '\xB3', '.'};
  std::mt19937 random(7);
  for (int round = 0; round < 20000; ++round) {
    std::string name(random() % 24, ' ');
    for (char &c : name) c = alphabet[random() % sizeof alphabet];
    tiz::NameParts parts;
    bool whole = tiz::SplitSectionName(name, &parts);
    std::string owner = tiz::OwnerOfName(name), group = tiz::GroupOfName(name),
                item = tiz::ItemOfName(name);
    ASSERT_EQ(whole, !owner.empty() && !group.empty() && !item.empty()) << name;
    if (!whole) continue;
    ASSERT_EQ(parts.owner, owner) << name;
    ASSERT_EQ(parts.group, group) << name;
    ASSERT_EQ(parts.item, item) << name;
  }
}

// Tokens as runs between '=' and ',', found with the library's search for
// either of two bytes.
tiz::SettingsFields ReferenceSplit(std::string_view line) {
  tiz::SettingsFields fields;
  size_t pos = 0;
  auto next = [&](std::string_view *token) {
    size_t start = line.find_first_not_of("=,", pos);
    if (start == std::string_view::npos) return false;
    size_t end = line.find_first_of("=,", start);
    if (end == std::string_view::npos) end = line.size();
    *token = line.substr(start, end - start);
    pos = end;
    return true;
  };
  std::string_view token;
  if (!next(&token)) return fields;
  fields.field[fields.count++] = token;
  size_t afterGroup = pos + 1;
  if (!next(&token)) return fields;
  if (token.front() == '"') {
    size_t start = line.find_first_not_of('"', afterGroup);
    if (start == std::string_view::npos) start = line.size();
    size_t close = line.find('"', start);
    if (close == std::string_view::npos) close = line.size();
    token = line.substr(start, close - start);
    pos = close == line.size() ? close : close + 1;
  }
  fields.field[fields.count++] = token;
  while (fields.count < tiz::SettingsFields::kMaxFields && next(&token))
    fields.field[fields.count++] = token;
  return fields;
}

TEST(ProfileEngineSettings, LinesSplitAsByASearchForEitherDelimiter) {
  const char alphabet[] = {'a', '=', ',', '"', ' ', '0'};
  std::mt19937 random(11);
  for (int round = 0; round < 50000; ++round) {
    std::string line(random() % 40, ' ');
    for (char &c : line) c = alphabet[random() % sizeof alphabet];
    tiz::SettingsFields got = tiz::SplitSettingsLine(line), expected = ReferenceSplit(line);
    ASSERT_EQ(got.count, expected.count) << line;
    for (size_t i = 0; i < got.count; ++i) {
      ASSERT_EQ(got.field[i], expected.field[i]) << line;
      ASSERT_EQ(got.field[i].data(), expected.field[i].data()) << line;
    }
  }
}

// The size a file reports is a hint for the buffer, never a limit: the
// whole file is read whatever the size query answers.
class ProfileEngineFiles : public testing::Test {
 protected:
  void TearDown() override { tiz::platform::Files() = m_saved; }

  static inline uint64_t m_reported = 0;
  static inline bool m_sizeFails = false;
  tiz_test::ScratchDirectory m_dir;
  tiz::platform::FileSystem m_saved = tiz::platform::Files();
};

TEST_F(ProfileEngineFiles, WholeFilesAreReadWhateverSizeIsReported) {
  using tiz::platform::FileStatus;
  tiz::platform::Files().size = [](tiz::platform::File *, uint64_t *bytes) {
    *bytes = m_reported;
    return m_sizeFails ? FileStatus::kFailed : FileStatus::kOk;
  };
  const auto path = m_dir.Path("data.bin");
  for (size_t length : {0u, 1u, 65535u, 65536u, 200001u}) {
    std::string text(length, '\0');
    for (size_t i = 0; i < length; ++i) text[i] = static_cast<char>('a' + i % 23);
    tiz_test::WriteFileText(path, text);
    for (uint64_t reported : {uint64_t{0}, uint64_t{length / 2}, uint64_t{length},
                              uint64_t{length + 1}, uint64_t{2 * length + 7}}) {
      for (bool fails : {false, true}) {
        m_reported = reported;
        m_sizeFails = fails;
        std::string read = "old";
        ASSERT_EQ(tiz::platform::ReadWholeFile(path.string().c_str(), &read), FileStatus::kOk);
        ASSERT_EQ(read, text) << length << " " << reported << " " << fails;
        ASSERT_EQ(tiz::platform::ReadFilePrefix(path.string().c_str(), 1000, &read),
                  FileStatus::kOk);
        ASSERT_EQ(read, text.substr(0, 1000)) << length << " " << reported << " " << fails;
      }
    }
  }
}

}  // namespace
