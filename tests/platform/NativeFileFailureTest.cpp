// The POSIX file table under conditions a save and a load meet in the field:
// a full disk, a missing directory, a directory where a file is expected,
// and a lock file that another holder keeps and then removes.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "ScratchDirectory.h"
#include "platform/FileSystem.h"
#include "tiz.h"

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

// A path through a regular file names nothing (as a missing directory does);
// a name too long for the file system is a failure, not a missing file.
TEST(NativeFiles, PathsThatCannotNameAFileAnswerByTheirCause) {
  tiz_test::ScratchDirectory scratch;
  tiz_test::WriteFileText(scratch.Path("plain"), "x");
  const std::string throughFile = scratch.Path("plain/t.tree").string();
  const std::string tooLong = scratch.Path(std::string(300, 'n')).string();
  const FileSystem &files = NativeFileSystem();
  struct Case {
    const std::string &path;
    FileStatus expected;
  };
  for (const Case &c :
       {Case{throughFile, FileStatus::kNotFound}, Case{tooLong, FileStatus::kFailed}}) {
    SCOPED_TRACE(c.path);
    File *file = nullptr;
    EXPECT_EQ(files.openRead(c.path.c_str(), &file), c.expected);
    EXPECT_EQ(file, nullptr);
    FileLock *lock = nullptr;
    EXPECT_EQ(files.lock(c.path.c_str(), LockKind::kExclusive, &lock), c.expected);
    // A reader takes no lock, whatever the path.
    EXPECT_EQ(files.lock(c.path.c_str(), LockKind::kShared, &lock), FileStatus::kNotFound);
    EXPECT_EQ(lock, nullptr);
    EXPECT_EQ(files.remove(c.path.c_str()), c.expected);
    EXPECT_EQ(files.rename(scratch.Path("plain").c_str(), c.path.c_str()), c.expected);
    std::vector<std::string> names = {"stale"};
    EXPECT_EQ(files.listDirectory(c.path.c_str(), &names), c.expected);
    EXPECT_TRUE(names.empty());
  }
  EXPECT_EQ(tiz_test::ReadFileText(scratch.Path("plain")), "x");
}

// A rename that would replace a directory holding files fails and leaves
// both in place.
TEST(NativeFiles, ARenameOntoADirectoryWithFilesFails) {
  tiz_test::ScratchDirectory scratch;
  std::filesystem::create_directories(scratch.Path("full/inner"));
  std::filesystem::create_directory(scratch.Path("empty"));
  EXPECT_EQ(NativeFileSystem().rename(scratch.Path("empty").c_str(), scratch.Path("full").c_str()),
            FileStatus::kFailed);
  EXPECT_TRUE(std::filesystem::exists(scratch.Path("empty")));
  EXPECT_TRUE(std::filesystem::exists(scratch.Path("full/inner")));
}

// A relative name lives in the working directory; a directory that does not
// exist cannot be made durable.
TEST(NativeFiles, TheDirectoryOfARenameIsFoundFromThePath) {
  tiz_test::ScratchDirectory scratch;
  EXPECT_EQ(NativeFileSystem().syncDirectory("t.tree"), FileStatus::kOk);
  EXPECT_EQ(NativeFileSystem().syncDirectory(scratch.Path("missing/t.tree").c_str()),
            FileStatus::kFailed);
}

// Names of temporary files that are all taken: the creation gives up after
// a bounded number of tries and leaves every existing file as it was.
TEST(NativeFiles, ATemporaryFileGivesUpWhenEveryNameIsTaken) {
  tiz_test::ScratchDirectory scratch;
  const std::string target = scratch.Path("t.tree").string();
  const FileSystem &files = NativeFileSystem();
  File *file = nullptr;
  std::string temp;
  ASSERT_EQ(files.createTemp(target.c_str(), &temp, &file), FileStatus::kOk);
  ASSERT_EQ(files.close(file), FileStatus::kOk);
  // The names go "<target>.tmp<pid>-<n>" with n counting up: take the next ones.
  const size_t dash = temp.rfind('-');
  const unsigned next = static_cast<unsigned>(std::stoul(temp.substr(dash + 1))) + 1;
  for (unsigned n = next; n < next + 100; ++n)
    tiz_test::WriteFileText(temp.substr(0, dash + 1) + std::to_string(n), "taken");
  file = nullptr;
  EXPECT_EQ(files.createTemp(target.c_str(), &temp, &file), FileStatus::kFailed);
  EXPECT_EQ(file, nullptr);
  EXPECT_EQ(tiz_test::ReadFileText(temp.substr(0, dash + 1) + std::to_string(next)), "taken");
  EXPECT_EQ(scratch.FileNames().size(), 101u);
  // The next name after them is free again.
  ASSERT_EQ(files.createTemp(target.c_str(), &temp, &file), FileStatus::kOk);
  EXPECT_EQ(files.close(file), FileStatus::kOk);
  EXPECT_EQ(scratch.FileNames().size(), 102u);
}

