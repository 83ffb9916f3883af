// The profile engine in memory: the INI layout, edits that leave foreign
// text alone, the spelling of awkward names and values, and the spellings of integers and
// structures.
#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <string>
#include <vector>

#include "inspect/DocumentLines.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileFile.h"
#include "persist/ProfileKeys.h"
#include "persist/ProfileLines.h"
#include "persist/ProfileText.h"

namespace {

using tiz::ProfileDocument;
using tiz::inspect::DocumentLines;

// A section's header as the inspection lists it; line 0 when it lists none.
DocumentLines::Header HeaderOf(const ProfileDocument &doc, ProfileDocument::SectionNumber number) {
  DocumentLines::Header found{number, {}, 0, false};
  DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &header) {
    if (header.number == number) found = header;
  });
  return found;
}

std::vector<std::string> SectionNames(const ProfileDocument &doc) {
  std::vector<std::string> names;
  for (size_t i = 0; i < doc.SectionCount(); ++i)
    names.emplace_back(doc.NameOf(doc.ListedSection(i)));
  return names;
}

std::string ValueOf(const ProfileDocument &doc, const char *section, const char *key) {
  std::string value;
  return doc.FindValue(section, key, &value) ? value : "<missing>";
}

TEST(ProfileDocument, ReadsSectionsAndKeysWithoutRegardToCase) {
  ProfileDocument doc(
      "; preamble\n"
      "[First]\r\n"
      "  Size = 4  \r\n"
      "Type=DWORD\n"
      "not a key line\n"
      "[ second ]\n"
      "Value='quoted'\n"
      "[FIRST]\n"
      "Size=99\n");
  EXPECT_EQ(SectionNames(doc), (std::vector<std::string>{"First", "second"}));
  EXPECT_EQ(ValueOf(doc, "first", "SIZE"), "4");
  EXPECT_EQ(ValueOf(doc, "First", "type"), "DWORD");
  EXPECT_EQ(ValueOf(doc, "Second", "Value"), "quoted");
  EXPECT_EQ(ValueOf(doc, "First", "Value"), "<missing>");
  EXPECT_EQ(ValueOf(doc, "Third", "Size"), "<missing>");
  EXPECT_FALSE(doc.Modified());
}

TEST(ProfileDocument, EditsLeaveEveryOtherLineAsItWas) {
  const std::string original =
      "; kept comment\n"
      "[A]\n"
      "Size=1\n"
      "odd line without equals\n"
      "\n"
      "[B]\n"
      "Type=X";
  ProfileDocument doc(original);
  EXPECT_EQ(doc.Render(), original);

  doc.SetValue("a", "SIZE", "2");   // in place, keeping the file's spelling of the key
  doc.SetValue("A", "Value", "v");  // after the section's last non-blank line
  doc.SetValue("C", "Size", "3");   // a new section at the end
  doc.RemoveKey("B", "type");
  doc.RemoveKey("Missing", "Size");
  EXPECT_TRUE(doc.Modified());
  EXPECT_EQ(doc.Render(),
            "; kept comment\n"
            "[A]\n"
            "Size=2\r\n"
            "odd line without equals\n"
            "Value=v\r\n"
            "\n"
            "[B]\n"
            "\r\n"
            "[C]\r\n"
            "Size=3\r\n");
}

TEST(ProfileDocument, AwkwardTextsComeBackUnchangedAndPlainOnesStayPlain) {
  struct Case {
    std::string text;
    bool plain;
  };
  const Case cases[] = {
      {"", true},
      {"plain value", true},
      {"a;b[c]d=e", true},
      {"\"half", true},
      {"x'", true},
      {"caf\xE9 \x81\x5C\x7F", true},
      {" leading", false},
      {"trailing\t", false},
      {"line\nbreak", false},
      {"cr\rlf\r\n", false},
      {"\"quoted\"", false},
      {"'single'", false},
      {"back\\slash \"mid\" \x01", true},
      {"\"", true},
      {"'x\"", true},
      {"\x1A\v", false},
      {"\\n", true},
      {"]", true},
  };
  for (const Case &c : cases) {
    ProfileDocument doc;
    doc.SetValue("S", "Value", c.text);
    // Names may hold ']' as well; a line break cannot be part of a name.
    const bool breaks = c.text.find_first_of("\r\n") != std::string::npos;
    const std::string section = "sec " + (breaks ? std::string("x") : c.text) + "]";
    doc.SetValue(section, "Value", c.text);
    std::string text = doc.Render();
    ProfileDocument again(text);
    EXPECT_EQ(ValueOf(again, "S", "Value"), c.text) << text;
    ASSERT_EQ(again.SectionCount(), 2u) << text;
    EXPECT_EQ(again.NameOf(again.ListedSection(1)), section) << text;
    EXPECT_EQ(ValueOf(again, section.c_str(), "Value"), c.text) << text;
    if (c.plain) {
      EXPECT_NE(text.find("Value=" + c.text + "\r\n"), std::string::npos) << text;
    }
  }
}

