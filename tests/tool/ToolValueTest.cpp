// tiz get, set and delete: one setting at the top of a tree file.
#include <nlohmann/json.hpp>

#include "ToolTest.h"

namespace tiztest {
namespace {

using namespace std::string_literals;

class ToolValue : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    MakeJobTree();
  }

  // The type keyword and exact value of a setting, through show and get.
  std::pair<std::string, std::string> TypeAndValue(const std::string &file,
                                                   const std::string &group,
                                                   const std::string &item) {
    ToolRun get = Tiz({"get", file, group, item});
    EXPECT_EQ(get.status, 0) << get.err;
    ToolRun show = Tiz({"show", "--json", file});
    const nlohmann::json tree = nlohmann::json::parse(show.out);
    for (const auto &setting : tree["settings"]) {
      if (setting["group"] == group && setting["item"] == item) {
        return {setting["type"], get.out};
      }
    }
    return {"absent", get.out};
  }
};

TEST_F(ToolValue, GetPrintsTheExactValueOfEachType) {
  const std::vector<std::vector<std::string>> cases = {
      {"Scan.Speed", "Value", "12\n"},  {"Scan.Gamma", "Value", "2.5\n"},
      {"Job", "Title", "Front page\n"}, {"Mask", "Value", "4294967295\n"},
      {"Table", "Bytes", "0102FF\n"},
  };
  for (const auto &c : cases) {
    ToolRun run = Tiz({"get", "job.tree", c[0], c[1]});
    EXPECT_EQ(run.status, 0) << c[0] << run.err;
    EXPECT_EQ(run.out, c[2]) << c[0];
  }
}

