// The file helpers on top of the platform's file table: a replace whose
// contents come piece by piece stops writing at the first failure, whatever
// its producer does then, and leaves no temporary file; and the platform's
// rule of which names start at the root.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "platform/FileSystem.h"
#include "platform/PathRules.h"

namespace {

using tiz::platform::Files;
using tiz::platform::FileStatus;
using tiz::platform::FileSystem;
using tiz::platform::ReplaceFileAtomically;

int g_writes = 0;

TEST(FileTable, APieceAfterAFailedWriteIsNeverWritten) {
  tiz_test::ScratchDirectory scratch;
  const std::string target = scratch.Path("t.tree").string();
  tiz_test::WriteFileText(target, "old");
  const FileSystem saved = Files();
  g_writes = 0;
  Files().write = [](tiz::platform::File *, const void *, size_t) {
    ++g_writes;
    return FileStatus::kFailed;
  };
  std::vector<bool> answers;
  // A producer that ignores the writer's false and goes on.
  const FileStatus status = ReplaceFileAtomically(target.c_str(), [&](const auto &write) {
    for (const char *piece : {"a", "b", "c"}) answers.push_back(write(piece));
  });
  Files() = saved;
  EXPECT_EQ(status, FileStatus::kFailed);
  EXPECT_EQ(g_writes, 1);
  EXPECT_EQ(answers, std::vector<bool>({false, false, false}));
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>({"t.tree"}));
  EXPECT_EQ(tiz_test::ReadFileText(target), "old");
}

#ifndef _WIN32
TEST(FileTable, OnlyANameBeginningWithASlashStartsAtTheRoot) {
  using tiz::platform::StartsAtFileSystemRoot;
  EXPECT_TRUE(StartsAtFileSystemRoot("/etc/t.tree"));
  EXPECT_TRUE(StartsAtFileSystemRoot("/"));
  EXPECT_FALSE(StartsAtFileSystemRoot("t.tree"));
  EXPECT_FALSE(StartsAtFileSystemRoot("dir/t.tree"));
  EXPECT_FALSE(StartsAtFileSystemRoot(""));
}
#endif

}  // namespace
