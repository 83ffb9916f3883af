// tiz show: the indented tree, its JSON form, and files it cannot show.
#include <nlohmann/json.hpp>

#include "ToolTest.h"

namespace tiztest {
namespace {

class ToolShow : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    MakeJobTree();
  }
};

TEST_F(ToolShow, PrintsEverySettingWithTypeAndDisplayedValue) {
  ToolRun run = Tiz({"show", "job.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Root\n"
            "  Scan.Speed  Value  DWORD   12\n"
            "  Scan.Gamma  Value  DOUBLE  2.5\n"
            "  Job         Title  STRING  Front page\n"
            "  Mask        Value  DWORD   4294967295\n"
            "  Table       Bytes  BUFFER  0102FF\n");
  EXPECT_EQ(run.err, "");
  // The library's display text stays available.
  run = Tiz({"show", "--display", "job.tree"});
  EXPECT_EQ(run.out,
            "Root\n"
            "  Scan.Speed  Value  DWORD   12\n"
            "  Scan.Gamma  Value  DOUBLE  2.500000\n"
            "  Job         Title  STRING  Front page\n"
            "  Mask        Value  DWORD   -1\n"
            "  Table       Bytes  BUFFER  3 bytes\n");
}

TEST_F(ToolShow, JsonHoldsTypedValuesAndSizes) {
  ToolRun run = Tiz({"show", "--json", "job.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json root = nlohmann::json::parse(run.out);
  EXPECT_EQ(root["name"], "Root");
  const nlohmann::json &settings = root["settings"];
  ASSERT_EQ(settings.size(), 5u);
  EXPECT_EQ(settings[0], nlohmann::json::parse(R"({"group": "Scan.Speed", "item": "Value",
                                                   "type": "DWORD", "size": 4, "value": 12})"));
  EXPECT_EQ(settings[1]["value"], 2.5);
  EXPECT_EQ(settings[1]["size"], 8);
  EXPECT_EQ(settings[2]["value"], "Front page");
  EXPECT_EQ(settings[2]["size"], 11);
  EXPECT_EQ(settings[3]["value"], 4294967295u);
  EXPECT_EQ(settings[4]["type"], "BUFFER");
  EXPECT_EQ(settings[4]["value"], "0102FF");
}

TEST_F(ToolShow, NestedStoresAreIndentedBelowTheSettingThatHoldsThem) {
  Write("nested.tree", kNestedTree);
  ToolRun run = Tiz({"show", "nested.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Root\n"
            "  Stage  Deskew  ATTRIBUTESTORE\n"
            "    Deskew  Angle  DWORD           3\n"
            "    Crop    Box    ATTRIBUTESTORE\n"
            "      Crop  Width  DWORD  2480\n"
            "  Job    Title   STRING          Front page\n");

  run = Tiz({"show", "--json", "nested.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  nlohmann::json root = nlohmann::json::parse(run.out);
  const nlohmann::json &deskew = root["settings"][0]["value"];
  EXPECT_EQ(deskew["name"],
            "Root\x7fStage\x7f"
            "Deskew");
  EXPECT_EQ(deskew["settings"][0]["value"], 3);
  EXPECT_EQ(deskew["settings"][1]["value"]["settings"][0],
            nlohmann::json::parse(R"({"group": "Crop", "item": "Width", "type": "DWORD",
                                      "size": 4, "value": 2480})"));
  EXPECT_EQ(root["settings"][1]["value"], "Front page");

  // get prints a nested store as show does, under its path.
  run = Tiz({"get", "nested.tree", "Stage", "Deskew"});
  EXPECT_EQ(run.out,
            "Root/Stage/Deskew\n"
            "  Deskew  Angle  DWORD           3\n"
            "  Crop    Box    ATTRIBUTESTORE\n"
            "    Crop  Width  DWORD  2480\n");
}

TEST_F(ToolShow, ControlBytesInValuesAreEscaped) {
  // A quoted value keeps its backslashes as they stand; the display
  // escapes control bytes and backslashes alike.
  Write("odd.tree",
        "[Root\x7fNote\x7fText]\r\nSize=10\r\nType=STRING\r\nValue=\"a\tb\\nc\\\\\x7f\"\r\n");
  ToolRun run = Tiz({"show", "odd.tree"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Root\n  Note  Text  STRING  a\\tb\\\\nc\\\\\\\\\\x7F\n");
  EXPECT_EQ(nlohmann::json::parse(Tiz({"show", "--json", "odd.tree"}).out)["settings"][0]["value"],
            "a\tb\\nc\\\\\x7f");
}

TEST_F(ToolShow, ReadsATreeFileFromAnyDirectory) {
  std::filesystem::create_directories(Path("sub/deep"));
  Write("sub/deep/nested.tree", kNestedTree);
  for (const std::string &file :
       {std::string("sub/deep/nested.tree"), Path("sub/deep/nested.tree").string()}) {
    ToolRun run = Tiz({"show", file});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(Lines(run.out).size(), 6u) << run.out;
  }
}

TEST_F(ToolShow, EmptyTreeFileShowsAnEmptyStore) {
  Write("empty.tree", "");
  ToolRun run = Tiz({"show", "empty.tree"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "Root\n  (no settings)\n");
  run = Tiz({"show", "--json", "empty.tree"});
  EXPECT_EQ(nlohmann::json::parse(run.out),
            nlohmann::json::parse(R"({"name": "Root", "settings": []})"));
}

TEST_F(ToolShow, MissingOrMalformedFilesFailWithOneLineNamingTheFile) {
  Write("foreign.tree", "[NoSeparatorHere]\nSize=4\nType=DWORD\nValue=1\n");
  Write("notes.txt", "just some text\nwithout any section\n");
  Write("typeless.tree", "[Root\x7fScan\x7fSpeed]\nSize=4\nValue=1\n");
  struct Case {
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {"missing.tree", "missing.tree: no such file"},
      {"foreign.tree",
       "foreign.tree:1: section [NoSeparatorHere] lacks its store, group or item part, so it "
       "belongs to no store (another program's section, or a damaged name); a load answers -180 "
       "for it and loads everything else; the file does not load completely (result -180 ("},
      {"typeless.tree",
       "typeless.tree:1: section [Root/Scan/Speed] has no Type; a load drops the setting; the "
       "file does not load completely (result -182 ("},
      {"notes.txt", "notes.txt: not a tree file"},
      {".", ".: is a directory"},
  };
  for (const Case &c : cases) {
    for (const char *json : {"", "--json"}) {
      std::vector<std::string> arguments = {"show", c.file};
      if (*json) arguments.push_back(json);
      ToolRun run = Tiz(arguments);
      EXPECT_EQ(run.status, 1) << c.file;
      EXPECT_EQ(run.out, "") << c.file;
      ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
      EXPECT_EQ(run.err.rfind("tiz show: " + c.message, 0), 0u) << run.err;
    }
  }
}

}  // namespace
}  // namespace tiztest