// LF, CR LF and a lone CR each end a line; an edit leaves the others' ends
// as they were, and the file's byte order mark stays in front.
TEST(ProfileDocument, EveryKindOfLineEndEndsALineAndStays) {
  const std::string original = "\xEF\xBB\xBF; c\r[A]\rk=1\r\nj=2\n[B]\r\rm=3";
  ProfileDocument doc(original);
  EXPECT_EQ(SectionNames(doc), (std::vector<std::string>{"A", "B"}));
  EXPECT_EQ(ValueOf(doc, "A", "k"), "1");
  EXPECT_EQ(ValueOf(doc, "A", "j"), "2");
  EXPECT_EQ(ValueOf(doc, "B", "m"), "3");
  EXPECT_EQ(HeaderOf(doc, doc.FindSection("B")).line, 5u);
  EXPECT_EQ(doc.Render(), original);
  doc.SetValue("A", "k", "9");
  doc.SetValue("B", "n", "4");
  EXPECT_EQ(doc.Render(), "\xEF\xBB\xBF; c\r[A]\rk=9\r\nj=2\n[B]\r\rm=3\r\nn=4\r\n");
}

TEST(ProfileDocument, PlainSectionNamesAreWrittenAsTheyAre) {
  ProfileDocument doc;
  doc.SetValue("Root\x7F[scan = ;y\x7FSpeed", "Size", "4");
  EXPECT_EQ(doc.Render(), "[Root\x7F[scan = ;y\x7FSpeed]\r\nSize=4\r\n");
}

// A section written whole must give the bytes that adding it key by key
// gives, wherever it lands: after a file's last line with or without its end,
// after another whole section and before one added key by key, with values
// of every spelling.
TEST(ProfileDocument, AWholeSectionIsWrittenAsKeyByKeyEditsWriteIt) {
  using KeyValue = ProfileDocument::KeyValue;
  const std::vector<std::vector<KeyValue>> sections = {
      {{"Size", "4"}, {"Type", "DWORD"}, {"Value", "7"}},
      {{"Size", "9"}, {"Type", "STRING"}, {"Value", " padded "}},
      {{"Size", "5"}, {"Type", "STRING"}, {"Value", "a\r\nb\\"}},
      {{"Size", "3"}, {"Type", "STRING"}, {"Value", "'q'"}},
      {{"Size", "0"}, {"Type", "BUFFER"}},
      {{"Size", "1"}, {"Type", "STRING"}, {"Value", ""}},
  };
  for (const char *before :
       {"", "[Old]\r\nA=1", "; note\n[Old]\nA=1\n\n", "\xEF\xBB\xBF[Old]\r\n"}) {
    ProfileDocument whole{std::string(before)}, byKey{std::string(before)};
    for (size_t i = 0; i < sections.size(); ++i) {
      std::string name = "  Root\x7FGroup" + std::to_string(i) + "\x7FItem ";
      ASSERT_NE(whole.AppendSection(name, sections[i].data(), sections[i].size()),
                ProfileDocument::kNoSection);
      auto number = byKey.FindOrAddSection(name);
      for (const KeyValue &kv : sections[i]) byKey.SetValue(number, kv.key, kv.value);
    }
    // A later section added key by key after the whole ones.
    whole.SetValue("Tail", "K", "v");
    byKey.SetValue("Tail", "K", "v");
    EXPECT_EQ(whole.Render(), byKey.Render()) << "after " << before;
    EXPECT_TRUE(whole.Modified());
    // Written whole, read and edited like any other section.
    EXPECT_EQ(ValueOf(whole, "root\x7Fgroup2\x7Fitem", "Value"), "a\r\nb\\");
    whole.SetValue("Root\x7FGroup0\x7FItem", "Value", "8");
    byKey.SetValue("Root\x7FGroup0\x7FItem", "Value", "8");
    EXPECT_EQ(whole.Render(), byKey.Render()) << "after " << before;
  }
  // A name the file has already, in any case, is left to key by key edits.
  ProfileDocument doc(std::string("[Root\x7FG\x7FI]\r\nSize=4\r\n"));
  KeyValue size{"Size", "8"};
  EXPECT_EQ(doc.AppendSection("ROOT\x7Fg\x7Fi", &size, 1), ProfileDocument::kNoSection);
  EXPECT_FALSE(doc.Modified());
}