// No process has id 0 or one beyond the largest id: such an id (from a
// foreign temporary file name) is never taken for a process that is gone.
TEST(NativeFiles, OnlyARealProcessIdCanBeGone) {
  const FileSystem &files = NativeFileSystem();
  EXPECT_FALSE(files.processGone(0));
  EXPECT_FALSE(files.processGone(0x80000000u));
  EXPECT_FALSE(files.processGone(0xFFFFFFFFu));
  EXPECT_FALSE(files.processGone(static_cast<uint32_t>(getpid())));
  EXPECT_TRUE(files.processGone(2147483646u));
}

// A lock file that another program replaced by a new file while the lock was
// held: the waiter that then gets the lock of the old file sees that the name
// has moved on and locks the new file instead.
TEST(NativeFiles, AWaiterLocksTheFileThatNowHasTheName) {
  tiz_test::ScratchDirectory scratch;
  const std::string path = scratch.Path("t.tree.lock").string();
  const FileSystem &files = NativeFileSystem();
  int old = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
  ASSERT_GE(old, 0);
  ASSERT_EQ(::flock(old, LOCK_EX), 0);
  FileLock *waiter = nullptr;
  FileStatus status = FileStatus::kFailed;
  std::thread thread([&] { status = files.lock(path.c_str(), LockKind::kExclusive, &waiter); });
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  tiz_test::WriteFileText(scratch.Path("replacement"), "");
  std::filesystem::rename(scratch.Path("replacement"), path);
  ::close(old);
  thread.join();
  ASSERT_EQ(status, FileStatus::kOk);
  int now = ::open(path.c_str(), O_RDONLY);
  ASSERT_GE(now, 0);
  EXPECT_NE(::flock(now, LOCK_EX | LOCK_NB), 0) << "the new file is not the one locked";
  EXPECT_EQ(errno, EWOULDBLOCK);
  ::close(now);
  EXPECT_EQ(files.unlock(waiter), FileStatus::kOk);
  EXPECT_FALSE(std::filesystem::exists(path));
}

// A directory that refuses new files (no write permission; for root, whom
// permissions do not stop, sysfs): no one can replace a file there, so a
// writer's lock has nothing to guard and reports the lock file missing.
TEST(NativeFiles, ALockInADirectoryThatRefusesNewFilesIsNotFound) {
  tiz_test::ScratchDirectory scratch;
  std::string directory = scratch.Path("closed").string();
  std::filesystem::create_directory(directory);
  std::filesystem::permissions(
      directory, std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  if (::geteuid() == 0) directory = "/sys";
  const std::string path = directory + "/t.tree.lock";
  int probe = ::open(path.c_str(), O_RDWR | O_CREAT, 0666);
  if (probe >= 0 || errno != EACCES) {
    if (probe >= 0) {
      ::close(probe);
      ::unlink(path.c_str());
    }
    GTEST_SKIP() << directory << " takes new files here";
  }
  FileLock *lock = nullptr;
  EXPECT_EQ(NativeFileSystem().lock(path.c_str(), LockKind::kExclusive, &lock),
            FileStatus::kNotFound);
  EXPECT_EQ(NativeFileSystem().lock(path.c_str(), LockKind::kShared, &lock), FileStatus::kNotFound);
  EXPECT_EQ(lock, nullptr);
  EXPECT_FALSE(std::filesystem::exists(path));
  std::filesystem::permissions(scratch.Path("closed"), std::filesystem::perms::owner_all);
}

// A save of one setting into the tree file "tree.ini" of the scratch
// directory; its result.
int32_t SaveOneSetting(uint32_t value) {
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) return -1;
  TIZ_SetSettingDword(store, "Scan", "Speed", value);
  const int32_t result = TIZ_Serialize(store, "tree.ini");
  TIZ_Release(store);
  return result;
}

