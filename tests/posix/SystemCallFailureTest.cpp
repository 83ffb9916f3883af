// The POSIX file table when the C library's calls fail or are interrupted:
// interrupted calls are made again, a missing file or directory reads as
// not found, every other failure as failed, and no descriptor is left open.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "../ScratchDirectory.h"
#include "SystemCallFaults.h"
#include "platform/FileSystem.h"

namespace {

using syscall_faults::Armed;
using syscall_faults::Call;
using tiz::platform::File;
using tiz::platform::FileLock;
using tiz::platform::FileStatus;
using tiz::platform::LockKind;
using tiz::platform::NativeFileSystem;

const tiz::platform::FileSystem &Native() { return NativeFileSystem(); }

class SystemCalls : public ::testing::Test {
 protected:
  std::string Path(const char *name) const { return m_dir.Path(name).string(); }

  // The whole text of a file, read through the table.
  std::string ReadAll(const std::string &path) {
    File *file = nullptr;
    if (Native().openRead(path.c_str(), &file) != FileStatus::kOk) return "<unreadable>";
    std::string text;
    char buffer[64];
    size_t count = 0;
    while (Native().read(file, buffer, sizeof buffer, &count) == FileStatus::kOk && count > 0)
      text.append(buffer, count);
    Native().close(file);
    return text;
  }

  tiz_test::ScratchDirectory m_dir;
};

// --- reading -----------------------------------------------------------------

TEST_F(SystemCalls, OpeningForReadingMapsEachFailure) {
  const std::string path = Path("present.txt");
  tiz_test::WriteFileText(path, "abc");
  struct Case {
    int error;
    FileStatus status;
  };
  for (const Case &c : {Case{ENOENT, FileStatus::kNotFound}, Case{ENOTDIR, FileStatus::kNotFound},
                        Case{EACCES, FileStatus::kFailed}, Case{EMFILE, FileStatus::kFailed}}) {
    SCOPED_TRACE(c.error);
    Armed armed({{Call::kOpen, c.error}});
    File *file = nullptr;
    EXPECT_EQ(Native().openRead(path.c_str(), &file), c.status);
    EXPECT_EQ(file, nullptr);
  }
  {
    Armed armed({{Call::kOpen, EINTR, 2}});
    EXPECT_EQ(ReadAll(path), "abc");
    EXPECT_EQ(armed.Calls(Call::kOpen), 3);
  }
  // A descriptor whose kind cannot be told is closed, not leaked.
  Armed armed({{Call::kFstat, EIO}});
  File *file = nullptr;
  EXPECT_EQ(Native().openRead(path.c_str(), &file), FileStatus::kFailed);
  EXPECT_EQ(armed.Calls(Call::kClose), 1);
}

TEST_F(SystemCalls, AnInterruptedReadIsMadeAgainAndAFailedOneReported) {
  const std::string path = Path("data.txt");
  tiz_test::WriteFileText(path, "payload");
  {
    Armed armed({{Call::kRead, EINTR, 3}});
    EXPECT_EQ(ReadAll(path), "payload");
  }
  File *file = nullptr;
  ASSERT_EQ(Native().openRead(path.c_str(), &file), FileStatus::kOk);
  {
    Armed armed({{Call::kRead, EIO}});
    char buffer[16];
    size_t count = 99;
    EXPECT_EQ(Native().read(file, buffer, sizeof buffer, &count), FileStatus::kFailed);
    EXPECT_EQ(count, 99u);
  }
  Native().close(file);
}

// --- writing a replacement -----------------------------------------------------

TEST_F(SystemCalls, ATemporaryFileTakesTheNextNameWhenOneIsTaken) {
  const std::string target = Path("tree.ini");
  std::string temp;
  File *file = nullptr;
  for (int error : {EEXIST, EINTR}) {
    SCOPED_TRACE(error);
    Armed armed({{Call::kOpen, error, 3}});
    ASSERT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kOk);
    EXPECT_EQ(armed.Calls(Call::kOpen), 4);
    EXPECT_EQ(temp.rfind(target + ".tmp" + std::to_string(getpid()) + "-", 0), 0u) << temp;
    Native().close(file);
    Native().remove(temp.c_str());
  }