// Finding several keys in one pass reads each as FindValue reads it: the
// first line of each key, in any case, escapes decoded under their marker.
TEST(ProfileDocument, SeveralKeysAtOnceReadAsEachAlone) {
  ProfileDocument doc(
      std::string("[S]\r\n"
                  " value = \"x\\ny\"\r\n"
                  "SIZE=4\r\n"
                  "Size=5\r\n"
                  "ValueEscaped=1\r\n"
                  "[T]\r\n"
                  "Type='DWORD'\r\n"));
  const std::string_view keys[3] = {"Size", "Type", "Value"};
  for (const char *section : {"S", "T", "Missing"}) {
    bool found[3];
    std::string_view values[3];
    std::string scratch[3];
    doc.FindValues(doc.FindSection(section), keys, 3, found, values, scratch);
    for (size_t i = 0; i < 3; ++i) {
      std::string alone;
      bool expected = doc.FindValue(section, std::string(keys[i]), &alone);
      EXPECT_EQ(found[i], expected) << section << " " << keys[i];
      if (expected && found[i]) {
        EXPECT_EQ(std::string(values[i]), alone) << section << " " << keys[i];
      }
    }
  }
}

// The value spellings go through a document and back, as a save and a later
// load take them.
std::string ThroughADocument(std::string_view value) {
  ProfileDocument doc;
  doc.SetValue(doc.FindOrAddSection("S"), "K", value);
  return ValueOf(ProfileDocument(doc.Render()), "S", "K");
}

TEST(ProfileKeys, IntegersReadBackUnchanged) {
  for (uint32_t value : {0u, 1u, 4u, 0x7FFFFFFFu, 0x80000000u, 0xFFFFFFFEu, 0xFFFFFFFFu}) {
    char buffer[16];
    const std::string text = ThroughADocument(tiz::FormatProfileInteger(value, buffer));
    uint32_t word = 1;
    EXPECT_EQ(tiz::ParseProfileWord(text, &word), 0) << text;
    EXPECT_EQ(word, value);
  }
}

TEST(ProfileKeys, IntegerSpellings) {
  struct Case {
    const char *text;
    int32_t result;
    uint32_t value;
  };
  const Case cases[] = {
      {"-1", 0, 0xFFFFFFFFu},
      {"+12", 0, 12},
      {"-2147483648", 0, 0x80000000u},
      {" 42 ", 0, 42},
      {"\"17\"", 0, 17},
      {"4294967296", tiz::kProfileNotANumber, 0},
      {"-2147483649", tiz::kProfileNotANumber, 0},
      {"12x", tiz::kProfileNotANumber, 0},
      {"", tiz::kProfileNotANumber, 0},
      {"-", tiz::kProfileNotANumber, 0},
      {"0x10", tiz::kProfileNotANumber, 0},
  };
  for (const Case &c : cases) {
    // As a hand-edited file spells it.
    ProfileDocument doc(std::string("[S]\nK=") + c.text + "\n");
    uint32_t value = 0;
    EXPECT_EQ(tiz::ParseProfileWord(ValueOf(doc, "S", "K"), &value), c.result) << c.text;
    if (c.result == 0) {
      EXPECT_EQ(value, c.value) << c.text;
    }
  }
}

TEST(ProfileKeys, StructureEncodingCarriesAChecksum) {
  const unsigned char bytes[] = {0x01, 0x02, 0xFF};
  std::string room;
  const std::string text = ThroughADocument(tiz::SpellProfileStruct(bytes, 3, &room));
  EXPECT_EQ(text, "0102FF02");

  std::unique_ptr<unsigned char[]> read;
  ASSERT_TRUE(tiz::ParseProfileStruct(text, 3, &read));
  EXPECT_EQ(std::string(reinterpret_cast<char *>(read.get()), 3), "\x01\x02\xFF");
  EXPECT_FALSE(tiz::ParseProfileStruct(text, 2, &read));  // length
  EXPECT_FALSE(tiz::ParseProfileStruct(text, 4, &read));
  for (const char *bad : {"0102FF03", "0102FG02", "0102FF0", ""}) {
    EXPECT_FALSE(tiz::ParseProfileStruct(bad, 3, &read)) << bad;
  }
  EXPECT_TRUE(tiz::ParseProfileStruct("0102ff02", 3, &read));

  // Zero bytes of data spell the checksum alone.
  EXPECT_EQ(tiz::SpellProfileStruct(bytes, 0, &room), "00");
  EXPECT_TRUE(tiz::ParseProfileStruct("00", 0, &read));
  EXPECT_EQ(read, nullptr);
}

