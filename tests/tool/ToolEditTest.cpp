// set, delete, check and compact on files as people keep them: comments,
// unknown keys, LF line ends, a byte order mark, nested stores, leftovers.
#include "ToolTest.h"

namespace tiztest {
namespace {

using ToolEdit = ToolTest;

const std::string kBom = "\xEF\xBB\xBF";
const std::string kHandEdited = kBom +
                                "; scanner settings, edited by hand\n"
                                "[Root\x7fScan.Speed\x7fValue]\n"
                                "Size=4\n"
                                "Type=DWORD\n"
                                "Value=12\n"
                                "Owner=support ; unknown key\n"
                                "\n"
                                "; the job title\n"
                                "[Root\x7fJob\x7fTitle]\n"
                                "Size=11\n"
                                "Type=STRING\n"
                                "Value=Front page\n";

// The file's text with one part replaced, which must be there.
std::string Replaced(std::string text, const std::string &from, const std::string &to) {
  size_t at = text.find(from);
  EXPECT_NE(at, std::string::npos) << from;
  if (at != std::string::npos) text.replace(at, from.size(), to);
  return text;
}

TEST_F(ToolEdit, SetChangesOnlyTheSettingsSection) {
  Write("hand.tree", kHandEdited);
  ToolRun run = Tiz({"set", "hand.tree", "Scan.Speed", "Value", "15"});
  ASSERT_EQ(run.status, 0) << run.err;
  std::string after = Read("hand.tree");
  // Everything before the section's body and after its Value line is as it was.
  const std::string head =
      kBom + "; scanner settings, edited by hand\n[Root\x7fScan.Speed\x7fValue]\n";
  const std::string tail =
      "Owner=support ; unknown key\n\n; the job title\n[Root\x7fJob\x7fTitle]\n"
      "Size=11\nType=STRING\nValue=Front page\n";
  EXPECT_EQ(after.rfind(head, 0), 0u) << after;
  ASSERT_GE(after.size(), tail.size());
  EXPECT_EQ(after.substr(after.size() - tail.size()), tail) << after;
  EXPECT_NE(after.find("Value=15"), std::string::npos) << after;
  EXPECT_EQ(Tiz({"get", "hand.tree", "Scan.Speed/Value"}).out, "15\n");

  // A new setting adds a section at the end and changes nothing before it.
  ASSERT_EQ(Tiz({"set", "hand.tree", "Scan.Gamma", "Value", "2.5"}).status, 0);
  std::string added = Read("hand.tree");
  EXPECT_EQ(added.rfind(after, 0), 0u) << added;
  EXPECT_NE(added.find("[Root\x7fScan.Gamma\x7fValue]"), std::string::npos) << added;
}

TEST_F(ToolEdit, DeleteRemovesExactlyTheSettingsSections) {
  Write("hand.tree", kHandEdited);
  ToolRun run = Tiz({"delete", "hand.tree", "Job", "Title"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Read("hand.tree"), Replaced(kHandEdited,
                                        "[Root\x7fJob\x7fTitle]\nSize=11\nType=STRING\n"
                                        "Value=Front page\n",
                                        ""));

  // A nested store goes with the sections of everything below it; a
  // repeated section of the setting goes too, which a load would read next.
  Write("nested.tree", std::string(kNestedTree) +
                           "[Root\x7fStage\x7f"
                           "Deskew]\r\nSize=4\r\n");
  run = Tiz({"delete", "nested.tree", "Stage/Deskew"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Read("nested.tree"),
            "[Root\x7fJob\x7fTitle]\r\nSize=11\r\nType=STRING\r\nValue=Front page\r\n");
}

TEST_F(ToolEdit, NestedPathsReachSettingsOfNestedStores) {
  Write("nested.tree", kNestedTree);
  EXPECT_EQ(Tiz({"get", "nested.tree", "Stage/Deskew/Crop/Box/Crop/Width"}).out, "2480\n");
  ASSERT_EQ(Tiz({"set", "nested.tree", "Stage/Deskew/Crop/Box/Crop/Width", "2000"}).status, 0);
  EXPECT_EQ(Read("nested.tree"), Replaced(kNestedTree, "Value=2480", "Value=2000"));
  ASSERT_EQ(Tiz({"delete", "nested.tree", "Stage/Deskew/Deskew/Angle"}).status, 0);
  EXPECT_EQ(Read("nested.tree"), Replaced(Replaced(kNestedTree, "Value=2480", "Value=2000"),
                                          "[Root\x7fStage\x7f"
                                          "Deskew\x7f"
                                          "Deskew\x7f"
                                          "Angle]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n\r\n",
                                          ""));
  // diff prints the paths that get takes.
  Write("before.tree", kNestedTree);
  ToolRun diff = Tiz({"diff", "before.tree", "nested.tree"});
  EXPECT_EQ(diff.out,
            "- Stage/Deskew/Deskew/Angle: DWORD 3\n"
            "~ Stage/Deskew/Crop/Box/Crop/Width: DWORD 2480 -> DWORD 2000\n");

  ToolRun run = Tiz({"get", "nested.tree", "Job/Title/Crop/Width"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz get: nested.tree: Job/Title holds no nested store\n");
  EXPECT_EQ(Tiz({"get", "nested.tree", "Stage/Deskew/Crop"}).status, 2);
}

TEST_F(ToolEdit, AFileSavedFromANestedStoreIsShownAndEditedUnderItsName) {
  const std::string saved =
      "[Root\x7fPage.1\x7f"
      "Attribute.Value\x7fScan.Page\x7f"
      "Attribute.Value]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n\r\n"
      "[Root\x7fPage.1\x7f"
      "Attribute.Value\x7fScan.Side\x7f"
      "Attribute.Value]\r\nSize=6\r\nType=STRING\r\nValue=front\r\n";
  Write("page.tree", saved);
  ToolRun run = Tiz({"show", "page.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Root/Page.1/Attribute.Value\n"
            "  Scan.Page  Attribute.Value  DWORD   1\n"
            "  Scan.Side  Attribute.Value  STRING  front\n");
  ASSERT_EQ(Tiz({"set", "page.tree", "Scan.Page", "Attribute.Value", "2"}).status, 0);
  EXPECT_EQ(Read("page.tree"), Replaced(saved, "Value=1", "Value=2"));
  ASSERT_EQ(Tiz({"delete", "page.tree", "Scan.Side", "Attribute.Value"}).status, 0);
  EXPECT_EQ(Tiz({"show", "page.tree"}).out,
            "Root/Page.1/Attribute.Value\n  Scan.Page  Attribute.Value  DWORD  2\n");
  EXPECT_EQ(Tiz({"check", "page.tree"}).status, 0);
}

TEST_F(ToolEdit, AFileThatDoesNotLoadCompletelyIsNeverWritten) {
  const std::string broken =
      "[Root\x7fScan\x7fSpeed]\nSize=4\nType=DWORD\nValue=12\n"
      "[Root\x7fScan\x7fTable]\nSize=3\nType=BUFFER\nValue=0102\n";
  Write("broken.tree", broken);
  for (const auto &arguments : {std::vector<std::string>{"set", "broken.tree", "A", "B", "1"},
                                std::vector<std::string>{"delete", "broken.tree", "Scan/Speed"}}) {
    ToolRun run = Tiz(arguments);
    EXPECT_EQ(run.status, 1) << arguments[0];
    EXPECT_EQ(run.err, "tiz " + arguments[0] +
                           ": broken.tree:8: section [Root/Scan/Table] has a buffer Value that "
                           "does not match its Size or its checksum; a load drops the setting; "
                           "the file does not load completely (result -181 (a buffer value in "
                           "the tree file is missing, does not match its Size, or has a wrong "
                           "checksum))\n");
    EXPECT_EQ(Read("broken.tree"), broken);
  }
  ToolRun run = Tiz({"set", "absent.tree", "A", "B", "1"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz set: absent.tree: no such file (give --create to start a new one)\n");
  EXPECT_FALSE(std::filesystem::exists(Path("absent.tree")));
}

// Another program's section is no part of the tree: the stores around it,
// nested ones included, show and edit as they are, the section stays byte
// for byte, and check lists it.
TEST_F(ToolEdit, AnotherProgramsSectionIsKeptAndTheTreeAroundItEdited) {
  const std::string file =
      "[Options]\r\nlanguage = de\r\n\r\n"
      "[Root\x7fPass\x7f"
      "Count]\r\nSize=4\r\nType=ATTRIBUTESTORE\r\n\r\n"
      "[Root\x7fPass\x7f"
      "Count\x7f"
      "Dpi\x7fValue]\r\nSize=4\r\nType=DWORD\r\nValue=300\r\n\r\n"
      "[Root\x7fScan\x7fSpeed]\r\nSize=4\r\nType=DWORD\r\nValue=12\r\n";
  Write("mixed.tree", file);
  ToolRun show = Tiz({"show", "mixed.tree"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_NE(show.out.find("300"), std::string::npos) << show.out;
  ASSERT_EQ(Tiz({"set", "mixed.tree", "Pass/Count/Dpi/Value", "600"}).status, 0);
  EXPECT_EQ(Read("mixed.tree"), Replaced(file, "Value=300", "Value=600"));
  ASSERT_EQ(Tiz({"delete", "mixed.tree", "Scan/Speed"}).status, 0);
  std::string kept = Read("mixed.tree");
  EXPECT_EQ(kept.rfind("[Options]\r\nlanguage = de\r\n\r\n", 0), 0u) << kept;
  EXPECT_EQ(kept.find("Speed"), std::string::npos) << kept;
  ToolRun check = Tiz({"check", "mixed.tree"});
  EXPECT_EQ(check.status, 1);
  EXPECT_NE(check.out.find("[Options] lacks its store, group or item part"), std::string::npos)
      << check.out;
}

const std::string kLeftovers =
    "[Root\x7fStage\x7f"
    "Deskew]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n\r\n"  // once a store
    "[Root\x7fStage\x7f"
    "Deskew\x7f"
    "Deskew\x7f"
    "Angle]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n\r\n"
    "[Root\x7fJob\x7fTitle]\r\nSize=4\r\nType=ATTRIBUTESTORE\r\nValue=Front page\r\n\r\n"
    "[Root\x7fScan\x7fGamma]\r\nSize=8\r\nType=double\r\nValue=2.5\r\n\r\n"
    "[Root\x7fScan\x7fName]\r\nSize=9\r\nType=STRING\r\nValue=abc\r\nValue=def\r\n";

TEST_F(ToolEdit, CheckNamesEveryLeftoverWithItsLine) {
  Write("left.tree", kLeftovers);
  ToolRun run = Tiz({"check", "left.tree"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "left.tree:6: section [Root/Stage/Deskew/Deskew/Angle] belongs to no store a load "
            "reaches from [Root]; a load leaves it out\n"
            "left.tree:14: section [Root/Job/Title] of type ATTRIBUTESTORE holds a Value, left "
            "from a save under another type; a load ignores it\n"
            "left.tree:18: section [Root/Scan/Gamma] has Type double, which is no type keyword "
            "(they are upper case); a load restores a setting without a value\n"
            "left.tree:19: section [Root/Scan/Gamma] of type UNDEFINED holds a Value, left from "
            "a save under another type; a load ignores it\n"
            "left.tree:22: section [Root/Scan/Name] has Size 9 for a text of 3 bytes; a load "
            "restores Size 4\n"
            "left.tree:25: key Value in [Root/Scan/Name] repeats line 24; a load reads only "
            "that one\n");
  Write("clean.tree", kNestedTree);
  run = Tiz({"check", "clean.tree"});
  EXPECT_EQ(run.status, 0) << run.out;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(Tiz({"check", "absent.tree"}).status, 2);
}

TEST_F(ToolEdit, CompactKeepsExactlyWhatALoadRestores) {
  Write("left.tree", kLeftovers);
  ToolRun before = Tiz({"show", "--json", "left.tree"});
  ASSERT_EQ(before.status, 0) << before.err;
  ToolRun run = Tiz({"compact", "left.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(Read("left.tree.bak"), kLeftovers);
  EXPECT_EQ(Tiz({"show", "--json", "left.tree"}).out, before.out);
  EXPECT_EQ(Tiz({"check", "left.tree"}).out, "");

  Write("other.tree", kLeftovers);
  ASSERT_EQ(Tiz({"compact", "--no-backup", "other.tree"}).status, 0);
  EXPECT_FALSE(std::filesystem::exists(Path("other.tree.bak")));
  EXPECT_EQ(Read("other.tree"), Read("left.tree"));
}

TEST_F(ToolEdit, CompactLeavesAFileThatNeedsNoChangeAlone) {
  MakeJobTree();
  const std::string saved = Read("job.tree");
  // As the library wrote it, and the same behind a byte order mark.
  Write("marked.tree", "\xEF\xBB\xBF" + saved);
  for (const std::string file : {"job.tree", "marked.tree"}) {
    const std::string before = Read(file);
    ToolRun run = Tiz({"compact", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Read(file), before) << file;
    EXPECT_FALSE(std::filesystem::exists(Path(file + ".bak"))) << file;
  }
  // A comment is no part of what a load restores: the file is rewritten,
  // keeping its mark, and the old one is the backup.
  const std::string commented = "\xEF\xBB\xBF; from the scanner\r\n" + saved;
  Write("commented.tree", commented);
  ASSERT_EQ(Tiz({"compact", "commented.tree"}).status, 0);
  EXPECT_EQ(Read("commented.tree"), "\xEF\xBB\xBF" + saved);
  EXPECT_EQ(Read("commented.tree.bak"), commented);
}

TEST_F(ToolEdit, CheckNamesSectionsThatDifferOnlyInLetterCase) {
  Write("cases.tree",
        "[Root\x7fScan\x7fSpeed]\r\nSize=4\r\nType=DWORD\r\nValue=12\r\n\r\n"
        "[Root\x7fscan\x7fspeed]\r\nSize=4\r\nType=DWORD\r\nValue=15\r\n");
  ToolRun run = Tiz({"check", "cases.tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out,
            "cases.tree:6: section [Root/scan/speed] is the section [Root/Scan/Speed] of line 1 in "
            "other letter case (section names ignore case, so settings named so share one "
            "section); a load reads only that one\n");
}

// What check names comes from the library's reader as it loads, and from a
// save of what it restored: the key at fault and its line, a failing section
// whose store goes with it, a header of no name, what a value reads as. A
// hexadecimal number is none the reader takes.
TEST_F(ToolEdit, CheckNamesWhatTheReaderReportsAndWhatALoadRestores) {
  struct Case {
    std::string text;
    std::string out;
  };
  const Case cases[] = {
      {"[Root\x7f"
       "A\x7f"
       "B]\nSize=4\nType=DWORD\nValue=0x10\n",
       "t.tree:4: section [Root/A/B] has a Value that is no 32-bit number; a load drops the "
       "setting\n"
       "t.tree: a load fails with result -24 (invalid argument (such as an empty group), a number "
       "in a tree file that cannot be read, or a settings line without a value or with a bad byte "
       "count)\n"},
      {"[Root\x7fS\x7fT]\nSize=4\nType=ATTRIBUTESTORE\n"
       "[Root\x7fS\x7fT\x7f"
       "B\x7f"
       "C]\nSize=4\nType=DWORD\nValue=1\n"
       "[Root\x7fS\x7fT\x7f"
       "B\x7f"
       "D]\nSize=4\nValue=1\n",
       "t.tree:4: section [Root/S/T/B/C] belongs to no store a load reaches from [Root]; a load "
       "leaves it out\n"
       "t.tree:8: section [Root/S/T/B/D] has no Type; a load drops the setting\n"
       "t.tree: a load fails with result -182 (a section in the tree file has no Type)\n"},
      {"[]\nx=1\n[Root\x7f"
       "A\x7f"
       "B]\nSize=8\nType=DOUBLE\nValue=2.5x\n",
       "t.tree:1: section [] has no name, which the Win32 profile functions ignore; a load leaves "
       "it and its keys out\n"
       "t.tree:6: section [Root/A/B] has the Value 2.5x, which is no number; a load restores "
       "2.5\n"},
  };
  for (const Case &c : cases) {
    Write("t.tree", c.text);
    ToolRun run = Tiz({"check", "t.tree"});
    EXPECT_EQ(run.status, 1) << c.text;
    EXPECT_EQ(run.out, c.out) << c.text;
  }
}

TEST_F(ToolEdit, CheckOfAFileWithoutSectionsReadsItAsASettingsFile) {
  struct Case {
    std::string text;
    int status;
    std::string out;
  };
  const Case cases[] = {
      {std::string("\x8f\x02\x00zq\n\x91=", 7), 1,
       "other: not a tree file (no section header)\n"
       "other:1: the line holds control bytes, which neither a tree file nor a settings file "
       "holds\n"},
      {"; defaults\nScan.Speed=12,Value\nName=hello,Title,String\n  Lonely\nLater=1,Value\n", 1,
       "other: not a tree file (no section header); as a settings file:\n"
       "other:3: the line stores the DWORD 0 in Name/Title: the type word \"String\" is none "
       "the load knows (double in any letter case, string and filebuffer in lower case), so the "
       "line stores a DWORD; the value \"hello\" is no number; the load reads what its first "
       "characters say, or 0\n"
       "other:4: the line fails with result -24 (invalid argument (such as an empty group), a "
       "number in a tree file that cannot be read, or a settings line without a value or with a "
       "bad byte count); a load of the settings file stops there\n"},
      {"; defaults\nScan.Speed=12,Value\nGamma=2.2,Value,double\n", 0,
       "other: not a tree file (no section header); a settings file that loads as its lines "
       "say\n"},
      {"\xEF\xBB\xBF\r\n\n", 0, ""},  // an empty tree file
  };
  for (const Case &c : cases) {
    Write("other", c.text);
    ToolRun run = Tiz({"check", "other"});
    EXPECT_EQ(run.status, c.status) << c.text;
    EXPECT_EQ(run.out, c.out) << c.text;
  }
}

TEST_F(ToolEdit, ValuesRenderAlikeEverywhere) {
  Write("values.tree",
        "[Root\x7f"
        "A\x7fMinus]\r\nSize=4\r\nType=DWORD\r\nValue=-5\r\n"
        "[Root\x7f"
        "A\x7fNaN]\r\nSize=8\r\nType=DOUBLE\r\nValue=nan\r\n"
        "[Root\x7f"
        "A\x7fInf]\r\nSize=8\r\nType=DOUBLE\r\nValue=-inf\r\n"
        "[Root\x7f"
        "A\x7f"
        "\xE9t\xE9]\r\nSize=4\r\nType=STRING\r\nValue=caf\xE9\r\n");
  ToolRun show = Tiz({"show", "values.tree"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(show.out,
            "Root\n"
            "  A  Minus  DWORD   4294967291\n"
            "  A  NaN    DOUBLE  nan\n"
            "  A  Inf    DOUBLE  -inf\n"
            "  A  \xC3\xA9t\xC3\xA9    STRING  caf\xC3\xA9\n");
  EXPECT_EQ(Tiz({"get", "values.tree", "A", "Minus"}).out, "4294967291\n");
  EXPECT_EQ(Tiz({"get", "values.tree", "A/\xC3\xA9t\xC3\xA9"}).out, "caf\xC3\xA9\n");
  ToolRun json = Tiz({"show", "--json", "values.tree"});
  EXPECT_NE(json.out.find("\"value\": 4294967291"), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"value\": \"nan\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"value\": \"-inf\""), std::string::npos) << json.out;
  EXPECT_NE(json.out.find("\"item\": \"\xC3\xA9t\xC3\xA9\""), std::string::npos) << json.out;

  // A UTF-8 argument is stored in the code page.
  ASSERT_EQ(Tiz({"set", "values.tree", "A/\xC3\xA9t\xC3\xA9", "d\xC3\xA9j\xC3\xA0"}).status, 0);
  EXPECT_NE(Read("values.tree").find("Value=d\xE9j\xE0\r\n"), std::string::npos);
}

TEST_F(ToolEdit, UnpackOfADirectorySaysSo) {
  std::filesystem::create_directory(Path("records"));
  ToolRun run = Tiz({"unpack", "records"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz unpack: records: is a directory\n");
}

TEST_F(ToolEdit, UsageDetails) {
  ToolRun run = Tiz({"--version"});
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out.rfind("tiz ", 0), 0u) << run.out;
  ASSERT_EQ(Tiz({"set", "--create", "t.tree", "A", "B", "5", "--type", "DOUBLE"}).status, 0);
  EXPECT_EQ(Tiz({"show", "t.tree"}).out, "Root\n  A  B  DOUBLE  5\n");
}

}  // namespace
}  // namespace tiztest
