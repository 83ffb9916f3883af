// tiz load: settings files applied in order to a new store.
#include <nlohmann/json.hpp>

#include "ToolTest.h"

namespace tiztest {
namespace {

class ToolLoad : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    Write("defaults.settings",
          "; scanner defaults\n"
          "Scan.Speed=12,Value\n"
          "Scan.Gamma=2.2,Value,double\n");
    std::filesystem::create_directory(Path("job"));
    Write("job/operator.settings",
          "Scan.Gamma=1.8,Value,double\n"
          "Job=\"Front, left\",Title,string\n");
  }
};

TEST_F(ToolLoad, AppliesTheFilesInOrderAndPrintsTheStore) {
  ToolRun run = Tiz({"load", "defaults.settings", "job/operator.settings"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Root\n"
            "  Scan.Speed  Value  DWORD   12\n"
            "  Scan.Gamma  Value  DOUBLE  1.8\n"
            "  Job         Title  STRING  Front, left\n");
  // Given by absolute path, the file is read from where it is as well.
  ToolRun absolute = Tiz({"load", Path("defaults.settings").string(), "job/operator.settings"});
  EXPECT_EQ(absolute.out, run.out);
}

TEST_F(ToolLoad, SavesTheStoreThatShowThenPrintsTheSame) {
  ToolRun load =
      Tiz({"load", "defaults.settings", "job/operator.settings", "--save", "out.tree", "--json"});
  ASSERT_EQ(load.status, 0) << load.err;
  ToolRun show = Tiz({"show", "--json", "out.tree"});
  ASSERT_EQ(show.status, 0) << show.err;
  EXPECT_EQ(nlohmann::json::parse(load.out), nlohmann::json::parse(show.out));
  EXPECT_EQ(nlohmann::json::parse(show.out)["settings"].size(), 3u);
}

TEST_F(ToolLoad, AnEmptySettingsFileSavesAnEmptyTreeFile) {
  Write("empty.settings", "; nothing\n\n");
  ToolRun run = Tiz({"load", "empty.settings", "--save", "empty.tree"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Root\n  (no settings)\n");
  EXPECT_TRUE(std::filesystem::exists(Path("empty.tree")));
}

TEST_F(ToolLoad, AMissingSettingsFileIsAnErrorAndNothingIsSaved) {
  ToolRun run = Tiz({"load", "defaults.settings", "absent.settings", "--save", "out.tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tiz load: absent.settings: no such file\n");
  EXPECT_FALSE(std::filesystem::exists(Path("out.tree")));
}

TEST_F(ToolLoad, AFailingSettingsLineReportsTheLibrarysResult) {
  // The message names the line and the file the line tried, resolved.
  Write("buffer.settings",
        "; tables\n\nScan.Speed=12,Value\nTable=no-such-file.bin,Bytes,filebuffer,3\n");
  ToolRun run = Tiz({"load", "buffer.settings"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz load: buffer.settings:4: the filebuffer line's file " +
                         Path("no-such-file.bin").string() + " cannot be opened (result -135 (" +
                         "a file could not be opened, read or replaced: a tree file, or the file "
                         "of a settings file's filebuffer line))\n");

  Write("short.settings", "Scan.Speed=12,Value\n\n  Lonely\n");
  run = Tiz({"load", "short.settings"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("tiz load: short.settings:3: the line fails: result -24 (", 0), 0u)
      << run.err;
}

TEST_F(ToolLoad, LinesCountFromAfterAByteOrderMark) {
  Write("marked.settings", "\xEF\xBB\xBF; scanner defaults\nScan.Speed=12,Value\n  Lonely\n");
  ToolRun run = Tiz({"load", "marked.settings"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err.rfind("tiz load: marked.settings:3: the line fails: result -24 (", 0), 0u)
      << run.err;
}

// Lines the library takes without a word but stores otherwise than they say:
// the store is the library's, and each line is named with what it became.
const char *const kSilentLines =
    "Scan.Speed=12,Value\n"
    "Empty=,Title,string\n"
    "Name=hello,Title,String\n"
    "Job=\"Front, left,Title,string\n"
    "Wide=4294967296,Value\n"
    "Gamma=2.2,Value,DOUBLE\n";

TEST_F(ToolLoad, WarnsOfEachLineStoredOtherwiseThanItSays) {
  Write("silent.settings", kSilentLines);
  ToolRun run = Tiz({"load", "silent.settings"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Root\n"
            "  Scan.Speed  Value   DWORD   12\n"
            "  Empty       string  DWORD   0\n"
            "  Name        Title   DWORD   0\n"
            "  Job         Value   DWORD   0\n"
            "  Wide        Value   DWORD   0\n"
            "  Gamma       Value   DOUBLE  2.2\n");
  const std::string number = "; the value \"";
  const std::string noNumber =
      "\" is no number; the load reads what its first characters say, or 0";
  EXPECT_EQ(
      run.err,
      "silent.settings:2: warning: the line stores the DWORD 0 in Empty/string: an empty "
      "field (delimiters in a row count as one, so the fields after it move up a place)" +
          number + "Title" + noNumber +
          "\n"
          "silent.settings:3: warning: the line stores the DWORD 0 in Name/Title: the type "
          "word \"String\" is none the load knows (double in any letter case, string and "
          "filebuffer in lower case), so the line stores a DWORD" +
          number + "hello" + noNumber +
          "\n"
          "silent.settings:4: warning: the line stores the DWORD 0 in Job/Value: the quote before "
          "the value is never closed, so the value runs to the end of the line" +
          number + "Front, left,Title,string" + noNumber +
          "\n"
          "silent.settings:5: warning: the line stores the DWORD 0 in Wide/Value: the value "
          "4294967296 does not fit 32 bits; the load keeps the low 32\n");
}

TEST_F(ToolLoad, SavingIntoAMissingDirectoryFails) {
  ToolRun run = Tiz({"load", "defaults.settings", "--save", "nowhere/out.tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz load: nowhere/out.tree: no such directory\n");
}

}  // namespace
}  // namespace tiztest