// What a tool shows and edits: every header in file order with its line,
// duplicates included, every key line with its line, and removing one
// section, which changes no other byte.
TEST(ProfileDocument, VisitsSectionsAndKeysWithLineNumbersAndRemovesSections) {
  const std::string original =
      "; top\n"
      "[A]\r\n"
      "x = 1\r\n"
      "; note\r\n"
      "no equals\n"
      "=no key\n"
      "\n"
      "[B]\n"
      "y=2\n"
      "[a]\n"
      "z=3";
  ProfileDocument doc(original);
  struct Seen {
    std::string name;
    uint32_t line;
    bool listed;
  };
  auto sections = [&doc] {
    std::vector<Seen> seen;
    DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &entry) {
      seen.push_back({std::string(entry.name), entry.line, entry.listed});
    });
    return seen;
  };
  auto keys = [&doc](ProfileDocument::SectionNumber section) {
    std::vector<std::string> seen;
    const DocumentLines::Header header = HeaderOf(doc, section);
    if (header.line == 0) return seen;
    DocumentLines::ForEachKey(doc, header, [&](const DocumentLines::KeyLine &entry) {
      seen.push_back(std::string(entry.key) + "=" + std::string(entry.value) + "@" +
                     std::to_string(entry.line));
    });
    return seen;
  };
  std::vector<Seen> seen = sections();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].name, "A");
  EXPECT_EQ(seen[0].line, 2u);
  EXPECT_TRUE(seen[0].listed);
  EXPECT_EQ(seen[1].name, "B");
  EXPECT_EQ(seen[1].line, 8u);
  EXPECT_EQ(seen[2].name, "a");
  EXPECT_EQ(seen[2].line, 10u);
  EXPECT_FALSE(seen[2].listed);
  EXPECT_EQ(keys(doc.FindSection("a")), (std::vector<std::string>{"x=1@3"}));
  EXPECT_EQ(keys(seen.size() + 5), std::vector<std::string>{});

  // An edit before a section moves its lines.
  doc.SetValue("A", "w", "0");
  EXPECT_EQ(HeaderOf(doc, doc.FindSection("B")).line, 9u);
  EXPECT_EQ(keys(doc.FindSection("B")), (std::vector<std::string>{"y=2@10"}));

  ProfileDocument removing(original);
  removing.RemoveSection(removing.FindSection("B"));
  EXPECT_EQ(removing.Render(), "; top\n[A]\r\nx = 1\r\n; note\r\nno equals\n=no key\n\n[a]\nz=3");
  // The later "[a]" is reached once the first is gone.
  removing.RemoveSection(removing.FindSection("A"));
  EXPECT_EQ(removing.Render(), "; top\n[a]\nz=3");
  EXPECT_EQ(ValueOf(removing, "A", "z"), "3");
  EXPECT_EQ(SectionNames(removing), std::vector<std::string>{"a"});
  removing.RemoveSection(0);
  removing.RemoveSection(ProfileDocument::kNoSection);
  removing.SetValue("C", "k", "v");
  EXPECT_EQ(removing.Render(), "; top\n[a]\nz=3\r\n\r\n[C]\r\nk=v\r\n");
}

// The section headers of a text as reading it line by line finds them: the
// document looks only at lines that start with '[' after blanks, and must
// find the same headers, brackets inside lines, blanks, NULs and every kind
// of line end included.
TEST(ProfileDocument, FindsTheHeadersThatALineByLineReadingFinds) {
  const std::vector<std::string> pieces = {
      "[", "]", " ", "\t", "\v", "\r\n", "\n", "a", "=", std::string(1, '\0'), "[s]", "x=[y]"};
  std::mt19937 random(2024);
  for (int round = 0; round < 3000; ++round) {
    std::string text;
    const size_t length = random() % 40;
    for (size_t i = 0; i < length; ++i) text += pieces[random() % pieces.size()];
    if (round % 2) text.insert(random() % (text.size() + 1), "\r");  // maybe a lone CR
    SCOPED_TRACE(testing::PrintToString(text));

    std::vector<std::pair<std::string, uint32_t>> expected;
    const bool hasNul = text.find('\0') != std::string::npos;
    tiz::TextLines lines(text, tiz::HoldsLoneCr(text));
    std::string_view line, name;
    tiz::LineEnd end;
    for (uint32_t number = 1; lines.Next(&line, &end); ++number) {
      if (!tiz::ParseHeader(line, &name)) continue;
      if (hasNul) name = name.substr(0, name.find('\0'));
      expected.emplace_back(std::string(name), number);
    }
    ProfileDocument doc{std::string(text)};
    std::vector<std::pair<std::string, uint32_t>> found;
    DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &entry) {
      found.emplace_back(std::string(entry.name), entry.line);
    });
    EXPECT_EQ(found, expected);
    EXPECT_EQ(doc.Render(), text);
  }
}

