// Which leftovers of earlier saves the next save removes, seen through a file
// table that lists made-up names: only "<target>.tmp<id>-<number>" of a
// process that is gone, found in the directory the target's path names.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/FileSystem.h"
#include "platform/TemporaryFiles.h"

namespace {

using tiz::platform::Files;
using tiz::platform::FileStatus;
using tiz::platform::FileSystem;
using tiz::platform::RemoveStaleTemporaries;
using tiz::platform::TemporaryPathOf;

std::vector<std::string> g_listing;
std::vector<std::string> g_listed;
std::vector<std::string> g_removed;

class StaleTemporaries : public testing::Test {
 protected:
  void SetUp() override {
    m_saved = Files();
    g_listed.clear();
    g_removed.clear();
    Files().listDirectory = [](const char *directory, std::vector<std::string> *names) {
      g_listed.push_back(directory);
      *names = g_listing;
      return FileStatus::kOk;
    };
    // Every process but 7 is gone.
    Files().processGone = [](uint32_t id) { return id != 7; };
    Files().remove = [](const char *path) {
      g_removed.push_back(path);
      return FileStatus::kOk;
    };
  }
  void TearDown() override { Files() = m_saved; }

 private:
  FileSystem m_saved;
};

TEST_F(StaleTemporaries, OnlyNamesOfTheTargetFromGoneProcessesGo) {
  g_listing = {"t.tree",
               "t.tree.tmp12-0",
               "t.tree.tmp4294967295-31",
               "t.tree.tmp7-1",           // its process runs
               "t.tree.tmp12",            // no counter
               "t.tree.tmp12-",           // an empty counter
               "t.tree.tmp12-3x",         // not a number
               "t.tree.tmp12-3.",         // nor this
               "t.tree.tmp-3",            // no process id
               "t.tree.tmp4294967296-1",  // beyond any process id
               "t.tree.tmp12x-1",         // not a number either
               "u.tree.tmp12-0",          // another target
               "t.tree.tmp"};
  RemoveStaleTemporaries("dir/t.tree");
  EXPECT_EQ(g_listed, std::vector<std::string>({"dir/"}));
  EXPECT_EQ(g_removed,
            std::vector<std::string>({"dir/t.tree.tmp12-0", "dir/t.tree.tmp4294967295-31"}));
}

TEST_F(StaleTemporaries, APlainNameLivesInTheWorkingDirectory) {
  g_listing = {"t.tree.tmp12-0"};
  RemoveStaleTemporaries("t.tree");
  EXPECT_EQ(g_listed, std::vector<std::string>({"."}));
  EXPECT_EQ(g_removed, std::vector<std::string>({"t.tree.tmp12-0"}));
}

// The target's directory ends where the file system ends it, which lists the
// directory that holds the target's temporary files: on Windows at a drive's
// colon too (its current directory, not its root); elsewhere at a slash only,
// as a backslash is a character of the name there.
TEST_F(StaleTemporaries, TheDirectoryEndsWhereTheFileSystemEndsIt) {
  struct Case {
    const char *target, *listed, *entry, *removed;
  };
#ifdef _WIN32
  const Case cases[] = {
      {"C:t.tree", "C:", "t.tree.tmp12-0", "C:t.tree.tmp12-0"},
      {"dir\\t.tree", "dir\\", "t.tree.tmp12-0", "dir\\t.tree.tmp12-0"},
  };
#else
  const Case cases[] = {
      {"dir\\t.tree", ".", "dir\\t.tree.tmp12-0", "dir\\t.tree.tmp12-0"},
      {"C:t.tree", ".", "C:t.tree.tmp12-0", "C:t.tree.tmp12-0"},
  };
#endif
  for (const Case &c : cases) {
    SCOPED_TRACE(c.target);
    g_listed.clear();
    g_removed.clear();
    g_listing = {c.entry};
    RemoveStaleTemporaries(c.target);
    EXPECT_EQ(g_listed, std::vector<std::string>({c.listed}));
    EXPECT_EQ(g_removed, std::vector<std::string>({c.removed}));
  }
}

// The names a save gives its temporary files are the names found later.
TEST_F(StaleTemporaries, TheNameOfATemporaryFileIsFoundAsALeftover) {
  for (uint32_t processId : {1u, 12u, 4294967295u}) {
    for (unsigned number : {0u, 31u, 4294967295u}) {
      g_removed.clear();
      const std::string made = TemporaryPathOf("dir/t.tree", processId, number);
      g_listing = {made.substr(4)};
      RemoveStaleTemporaries("dir/t.tree");
      EXPECT_EQ(g_removed, std::vector<std::string>({made}));
    }
  }
}

TEST_F(StaleTemporaries, APathWithoutAFileNameHasNone) {
  g_listing = {".tmp12-0"};
  RemoveStaleTemporaries("dir/");
  RemoveStaleTemporaries("");
  EXPECT_TRUE(g_listed.empty());
  EXPECT_TRUE(g_removed.empty());
}

}  // namespace