  // Names taken a hundred times over: the table gives up rather than loop.
  {
    Armed armed({{Call::kOpen, EEXIST, 100}});
    EXPECT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kFailed);
    EXPECT_EQ(armed.Calls(Call::kOpen), 100);
  }
  {
    Armed armed({{Call::kOpen, EACCES}});
    EXPECT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kFailed);
  }
  Armed armed({{Call::kOpen, ENOENT}});
  EXPECT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kNotFound);
}

TEST_F(SystemCalls, WritesGoOutWholeThroughInterruptionsAndShortWrites) {
  const std::string target = Path("out.ini");
  const std::string text = "[Section]\r\nKey=a value long enough to need several pieces\r\n";
  std::string temp;
  File *file = nullptr;
  ASSERT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kOk);
  {
    Armed armed({{Call::kWrite, EINTR, 2}});
    armed.ShortWrites(7);
    EXPECT_EQ(Native().write(file, text.data(), text.size()), FileStatus::kOk);
    EXPECT_GT(armed.Calls(Call::kWrite), static_cast<int>(text.size() / 7));
  }
  {
    Armed armed({{Call::kFsync, EINTR, 2}});
    EXPECT_EQ(Native().flush(file), FileStatus::kOk);
    EXPECT_EQ(armed.Calls(Call::kFsync), 3);
  }
  EXPECT_EQ(Native().close(file), FileStatus::kOk);
  EXPECT_EQ(ReadAll(temp), text);
  Native().remove(temp.c_str());
}

TEST_F(SystemCalls, FailuresWhileWritingAreReported) {
  const std::string target = Path("out.ini");
  std::string temp;
  File *file = nullptr;
  ASSERT_EQ(Native().createTemp(target.c_str(), &temp, &file), FileStatus::kOk);
  {
    Armed armed({{Call::kWrite, ENOSPC}});
    EXPECT_EQ(Native().write(file, "abc", 3), FileStatus::kFailed);
  }
  {
    Armed armed({{Call::kFsync, EIO}});
    EXPECT_EQ(Native().flush(file), FileStatus::kFailed);
  }
  {
    Armed armed({{Call::kClose, EIO}});
    EXPECT_EQ(Native().close(file), FileStatus::kFailed);
  }
  struct Case {
    Call call;
    int error;
    FileStatus status;
  };
  const std::string other = Path("other.ini");
  for (const Case &c : {Case{Call::kRename, ENOENT, FileStatus::kNotFound},
                        Case{Call::kRename, EXDEV, FileStatus::kFailed},
                        Case{Call::kUnlink, ENOENT, FileStatus::kNotFound},
                        Case{Call::kUnlink, EACCES, FileStatus::kFailed}}) {
    SCOPED_TRACE(c.error);
    Armed armed({{c.call, c.error}});
    const FileStatus status = c.call == Call::kRename ? Native().rename(temp.c_str(), other.c_str())
                                                      : Native().remove(temp.c_str());
    EXPECT_EQ(status, c.status);
  }
  EXPECT_TRUE(std::filesystem::exists(temp));  // every failed step left it
  EXPECT_EQ(Native().remove(temp.c_str()), FileStatus::kOk);
}

// A directory's flush: file systems that cannot flush one are no failure.
TEST_F(SystemCalls, SyncingADirectoryAcceptsFileSystemsThatCannot) {
  const std::string target = Path("tree.ini");
  using syscall_faults::Fault;
  for (const auto &[fault, status] : {std::pair{Fault{Call::kFsync, EINVAL}, FileStatus::kOk},
                                      std::pair{Fault{Call::kFsync, ENOTSUP}, FileStatus::kOk},
                                      std::pair{Fault{Call::kFsync, EIO}, FileStatus::kFailed},
                                      std::pair{Fault{Call::kOpen, EACCES}, FileStatus::kFailed}}) {
    SCOPED_TRACE(fault.error);
    Armed armed({fault});
    EXPECT_EQ(Native().syncDirectory(target.c_str()), status);
    EXPECT_EQ(armed.Calls(Call::kClose), fault.call == Call::kOpen ? 0 : 1);
  }
  // A bare name lies in the working directory.
  EXPECT_EQ(Native().syncDirectory("tree.ini"), FileStatus::kOk);
}

// --- locks ---------------------------------------------------------------------