// A section's keys read in one pass come out alike before and after an edit
// has split the section into lines.
TEST(ProfileDocument, FindsSeveralKeysInAnEditedSection) {
  ProfileDocument doc("[S]\r\nSize=4\r\nType=DWORD\r\nValue='7'\r\n[T]\r\nSize=1\r\n");
  const std::string_view keys[] = {"Size", "Type", "Value"};
  auto read = [&doc, &keys](const char *section) {
    bool found[3];
    std::string_view values[3];
    std::string scratch[3];
    doc.FindValues(doc.FindSection(section), keys, 3, found, values, scratch);
    std::vector<std::string> seen;
    for (size_t i = 0; i < 3; ++i) seen.push_back(found[i] ? std::string(values[i]) : "<missing>");
    return seen;
  };
  EXPECT_EQ(read("S"), (std::vector<std::string>{"4", "DWORD", "7"}));
  doc.SetValue("S", "Type", "STRING");
  doc.SetValue("T", "Type", "DWORD");
  EXPECT_EQ(read("S"), (std::vector<std::string>{"4", "STRING", "7"}));
  EXPECT_EQ(read("T"), (std::vector<std::string>{"1", "DWORD", "<missing>"}));
  doc.RemoveKey("T", "Size");
  doc.RemoveKey("T", "Type");
  EXPECT_EQ(read("T"), (std::vector<std::string>{"<missing>", "<missing>", "<missing>"}));
  EXPECT_EQ(read("nowhere"), (std::vector<std::string>{"<missing>", "<missing>", "<missing>"}));
}

TEST(ProfileDocument, SectionsThatAreNotThereHaveNoHeaderAndCannotBeRemoved) {
  const std::string text = "top\n[A]\nx=1\n[B]\ny=2\n";
  ProfileDocument doc{std::string(text)};
  const ProfileDocument::SectionNumber a = doc.FindSection("A");
  doc.RemoveSection(a);
  const std::string once = doc.Render();
  EXPECT_EQ(once, "top\n[B]\ny=2\n");
  for (ProfileDocument::SectionNumber number :
       {a, ProfileDocument::SectionNumber{0}, 99u, ProfileDocument::kNoSection}) {
    SCOPED_TRACE(number);
    doc.RemoveSection(number);
    EXPECT_EQ(HeaderOf(doc, number).line, 0u);
  }
  EXPECT_EQ(doc.Render(), once);
  std::vector<std::string> listed;
  DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &entry) {
    listed.push_back(std::string(entry.name) + "@" + std::to_string(entry.line));
  });
  EXPECT_EQ(listed, std::vector<std::string>{"B@2"});
}

// A document is handed over in pieces of a bounded size that join to its
// text; a taker that refuses one stops the rest.
TEST(ProfileDocument, RendersInPiecesThatJoinToItsText) {
  std::string text;
  for (int i = 0; i < 3000; ++i)
    text += "[Section" + std::to_string(i) + "]\r\nValue=" + std::string(40, 'v') + "\r\n";
  ProfileDocument doc{std::string(text)};
  doc.SetValue("Section7", "Value", "edited");
  std::string joined;
  size_t pieces = 0;
  EXPECT_TRUE(doc.RenderInPieces([&](std::string_view piece) {
    ++pieces;
    EXPECT_LE(piece.size(), 64u * 1024);
    joined.append(piece);
    return true;
  }));
  EXPECT_EQ(joined, doc.Render());
  EXPECT_GT(pieces, 2u);
  size_t offered = 0;
  EXPECT_FALSE(doc.RenderInPieces([&](std::string_view) { return ++offered < 2; }));
  EXPECT_EQ(offered, 2u);
}

// Only both bytes of a byte order mark, in either order, make a file UTF-16;
// a file that merely starts with one of them is bytes, kept as they are.
TEST(ProfileDocument, OnlyAWholeByteOrderMarkMakesAFileUtf16) {
  using Encoding = ProfileDocument::FileEncoding;
  for (const char *bytes : {"", "\xFF", "\xFE", "\xFFx", "\xFEx", "\xFF\xFF", "x\xFF\xFE"}) {
    SCOPED_TRACE(testing::PrintToString(std::string(bytes)));
    ProfileDocument doc = tiz::ProfileDocumentFromBytes(bytes);
    EXPECT_EQ(doc.Encoding(), Encoding::kBytes);
    EXPECT_EQ(tiz::ProfileFileBytes(doc), bytes);
  }
  for (const auto &[mark, encoding] :
       {std::pair{"\xFF\xFE", Encoding::kUtf16Le}, std::pair{"\xFE\xFF", Encoding::kUtf16Be}}) {
    ProfileDocument doc = tiz::ProfileDocumentFromBytes(mark);
    EXPECT_EQ(doc.Encoding(), encoding);
    EXPECT_TRUE(doc.Writable());
    EXPECT_EQ(doc.Render(), "");
    EXPECT_EQ(tiz::ProfileFileBytes(doc), mark);
  }
}