// The value of Scan/Speed that a load of "tree.ini" finds, or -1.
int64_t LoadedSpeed() {
  uint32_t store = 0, value = 0;
  if (TIZ_Create(&store) != 0) return -1;
  const bool found = TIZ_Deserialize(store, "tree.ini") == 0 &&
                     TIZ_GetSettingDword(store, "Scan", "Speed", &value) == 0;
  TIZ_Release(store);
  return found ? static_cast<int64_t>(value) : -1;
}

// A tree file that is a symbolic link (to where another program keeps the
// file) is written through: the link stays, the file it leads to is
// replaced, and the lock and temporary files live beside that file. A link
// to a link is followed to its end.
TEST(NativeFiles, ASaveWritesThroughASymbolicLink) {
  tiz_test::ScratchDirectory scratch;
  std::filesystem::create_directory(scratch.Path("elsewhere"));
  const auto real = scratch.Path("elsewhere/kept.ini");
  tiz_test::WriteFileText(real, "");
  ASSERT_EQ(chmod(real.c_str(), 0640), 0);
  std::filesystem::create_symlink("elsewhere/kept.ini", scratch.Path("middle.ini"));
  std::filesystem::create_symlink("middle.ini", scratch.Path("tree.ini"));
  for (uint32_t value : {11u, 12u}) {
    ASSERT_EQ(SaveOneSetting(value), 0);
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.Path("tree.ini")));
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.Path("middle.ini")));
    EXPECT_EQ(LoadedSpeed(), value);
  }
  EXPECT_NE(tiz_test::ReadFileText(real).find("Value=12"), std::string::npos);
  EXPECT_EQ(std::filesystem::status(real).permissions(), std::filesystem::perms::owner_read |
                                                             std::filesystem::perms::owner_write |
                                                             std::filesystem::perms::group_read);
  EXPECT_EQ(scratch.FileNames(), (std::vector<std::string>{"elsewhere", "middle.ini", "tree.ini"}));
  std::vector<std::string> beside;
  for (const auto &entry : std::filesystem::directory_iterator(scratch.Path("elsewhere")))
    beside.push_back(entry.path().filename().string());
  EXPECT_EQ(beside, std::vector<std::string>{"kept.ini"});
}

// A link that leads nowhere (its file is gone, or it leads to itself) is not
// replaced by a regular file: the save fails and the link stays as it was.
TEST(NativeFiles, ASaveThroughALinkThatLeadsNowhereFails) {
  tiz_test::ScratchDirectory scratch;
  for (const char *destination : {"gone/tree.ini", "tree.ini"}) {
    SCOPED_TRACE(destination);
    std::filesystem::create_symlink(destination, scratch.Path("tree.ini"));
    EXPECT_EQ(SaveOneSetting(1), TIZ_E_OPEN_FILE);
    EXPECT_TRUE(std::filesystem::is_symlink(scratch.Path("tree.ini")));
    EXPECT_EQ(std::filesystem::read_symlink(scratch.Path("tree.ini")), destination);
    EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"tree.ini"});
    EXPECT_EQ(LoadedSpeed(), -1);
    std::filesystem::remove(scratch.Path("tree.ini"));
  }
}

// A file marked read-only is not replaced, by root neither (whom permissions
// do not stop): the save fails and the file keeps its text and its mode.
// Made writable again, the same save succeeds.
TEST(NativeFiles, AReadOnlyTreeFileIsNotReplaced) {
  tiz_test::ScratchDirectory scratch;
  ASSERT_EQ(SaveOneSetting(1), 0);
  const auto path = scratch.Path("tree.ini");
  const std::string before = tiz_test::ReadFileText(path);
  ASSERT_EQ(chmod(path.c_str(), 0444), 0);
  EXPECT_EQ(SaveOneSetting(2), TIZ_E_OPEN_FILE);
  EXPECT_EQ(tiz_test::ReadFileText(path), before);
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0444u);
  EXPECT_EQ(scratch.FileNames(), std::vector<std::string>{"tree.ini"});
  EXPECT_EQ(LoadedSpeed(), 1);  // a read-only file still loads
  ASSERT_EQ(chmod(path.c_str(), 0600), 0);
  EXPECT_EQ(SaveOneSetting(2), 0);
  EXPECT_EQ(LoadedSpeed(), 2);
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
}

}  // namespace

#endif
