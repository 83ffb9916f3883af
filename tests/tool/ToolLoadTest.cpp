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

TEST_F(ToolLoad, SavingIntoAMissingDirectoryFails) {
  ToolRun run = Tiz({"load", "defaults.settings", "--save", "nowhere/out.tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz load: nowhere/out.tree: no such directory\n");
}

}  // namespace
}  // namespace tiztest