// Under its marker a double-quoted value has \\, \n and \r decoded; any other
// backslash, and every value that is not double-quoted, reads as written.
TEST(ProfileDocument, EscapedValuesDecodeOnlyTheirOwnEscapes) {
  struct Case {
    const char *spelled;
    std::string read;
  };
  const Case cases[] = {
      {"\"x\\ny\"", "x\ny"},        {"\"x\\ry\"", "x\ry"},  {"\"x\\\\y\"", "x\\y"},
      {"\"a\\tb\"", "a\\tb"},       {"\"end\\\"", "end\\"}, {"plain\\n", "plain\\n"},
      {"'single\\n'", "single\\n"}, {"\"", "\""},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.spelled);
    ProfileDocument doc("[S]\r\nValue=" + std::string(c.spelled) + "\r\nValueEscaped=1\r\n");
    EXPECT_EQ(ValueOf(doc, "S", "Value"), c.read);
  }
  ProfileDocument unmarked("[S]\r\nValue=\"x\\ny\"\r\n");
  EXPECT_EQ(ValueOf(unmarked, "S", "Value"), "x\\ny");
}

// Every spelling reads back as the value written: plain values as they are,
// quoted ones without their quotes, escaped ones decoded.
TEST(ProfileText, EverySpellingReadsBackAsWritten) {
  struct Case {
    std::string value;
    tiz::ValueSpelling spelling;
    std::string spelled;
  };
  const Case cases[] = {
      {"", tiz::ValueSpelling::kPlain, ""},
      {"word", tiz::ValueSpelling::kPlain, "word"},
      {"a\\b", tiz::ValueSpelling::kPlain, "a\\b"},
      {" padded\t", tiz::ValueSpelling::kQuoted, "\" padded\t\""},
      {"'q'", tiz::ValueSpelling::kQuoted, "\"'q'\""},
      {"a\r\nb\\c", tiz::ValueSpelling::kEscaped, "\"a\\r\\nb\\\\c\""},
  };
  for (const Case &c : cases) {
    ASSERT_EQ(tiz::SpellingOf(c.value), c.spelling) << c.value;
    std::string spelled = tiz::SpellValue(c.value, c.spelling);
    EXPECT_EQ(spelled, c.spelled);
    std::string scratch;
    std::string read(c.spelling == tiz::ValueSpelling::kEscaped
                         ? tiz::ReadEscapedProfileValue(spelled, &scratch)
                         : tiz::ReadProfileValue(spelled));
    EXPECT_EQ(read, c.value) << spelled;
  }
}

// A key marked escaped whose text is not an escaped form (another hand wrote
// it) reads as the platform reads it; only "\\", "\n" and "\r" are escapes.
TEST(ProfileText, EscapedReadTakesOnlyItsOwnEscapes) {
  const std::pair<std::string, std::string> cases[] = {
      {"\"a\\nb\"", "a\nb"},
      {"\"a\\qb\"", "a\\qb"},                    // not an escape: kept
      {"\"ab\\\"", "ab\\"},                      // a backslash last: kept
      {"\"\\", "\"\\"},                          // no closing quote
      {"'a\\n'", "a\\n"},                        // single quotes are no escaped form
      {std::string("\"a\\n\0\"", 6), "\"a\\n"},  // cut at the NUL, unclosed
      {std::string("\"\0\\\"", 4), "\""},
  };
  for (const auto &[spelled, value] : cases) {
    std::string scratch;
    EXPECT_EQ(std::string(tiz::ReadEscapedProfileValue(spelled, &scratch)), value) << spelled;
  }
}

// The marker decodes a key's value only when it says "1"; a removed key takes
// its marker with it, so a later plain value of the name is not decoded.
TEST(ProfileDocument, TheEscapeMarkerGoesWithItsKey) {
  ProfileDocument kept(
      std::string("[S]\r\nV=\"x\\ny\"\r\nVEscaped=0\r\nW=\"p\\nq\"\r\n"
                  "WEscaped=1\r\n"));
  EXPECT_EQ(ValueOf(kept, "S", "V"), "x\\ny");
  EXPECT_EQ(ValueOf(kept, "S", "W"), "p\nq");

  ProfileDocument doc;
  doc.SetValue("S", "Text", "two\nlines");
  doc.SetValue("S", "Other", "1");
  EXPECT_EQ(doc.Render(), "[S]\r\nText=\"two\\nlines\"\r\nTextEscaped=12:2E432D54\r\nOther=1\r\n");
  doc.RemoveKey("S", "Text");
  EXPECT_EQ(doc.Render(), "[S]\r\nOther=1\r\n");
  doc.SetValue("S", "Text", "\"a\\nb\"");
  EXPECT_EQ(ValueOf(doc, "S", "Text"), "\"a\\nb\"");
  // A plain key's removal leaves a foreign line of the marker's name alone.
  ProfileDocument foreign(std::string("[S]\r\nK=1\r\nKEscaped=1\r\n"));
  foreign.RemoveKey("S", "K");
  EXPECT_EQ(foreign.Render(), "[S]\r\nKEscaped=1\r\n");
}

