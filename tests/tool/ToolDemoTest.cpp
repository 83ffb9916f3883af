// tiz demo: a scanning job through the library, ending in a tree file.
#include <nlohmann/json.hpp>

#include "ToolTest.h"

namespace tiztest {
namespace {

using ToolDemo = ToolTest;

// The number of stores in a `show --json` tree, the root included.
int CountStores(const nlohmann::json &store) {
  int count = 1;
  for (const auto &setting : store["settings"]) {
    if (setting["value"].is_object()) count += CountStores(setting["value"]);
  }
  return count;
}

TEST_F(ToolDemo, RunsInTheGivenDirectoryAndSavesATreeThatShowReads) {
  for (bool duplex : {false, true}) {
    const std::string directory = duplex ? "duplex" : "simplex";
    std::vector<std::string> arguments = {"demo", "--pages", "2", "--dir", directory};
    if (duplex) arguments.push_back("--duplex");
    ToolRun run = Tiz(arguments);
    ASSERT_EQ(run.status, 0) << run.out << run.err;
    std::vector<std::string> lines = Lines(run.out);
    ASSERT_FALSE(lines.empty());
    const std::string summary = lines.back();
    EXPECT_EQ(summary.rfind(std::string("demo: 2 pages ") + (duplex ? "duplex" : "simplex"), 0), 0u)
        << summary;
    EXPECT_NE(summary.find("all released"), std::string::npos) << summary;
    EXPECT_NE(summary.find(directory + "/scan-job.tree"), std::string::npos) << summary;

    // The live tree comes first, then the saved file loaded back whole, then
    // what check finds in it: nothing, as tiz check reports.
    EXPECT_NE(run.out.find("The global bag before the save:\nRoot\n"), std::string::npos);
    const size_t back = run.out.find("Loaded back from scan-job.tree: ");
    ASSERT_NE(back, std::string::npos) << run.out;
    const std::string counts = run.out.substr(back + 32, run.out.find('\n', back) - back - 32);
    const size_t of = counts.find(" of ");
    ASSERT_NE(of, std::string::npos) << counts;
    EXPECT_EQ(counts.substr(0, of), counts.substr(of + 4, counts.find(' ', of + 4) - of - 4));
    EXPECT_NE(counts.find("settings at their place, the tree as it was saved"), std::string::npos)
        << counts;
    ToolRun check = Tiz({"check", directory + "/scan-job.tree"});
    EXPECT_EQ(check.status, 0) << check.out << check.err;
    EXPECT_NE(run.out.find("tiz check scan-job.tree: no findings"), std::string::npos) << run.out;
    ToolRun show = Tiz({"show", directory + "/scan-job.tree"});
    EXPECT_EQ(show.status, 0) << show.err;
    ToolRun json = Tiz({"show", "--json", directory + "/scan-job.tree"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_GT(CountStores(nlohmann::json::parse(json.out)), 3);
  }
}

TEST_F(ToolDemo, WithoutOptionsRunsInATemporaryDirectoryItRemoves) {
  ToolRun run = Tiz({"demo"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_TRUE(std::filesystem::is_empty(Path("tmp")));
  EXPECT_EQ(Lines(run.out).back().rfind("demo: 2 pages simplex", 0), 0u) << run.out;

  run = Tiz({"demo", "--keep"});
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  int jobs = 0;
  for (const auto &entry : std::filesystem::directory_iterator(Path("tmp"))) {
    EXPECT_EQ(entry.path().filename().string().rfind("tiz-demo-", 0), 0u);
    EXPECT_TRUE(std::filesystem::exists(entry.path() / "scan-job.tree"));
    ++jobs;
  }
  EXPECT_EQ(jobs, 1);
  EXPECT_EQ(Lines(run.out).back().rfind("demo: 2 pages simplex", 0), 0u) << run.out;
}

}  // namespace
}  // namespace tiztest