TEST_F(SystemCalls, ALockFileThatCannotBeCreatedGuardsNothing) {
  const std::string lockPath = Path("tree.ini.lock");
  struct Case {
    int error;
    LockKind kind;
    FileStatus status;
  };
  for (const Case &c : {Case{EACCES, LockKind::kExclusive, FileStatus::kNotFound},
                        Case{EPERM, LockKind::kExclusive, FileStatus::kNotFound},
                        Case{EROFS, LockKind::kExclusive, FileStatus::kNotFound},
                        Case{EROFS, LockKind::kShared, FileStatus::kFailed},
                        Case{ENOENT, LockKind::kShared, FileStatus::kNotFound},
                        Case{EIO, LockKind::kExclusive, FileStatus::kFailed}}) {
    SCOPED_TRACE(c.error);
    Armed armed({{Call::kOpen, c.error, 2}});
    FileLock *lock = nullptr;
    EXPECT_EQ(Native().lock(lockPath.c_str(), c.kind, &lock), c.status);
    EXPECT_EQ(lock, nullptr);
  }
}

TEST_F(SystemCalls, ALockIsTakenThroughInterruptionsAndWithoutLockSupport) {
  const std::string lockPath = Path("tree.ini.lock");
  using syscall_faults::Fault;
  const std::vector<std::vector<Fault>> plans = {
      // A lock file another user made read-only: opened for reading.
      {{Call::kOpen, EACCES}},
      {{Call::kOpen, EINTR, 2}},
      {{Call::kFlock, EINTR, 2}},
      // File systems without locks: the file is as unguarded as it was.
      {{Call::kFlock, ENOLCK}},
      {{Call::kFlock, EOPNOTSUPP}},
      {{Call::kFlock, EINVAL}},
      // The file held cannot be compared with its name: taken again.
      {{Call::kFstat, EIO}},
      {{Call::kStat, ENOENT}},
  };
  for (const std::vector<Fault> &plan : plans) {
    SCOPED_TRACE(plan.front().error);
    FileLock *lock = nullptr;
    {
      Armed armed({plan.front()});
      ASSERT_EQ(Native().lock(lockPath.c_str(), LockKind::kExclusive, &lock), FileStatus::kOk);
    }
    EXPECT_EQ(Native().unlock(lock), FileStatus::kOk);
    EXPECT_FALSE(std::filesystem::exists(lockPath));
  }
}

TEST_F(SystemCalls, ALockThatFailsClosesItsFileAndAFailedUnlockIsReported) {
  const std::string lockPath = Path("tree.ini.lock");
  FileLock *lock = nullptr;
  {
    Armed armed({{Call::kFlock, EIO}});
    EXPECT_EQ(Native().lock(lockPath.c_str(), LockKind::kExclusive, &lock), FileStatus::kFailed);
    EXPECT_EQ(armed.Calls(Call::kClose), 1);
  }
  ASSERT_EQ(Native().lock(lockPath.c_str(), LockKind::kExclusive, &lock), FileStatus::kOk);
  Armed armed({{Call::kClose, EIO}});
  EXPECT_EQ(Native().unlock(lock), FileStatus::kFailed);
  EXPECT_FALSE(std::filesystem::exists(lockPath));
}

// --- directories and processes ---------------------------------------------------

TEST_F(SystemCalls, ADirectoryThatCannotBeListedIsReported) {
  std::vector<std::string> names{"stale"};
  {
    Armed armed({{Call::kOpendir, ENOENT}});
    EXPECT_EQ(Native().listDirectory(m_dir.Path(".").string().c_str(), &names),
              FileStatus::kNotFound);
    EXPECT_TRUE(names.empty());
  }
  Armed armed({{Call::kOpendir, EACCES}});
  EXPECT_EQ(Native().listDirectory(m_dir.Path(".").string().c_str(), &names), FileStatus::kFailed);
}

TEST_F(SystemCalls, OnlyAProcessTheSystemDoesNotKnowIsGone) {
  EXPECT_FALSE(Native().processGone(0));
  EXPECT_FALSE(Native().processGone(static_cast<uint32_t>(INT32_MAX) + 1));
  EXPECT_FALSE(Native().processGone(static_cast<uint32_t>(getpid())));
  {
    Armed armed({{Call::kKill, ESRCH}});
    EXPECT_TRUE(Native().processGone(12345));
  }
  // Running under another user.
  Armed armed({{Call::kKill, EPERM}});
  EXPECT_FALSE(Native().processGone(12345));
}

}  // namespace