// Several keys at once read the same from a section that an edit has split
// into lines as from the file's own text.
TEST(ProfileDocument, SeveralKeysAtOnceReadAlsoAfterAnEdit) {
  ProfileDocument doc(std::string("[S]\r\nSize=4\r\nValue=\"a\\nb\"\r\nValueEscaped=1\r\n"));
  doc.SetValue("S", "Type", "STRING");
  const std::string_view keys[3] = {"Size", "Type", "Value"};
  bool found[3];
  std::string_view values[3];
  std::string scratch[3];
  doc.FindValues(doc.FindSection("S"), keys, 3, found, values, scratch);
  EXPECT_TRUE(found[0] && found[1] && found[2]);
  EXPECT_EQ(values[0], "4");
  EXPECT_EQ(values[1], "STRING");
  EXPECT_EQ(values[2], "a\nb");
}

// A whole section needs a name and at most kMostAppendedKeys keys; blanks of
// every kind before the name are dropped as the platform drops them.
TEST(ProfileDocument, AWholeSectionNeedsANameAndFewKeys) {
  using KeyValue = ProfileDocument::KeyValue;
  ProfileDocument doc;
  const KeyValue keys[ProfileDocument::kMostAppendedKeys + 1] = {
      {"A", "1"}, {"B", "2"}, {"C", "3"}, {"D", "4"}, {"E", "5"}};
  EXPECT_EQ(doc.AppendSection(" \t\x1A ", keys, 1), ProfileDocument::kNoSection);
  EXPECT_EQ(doc.AppendSection("S", keys, ProfileDocument::kMostAppendedKeys + 1),
            ProfileDocument::kNoSection);
  EXPECT_FALSE(doc.Modified());
  EXPECT_NE(doc.AppendSection("\t\x1A\v S", keys, ProfileDocument::kMostAppendedKeys),
            ProfileDocument::kNoSection);
  EXPECT_EQ(doc.Render(), "[S]\r\nA=1\r\nB=2\r\nC=3\r\nD=4\r\n");
  // Edited after it was written whole, it is separated from the next one as
  // any other section is.
  doc.SetValue("S", "E", "5");
  doc.SetValue("T", "K", "v");
  EXPECT_EQ(doc.Render(), "[S]\r\nA=1\r\nB=2\r\nC=3\r\nD=4\r\nE=5\r\n\r\n[T]\r\nK=v\r\n");
  ProfileDocument byKey;
  byKey.SetValue("\x1A\t S", "A", "1");
  EXPECT_EQ(byKey.Render(), "[S]\r\nA=1\r\n");
}

// Removed sections: no header line, not visited, not removed twice, and a
// section added after them follows the last one still there.
TEST(ProfileDocument, RemovedSectionsAreGoneForEveryLaterCall) {
  using KeyValue = ProfileDocument::KeyValue;
  ProfileDocument doc(std::string("[A]\r\nk=1\r\n[B]\r\nk=2\r\n"));
  const KeyValue key{"k", "3"};
  ProfileDocument::SectionNumber c = doc.AppendSection("C", &key, 1);
  ProfileDocument::SectionNumber a = doc.FindOrAddSection("A");  // B expected next
  ProfileDocument::SectionNumber b = doc.FindSection("B");
  doc.RemoveSection(b);
  doc.RemoveSection(c);
  doc.RemoveSection(c);
  doc.RemoveSection(c + 10);
  for (ProfileDocument::SectionNumber n : {b, c, c + 10, ProfileDocument::kNoSection, 0u}) {
    EXPECT_EQ(HeaderOf(doc, n).line, 0u) << n;
  }
  EXPECT_EQ(HeaderOf(doc, a).line, 1u);
  std::vector<std::string> visited;
  DocumentLines::ForEachHeader(
      doc, [&](const DocumentLines::Header &entry) { visited.emplace_back(entry.name); });
  EXPECT_EQ(visited, std::vector<std::string>{"A"});
  doc.SetValue("B", "k", "4");
  EXPECT_EQ(doc.Render(), "[A]\r\nk=1\r\n\r\n[B]\r\nk=4\r\n");
}

