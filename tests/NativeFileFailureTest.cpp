// The POSIX file table under conditions a save and a load meet in the field:
// a full disk, a missing directory, a directory where a file is expected,
// and a lock file that another holder keeps and then removes.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>

#include "ScratchDirectory.h"
#include "platform/FileSystem.h"

#ifndef _WIN32

namespace {

using tiz::platform::File;
using tiz::platform::FileLock;
using tiz::platform::FileStatus;
using tiz::platform::FileSystem;
using tiz::platform::LockKind;
using tiz::platform::NativeFileSystem;

// A file size limit stands in for a full disk: the first bytes go out, the
// rest is refused (EFBIG), and the write reports the failure.
TEST(NativeFiles, AWriteThatRunsOutOfRoomFails) {
  tiz_test::ScratchDirectory scratch;
  const FileSystem &files = NativeFileSystem();
  File *file = nullptr;
  std::string temp;
  ASSERT_EQ(files.createTemp(scratch.Path("t.tree").c_str(), &temp, &file), FileStatus::kOk);
  struct rlimit saved;
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  void (*savedSignal)(int) = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = {4, saved.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const FileStatus status = files.write(file, "0123456789", 10);
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, savedSignal);
  EXPECT_EQ(status, FileStatus::kFailed);
  EXPECT_EQ(files.close(file), FileStatus::kOk);
  EXPECT_EQ(std::filesystem::file_size(temp), 4u);
}

TEST(NativeFiles, ATemporaryFileInAMissingDirectoryIsNotFound) {
  tiz_test::ScratchDirectory scratch;
  File *file = nullptr;
  std::string temp;
  EXPECT_EQ(NativeFileSystem().createTemp(scratch.Path("missing/t.tree").c_str(), &temp, &file),
            FileStatus::kNotFound);
  EXPECT_EQ(file, nullptr);
}

TEST(NativeFiles, ADirectoryIsNoFileToRead) {
  tiz_test::ScratchDirectory scratch;
  std::filesystem::create_directory(scratch.Path("d.tree"));
  File *file = nullptr;
  EXPECT_EQ(NativeFileSystem().openRead(scratch.Path("d.tree").c_str(), &file),
            FileStatus::kFailed);
  EXPECT_EQ(file, nullptr);
}

TEST(NativeFiles, ARenameInTheRootDirectoryIsSyncedThere) {
  // The directory of "/name" is "/" itself, not an empty name.
  EXPECT_EQ(NativeFileSystem().syncDirectory("/tiz-no-such-file"), FileStatus::kOk);
}

// A second lock of the same file waits for the first: it gets the lock once
// the holder lets go, although the holder's unlock removed the lock file it
// was waiting on.
TEST(NativeFiles, AWaitingWriterGetsTheLockAfterTheHolderRemovedItsFile) {
  tiz_test::ScratchDirectory scratch;
  const std::string path = scratch.Path("t.tree.lock").string();
  const FileSystem &files = NativeFileSystem();
  FileLock *first = nullptr;
  ASSERT_EQ(files.lock(path.c_str(), LockKind::kExclusive, &first), FileStatus::kOk);
  std::atomic<bool> released{false};
  std::thread holder([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    released = true;
    files.unlock(first);
  });
  FileLock *second = nullptr;
  EXPECT_EQ(files.lock(path.c_str(), LockKind::kExclusive, &second), FileStatus::kOk);
  EXPECT_TRUE(released) << "the second lock was granted while the first was held";
  holder.join();
  ASSERT_NE(second, nullptr);
  EXPECT_TRUE(std::filesystem::exists(path));
  EXPECT_EQ(files.unlock(second), FileStatus::kOk);
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace

#endif
