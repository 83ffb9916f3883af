// Help and bad usage, for every subcommand.
#include "ToolTest.h"

namespace tiztest {
namespace {

using ToolUsage = ToolTest;

TEST_F(ToolUsage, EverySubcommandHasHelp) {
  for (const char *command :
       {"show", "get", "set", "delete", "diff", "load", "pack", "unpack", "demo"}) {
    ToolRun run = Tiz({command, "--help"});
    EXPECT_EQ(run.status, 0) << command;
    EXPECT_NE(run.out.find("Usage:"), std::string::npos) << command << ": " << run.out;
    EXPECT_NE(run.out.find(command), std::string::npos) << command;
  }
  ToolRun run = Tiz({"--help"});
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.out.find("demo"), std::string::npos);
}

TEST_F(ToolUsage, BadUsageExitsWithTwoAndSaysWhy) {
  const std::vector<std::vector<std::string>> cases = {
      {},
      {"frobnicate"},
      {"show"},
      {"show", "a.tree", "b.tree"},
      {"show", "a.tree", "--yaml"},
      {"get", "a.tree", "Scan"},
      {"set", "a.tree", "Scan", "Speed"},
      {"set", "a.tree", "Scan", "Speed", "1", "--type", "long"},
      {"set", "a.tree", "Scan", "Speed", "abc", "--type", "dword"},
      {"set", "a.tree", "Scan", "Speed", "0x1", "--type", "buffer"},
      {"set", "a.tree", "Scan", "Speed", "", "--type", "buffer"},
      {"delete", "a.tree"},
      {"diff", "a.tree"},
      {"load"},
      {"pack"},
      {"pack", "Scan", "Speed"},
      {"pack", "Scan", "--dword", "Speed", "12", "x"},
      {"pack", "--dword", "Scan", "Speed", "twelve"},
      {"pack", "Scan Area", "Speed", "12"},
      {"unpack", "a.txt", "b.txt"},
      {"demo", "--pages", "0"},
      {"demo", "--pages", "many"},
      {"demo", "--sides", "2"},
  };
  for (const auto &arguments : cases) {
    std::string shown;
    for (const std::string &argument : arguments) shown += argument + " ";
    ToolRun run = Tiz(arguments);
    EXPECT_EQ(run.status, 2) << shown << "\n" << run.err;
    EXPECT_EQ(Lines(run.err).size(), 1u) << shown << "\n" << run.err;
    EXPECT_EQ(run.out, "") << shown;
  }
}

}  // namespace
}  // namespace tiztest