// Handed over in pieces, the text is the one Render gives, whatever its
// size and line ends; a refusing taker stops it.
TEST(ProfileDocument, TextInPiecesIsTheWholeText) {
  std::string big = "[Big]\r\n";
  for (int i = 0; big.size() < 200 * 1024; ++i) big += "Key" + std::to_string(i) + "=value\r\n";
  std::vector<ProfileDocument> docs;
  docs.emplace_back(std::string("\xEF\xBB\xBF; c\r[A]\rk=1\r\nj=2\n[B]\r\rm=3"));
  docs.back().SetValue("A", "k", "9");  // split, lone CR ends kept
  docs.back().SetValue("B", "n", "4");  // after a last line without end
  docs.emplace_back(std::string("[A]\nk=1"));
  docs.back().SetValue("A", "j", "2");
  docs.emplace_back(std::string(big));
  docs.back().SetValue("Big", "Key7", "edited");
  docs.emplace_back(std::string());
  for (const ProfileDocument &doc : docs) {
    std::string pieces;
    size_t calls = 0;
    EXPECT_TRUE(doc.RenderInPieces([&](std::string_view piece) {
      pieces.append(piece);
      ++calls;
      return true;
    }));
    EXPECT_EQ(pieces, doc.Render());
    // A refusal at every call in turn stops the whole.
    for (size_t refuse = 0; refuse < calls; ++refuse) {
      size_t call = 0;
      EXPECT_FALSE(doc.RenderInPieces([&](std::string_view) { return call++ != refuse; }));
      EXPECT_EQ(call, refuse + 1);
    }
  }
}

// A file's bytes come back unchanged through a document, UTF-16 in either
// byte order included; a mark alone is no UTF-16 file before its second
// byte, and a UTF-16 file with an odd last byte or a character the code page
// lacks is never written back.
TEST(ProfileFileBytes, EachEncodingComesBackAsItWasRead) {
  using Encoding = ProfileDocument::FileEncoding;
  auto utf16 = [](bool little, const std::string &text) {
    std::string bytes = little ? "\xFF\xFE" : "\xFE\xFF";
    for (char c : text) bytes += little ? std::string{c, '\0'} : std::string{'\0', c};
    return bytes;
  };
  struct Case {
    std::string bytes;
    Encoding encoding;
    bool writable;
  };
  const Case cases[] = {
      {"[S]\r\nk=1\r\n", Encoding::kBytes, true},
      {"\xFF", Encoding::kBytes, true},
      {"\xFF\x41", Encoding::kBytes, true},
      {"\xFE", Encoding::kBytes, true},
      {"\xFE\x41", Encoding::kBytes, true},
      {utf16(true, "[S]\r\nk=1\r\n"), Encoding::kUtf16Le, true},
      {utf16(false, "[S]\r\nk=1\r\n"), Encoding::kUtf16Be, true},
      {utf16(true, "[S]\r\nk=1\r\n") + "x", Encoding::kUtf16Le, false},
      // A character outside the code page, here one of two UTF-16 units.
      {utf16(true, ";") + std::string("\x3D\xD8\x00\xDE", 4), Encoding::kUtf16Le, false},
  };
  for (const Case &c : cases) {
    ProfileDocument doc = tiz::ProfileDocumentFromBytes(c.bytes);
    EXPECT_EQ(doc.Encoding(), c.encoding) << c.bytes;
    EXPECT_EQ(doc.Writable(), c.writable) << c.bytes;
    if (c.writable) {
      EXPECT_EQ(tiz::ProfileFileBytes(doc), c.bytes);
    }
    if (c.bytes.size() > 8) {
      EXPECT_EQ(ValueOf(doc, "S", "k"), "1");
    }
  }
}

// Lines the layout does not expect read as the platform reads them: a
// header without its ']' is no header, a key name ends at a NUL, and no key
// has an empty name.
TEST(ProfileDocument, OddLinesReadAsThePlatformReadsThem) {
  ProfileDocument doc(std::string("[A]\r\n[B\r\nx=1\r\nKey\0junk=v\r\nLone\0x\r\n=e\r\n", 38));
  EXPECT_EQ(SectionNames(doc), std::vector<std::string>{"A"});
  EXPECT_EQ(ValueOf(doc, "A", "x"), "1");
  EXPECT_EQ(ValueOf(doc, "A", "Key"), "v");
  EXPECT_EQ(ValueOf(doc, "A", "Lone"), "<missing>");
  EXPECT_EQ(ValueOf(doc, "B", "x"), "<missing>");
  EXPECT_EQ(ValueOf(doc, "A", ""), "<missing>");  // a line without key name is no key
}

// A line that only looks like the one an edit would write, by its length, is
// rewritten: a key spelled after blanks or before them.
TEST(ProfileDocument, ALineOfTheSameLengthIsNoSameLine) {
  const std::pair<std::string, std::string> cases[] = {
      {" k=12", "123"},
      {"k =1", "12"},
  };
  for (const auto &[line, value] : cases) {
    ProfileDocument doc("[A]\r\n" + line + "\r\n");
    doc.SetValue("A", "k", value);
    EXPECT_TRUE(doc.Modified()) << line;
    EXPECT_EQ(ValueOf(doc, "A", "k"), value) << line;
    EXPECT_EQ(doc.Render(), "[A]\r\nk=" + value + "\r\n") << line;
  }
}

}  // namespace