TEST_F(ToolValue, GetOfASettingWithoutAValuePrintsItsType) {
  Write("undefined.tree", "[Root\x7fScan\x7fGamma]\r\nSize=0\r\nType=UNDEFINED\r\n");
  ToolRun run = Tiz({"get", "undefined.tree", "Scan", "Gamma"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "UNDEFINED\n");
}

TEST_F(ToolValue, GetOfAnAbsentSettingFailsWithTheLibrarysResult) {
  ToolRun run = Tiz({"get", "job.tree", "Scan.Speed", "Other"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(run.err, "tiz get: job.tree: reading Scan.Speed/Other failed: result 2 (not found)\n");

  // An empty group or item names no setting: bad usage.
  for (const auto &arguments : {std::vector<std::string>{"get", "job.tree", "", "Value"},
                                std::vector<std::string>{"get", "job.tree", "Job", ""},
                                std::vector<std::string>{"get", "job.tree", "Job/"},
                                std::vector<std::string>{"set", "job.tree", "", "Value", "1"},
                                std::vector<std::string>{"delete", "job.tree", "/Value"}}) {
    run = Tiz(arguments);
    EXPECT_EQ(run.status, 2) << arguments[2];
    EXPECT_NE(run.err.find("names no setting"), std::string::npos) << run.err;
  }
}

TEST_F(ToolValue, SetWritesTheTypeAskedForOrTheFirstThatReadsTheValue) {
  struct Case {
    std::vector<std::string> arguments;
    std::string type;
    std::string value;
  };
  const Case cases[] = {
      {{"N", "Dword", "12"}, "DWORD", "12\n"},
      {{"N", "Hex", "0x1F"}, "DWORD", "31\n"},
      {{"N", "Negative", "-1"}, "DWORD", "4294967295\n"},
      {{"N", "Double", "2.25"}, "DOUBLE", "2.25\n"},
      {{"N", "Text", "Front page"}, "STRING", "Front page\n"},
      {{"N", "Empty", ""}, "STRING", "\n"},
      {{"N", "NumberText", "42", "--type", "string"}, "STRING", "42\n"},
      {{"N", "Real", "3", "--type", "double"}, "DOUBLE", "3\n"},
      {{"N", "Bytes", "00ff10", "--type", "buffer"}, "BUFFER", "00FF10\n"},
  };
  for (const Case &c : cases) {
    std::vector<std::string> arguments = {"set", "--create", "new.tree"};
    arguments.insert(arguments.end(), c.arguments.begin(), c.arguments.end());
    ToolRun run = Tiz(arguments);
    ASSERT_EQ(run.status, 0) << c.arguments[1] << run.err;
    EXPECT_EQ(TypeAndValue("new.tree", "N", c.arguments[1]), std::make_pair(c.type, c.value))
        << c.arguments[1];
  }
}

TEST_F(ToolValue, SetKeepsTheTypeOfAnExistingSettingUnlessAskedOtherwise) {
  EXPECT_EQ(Tiz({"set", "job.tree", "Job", "Title", "12"}).status, 0);
  EXPECT_EQ(TypeAndValue("job.tree", "Job", "Title"), std::make_pair("STRING"s, "12\n"s));

  ToolRun run = Tiz({"set", "job.tree", "Scan.Speed", "Value", "2.5"});
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("not a dword: 2.5"), std::string::npos) << run.err;
  EXPECT_EQ(TypeAndValue("job.tree", "Scan.Speed", "Value"), std::make_pair("DWORD"s, "12\n"s));

  EXPECT_EQ(Tiz({"set", "job.tree", "Scan.Speed", "Value", "2.5", "--type", "double"}).status, 0);
  EXPECT_EQ(TypeAndValue("job.tree", "Scan.Speed", "Value"), std::make_pair("DOUBLE"s, "2.5\n"s));
  // The other settings are untouched by the rewrite.
  EXPECT_EQ(TypeAndValue("job.tree", "Table", "Bytes"), std::make_pair("BUFFER"s, "0102FF\n"s));
}

TEST_F(ToolValue, SetRefusesToOverwriteANestedStore) {
  Write("nested.tree", kNestedTree);
  ToolRun run = Tiz({"set", "nested.tree", "Stage", "Deskew", "1", "--type", "dword"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz set: nested.tree: Stage/Deskew holds a nested store; delete it first\n");
  EXPECT_EQ(Read("nested.tree"), kNestedTree);
}

TEST_F(ToolValue, DeleteRemovesTheSettingFromTheFileItself) {
  ToolRun run = Tiz({"delete", "job.tree", "Scan.Gamma", "Value"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  // The file is written anew, not over the old one, which would keep the
  // deleted setting's section.
  EXPECT_EQ(Read("job.tree").find("Scan.Gamma"), std::string::npos) << Read("job.tree");
  EXPECT_EQ(Tiz({"get", "job.tree", "Scan.Gamma", "Value"}).status, 1);
  EXPECT_EQ(Tiz({"get", "job.tree", "Scan.Speed", "Value"}).out, "12\n");

  run = Tiz({"delete", "job.tree", "Scan.Gamma", "Value"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err,
            "tiz delete: job.tree: deleting Scan.Gamma/Value failed: result 2 (not found)\n");

  // Only the tree file is left in the directory: no scratch files.
  for (const auto &entry : std::filesystem::directory_iterator(Path(""))) {
    EXPECT_EQ(entry.path().filename().string().find(".tiz-new"), std::string::npos);
  }
}

TEST_F(ToolValue, AFileNameTheLibraryWouldCutIsReadAndWrittenWhole) {
  // The library keeps only what follows the last '\\' of a tree file's name.
  const std::string file = "job\\copy.tree";
  ASSERT_EQ(Tiz({"set", "--create", file, "Scan.Speed", "Value", "7"}).status, 0);
  ASSERT_EQ(Tiz({"set", file, "Job", "Title", "Front page"}).status, 0);
  EXPECT_EQ(Tiz({"get", file, "Scan.Speed", "Value"}).out, "7\n");
  EXPECT_EQ(Tiz({"show", file}).out,
            "Root\n"
            "  Scan.Speed  Value  DWORD   7\n"
            "  Job         Title  STRING  Front page\n");
  EXPECT_FALSE(std::filesystem::exists(Path("copy.tree")));
}

TEST_F(ToolValue, MissingAndMalformedFilesFail) {
  Write("foreign.tree", "[NoSeparatorHere]\nSize=4\nType=DWORD\nValue=1\n");
  for (const std::string file : {"missing.tree", "foreign.tree"}) {
    for (const std::vector<std::string> &arguments :
         {std::vector<std::string>{"get", file, "Scan", "Speed"},
          std::vector<std::string>{"delete", file, "Scan", "Speed"},
          std::vector<std::string>{"set", file, "Scan", "Speed", "1"}}) {
      ToolRun run = Tiz(arguments);
      EXPECT_EQ(run.status, 1) << arguments[0] << " " << file;
      ASSERT_EQ(Lines(run.err).size(), 1u) << run.err;
      EXPECT_EQ(run.err.rfind("tiz " + arguments[0] + ": " + file + ":", 0), 0u) << run.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(Path("missing.tree")));
  // A malformed file is left as it was.
  EXPECT_EQ(Read("foreign.tree"), "[NoSeparatorHere]\nSize=4\nType=DWORD\nValue=1\n");
}

}  // namespace
}  // namespace tiztest
