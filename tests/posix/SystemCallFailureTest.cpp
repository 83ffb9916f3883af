// The POSIX file table when the C library's calls fail or are interrupted:
// interrupted calls are made again, a missing file or directory reads as
// not found, every other failure as failed, and no descriptor is left open.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "SystemCallFaults.h"
#include "platform/FileSystem.h"
#include "tiz.h"

namespace {

using syscall_faults::Armed;
using syscall_faults::Call;
using syscall_faults::Fault;
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

// A directory's flush: interrupted calls are made again, and file systems
// that cannot flush one, or a directory the process may not read, are no
// failure; only a flush that fails is.
TEST_F(SystemCalls, SyncingADirectoryFailsOnlyWhenItsFlushFails) {
  const std::string target = Path("tree.ini");
  using syscall_faults::Fault;
  for (const auto &[fault, status] : {std::pair{Fault{Call::kFsync, EINVAL}, FileStatus::kOk},
                                      std::pair{Fault{Call::kFsync, ENOTSUP}, FileStatus::kOk},
                                      std::pair{Fault{Call::kFsync, EINTR, 3}, FileStatus::kOk},
                                      std::pair{Fault{Call::kFsync, EIO}, FileStatus::kFailed},
                                      std::pair{Fault{Call::kOpen, EINTR, 3}, FileStatus::kOk},
                                      std::pair{Fault{Call::kOpen, EACCES}, FileStatus::kOk},
                                      std::pair{Fault{Call::kOpen, EIO}, FileStatus::kFailed}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fault.call)) + ": " + std::to_string(fault.error));
    Armed armed({fault});
    EXPECT_EQ(Native().syncDirectory(target.c_str()), status);
    const bool opened = fault.call != Call::kOpen || fault.error == EINTR;
    EXPECT_EQ(armed.Calls(Call::kClose), opened ? 1 : 0);
    if (fault.error == EINTR) {
      EXPECT_EQ(armed.Calls(fault.call), fault.times + 1);
    }
  }
  // A bare name lies in the working directory.
  EXPECT_EQ(Native().syncDirectory("tree.ini"), FileStatus::kOk);
}

// --- replacing a file as a whole ---------------------------------------------------

// A replace over an old file of mode 600, each of its calls failing in turn:
// before the rename the old file stays as it was, mode included, and nothing
// is left beside it; after it, only a failed flush of the directory is
// reported, with the new file (of the old mode) in place.
class Replacing : public SystemCalls {
 protected:
  void SetUp() override {
    m_target = Path("tree.ini");
    tiz_test::WriteFileText(m_target, "old");
    ASSERT_EQ(chmod(m_target.c_str(), 0600), 0);
  }
  FileStatus Replace() { return tiz::platform::ReplaceFileAtomically(m_target.c_str(), "new"); }
  mode_t Mode() const {
    struct stat info;
    return ::stat(m_target.c_str(), &info) == 0 ? info.st_mode & 07777 : 0;
  }
  std::vector<std::string> Names() const { return m_dir.FileNames(); }

  std::string m_target;
};

TEST_F(Replacing, EachFailingCallBeforeTheRenameKeepsTheOldFileAndItsMode) {
  for (const Fault &fault :
       {Fault{Call::kLstat, EIO}, Fault{Call::kStat, EIO}, Fault{Call::kFaccessat, EACCES},
        Fault{Call::kFaccessat, EROFS}, Fault{Call::kOpen, ENOSPC}, Fault{Call::kOpen, EDQUOT},
        Fault{Call::kFstat, EIO}, Fault{Call::kFchmod, EPERM}, Fault{Call::kFchmod, EIO},
        Fault{Call::kWrite, ENOSPC}, Fault{Call::kFsync, EIO}, Fault{Call::kClose, EIO},
        Fault{Call::kRename, EXDEV}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fault.call)) + ": " + std::to_string(fault.error));
    {
      Armed armed({fault});
      EXPECT_EQ(Replace(), FileStatus::kFailed);
      EXPECT_EQ(armed.Calls(fault.call), 1);
    }
    EXPECT_EQ(ReadAll(m_target), "old");
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(Names(), std::vector<std::string>{"tree.ini"});
  }
}

TEST_F(Replacing, OnlyAFailedFlushOfTheDirectoryFailsAReplaceThatRenamed) {
  // The second open and the second fsync are the directory's.
  for (const Fault &fault : {Fault{Call::kFsync, EIO, 1, 1}, Fault{Call::kOpen, EIO, 1, 1}}) {
    SCOPED_TRACE(static_cast<int>(fault.call));
    tiz_test::WriteFileText(m_target, "old");
    {
      Armed armed({fault});
      EXPECT_EQ(Replace(), FileStatus::kFailed);
    }
    EXPECT_EQ(ReadAll(m_target), "new");
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(Names(), std::vector<std::string>{"tree.ini"});
  }
}

TEST_F(Replacing, InterruptedCallsAreMadeAgainEverywhere) {
  for (const Fault &fault : {Fault{Call::kStat, EINTR, 2}, Fault{Call::kFaccessat, EINTR, 2},
                             Fault{Call::kOpen, EINTR, 2}, Fault{Call::kOpen, EINTR, 2, 1},
                             Fault{Call::kFstat, EINTR, 2}, Fault{Call::kFchmod, EINTR, 2},
                             Fault{Call::kWrite, EINTR, 2}, Fault{Call::kFsync, EINTR, 2},
                             Fault{Call::kFsync, EINTR, 2, 1}, Fault{Call::kClose, EINTR},
                             Fault{Call::kRename, EINTR, 2}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(fault.call)) + " after " +
                 std::to_string(fault.skip));
    tiz_test::WriteFileText(m_target, "old");
    {
      Armed armed({fault});
      EXPECT_EQ(Replace(), FileStatus::kOk);
    }
    EXPECT_EQ(ReadAll(m_target), "new");
    EXPECT_EQ(Mode(), 0600u);
    EXPECT_EQ(Names(), std::vector<std::string>{"tree.ini"});
  }
}

// A file the caller could not open for writing is not replaced: one without
// any write permission (also for root, whom permissions do not stop), and
// one the system denies (another user's, a read-only mount).
TEST_F(Replacing, AFileTheCallerCouldNotWriteIsLeftAsItIs) {
  ASSERT_EQ(chmod(m_target.c_str(), 0444), 0);
  EXPECT_EQ(Replace(), FileStatus::kFailed);
  EXPECT_EQ(ReadAll(m_target), "old");
  EXPECT_EQ(Mode(), 0444u);
  ASSERT_EQ(chmod(m_target.c_str(), 0644), 0);
  for (int error : {EACCES, EROFS, EPERM}) {
    Armed armed({{Call::kFaccessat, error}});
    EXPECT_EQ(Replace(), FileStatus::kFailed);
    EXPECT_EQ(armed.Calls(Call::kOpen), 0) << "a temporary file was made";
  }
  EXPECT_EQ(ReadAll(m_target), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"tree.ini"});
}

// The replacement keeps the old file's owner and group; where the process
// may not give it them, nothing is replaced. Only root can make a file of
// another owner to try it on.
TEST_F(Replacing, TheOwnerAndGroupAreKeptOrTheReplaceRefused) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root to give the old file another owner";
  ASSERT_EQ(chown(m_target.c_str(), 4321, 4322), 0);
  {
    Armed armed({{Call::kFchown, EPERM}});
    EXPECT_EQ(Replace(), FileStatus::kFailed);
  }
  EXPECT_EQ(ReadAll(m_target), "old");
  EXPECT_EQ(Names(), std::vector<std::string>{"tree.ini"});
  {
    Armed armed({});
    EXPECT_EQ(Replace(), FileStatus::kOk);
    EXPECT_EQ(armed.Calls(Call::kFchown), 1);
  }
  struct stat info;
  ASSERT_EQ(::stat(m_target.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 4321u);
  EXPECT_EQ(info.st_gid, 4322u);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(ReadAll(m_target), "new");
}

// --- reading through the exports -------------------------------------------------

// A settings file or a tree file that opened and then failed to read or
// close is reported, never taken for an empty one; one that cannot be
// opened stays a settings file with nothing in it.
TEST_F(SystemCalls, AFileThatFailsAfterItOpenedIsReported) {
  const std::string settings = Path("defaults.txt"), data = Path("data.bin");
  tiz_test::WriteFileText(data, "0123");
  tiz_test::WriteFileText(settings,
                          "First=1,Value\nData=" + data + ",Value,filebuffer,4\nLast=2,Value\n");
  // Reads and closes: the settings file's (two reads: its bytes, then the
  // end), then the data file's.
  struct Case {
    Fault fault;
    int32_t result;
    bool first, data;
  };
  for (const Case &c : {Case{{Call::kOpen, EACCES}, 0, false, false},
                        Case{{Call::kRead, EIO}, TIZ_E_OPEN_FILE, false, false},
                        Case{{Call::kRead, EIO, 1, 1}, TIZ_E_OPEN_FILE, false, false},
                        Case{{Call::kClose, EIO}, TIZ_E_OPEN_FILE, false, false},
                        Case{{Call::kRead, EIO, 1, 2}, TIZ_E_OPEN_FILE, true, false},
                        Case{{Call::kClose, EIO, 1, 1}, TIZ_E_OPEN_FILE, true, false},
                        Case{{Call::kRead, EINTR, 3}, 0, true, true}}) {
    SCOPED_TRACE(std::to_string(static_cast<int>(c.fault.call)) + " after " +
                 std::to_string(c.fault.skip));
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    {
      Armed armed({c.fault});
      EXPECT_EQ(TIZ_LoadSettings(store, settings.c_str()), c.result);
    }
    uint32_t value = 0;
    int32_t type = 0;
    EXPECT_EQ(TIZ_GetSettingDword(store, "First", "Value", &value) == 0, c.first);
    EXPECT_EQ(TIZ_GetSettingType(store, "Data", "Value", &type) == 0, c.data);
    TIZ_Release(store);
  }

  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store, "Saved", "Value", 7), 0);
  ASSERT_EQ(TIZ_Serialize(store, "tree.ini"), 0);
  TIZ_Release(store);
  for (const Fault &fault : {Fault{Call::kRead, EIO}, Fault{Call::kClose, EIO}}) {
    SCOPED_TRACE(static_cast<int>(fault.call));
    ASSERT_EQ(TIZ_Create(&store), 0);
    {
      Armed armed({fault});
      EXPECT_EQ(TIZ_Deserialize(store, "tree.ini"), TIZ_E_OPEN_FILE);
    }
    uint32_t value = 0;
    EXPECT_EQ(TIZ_GetSettingDword(store, "Saved", "Value", &value), 2);
    TIZ_Release(store);
  }
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
                        Case{EIO, LockKind::kExclusive, FileStatus::kFailed}}) {
    SCOPED_TRACE(c.error);
    Armed armed({{Call::kOpen, c.error, 2}});
    FileLock *lock = nullptr;
    EXPECT_EQ(Native().lock(lockPath.c_str(), c.kind, &lock), c.status);
    EXPECT_EQ(lock, nullptr);
  }
}

// A reader needs no lock: a rename replaces the file in one step even while
// the reader has the old one open. Its lock touches nothing and waits for
// nothing, not even a writer holding the lock.
TEST_F(SystemCalls, AReaderTakesNoLockAndWaitsForNoWriter) {
  const std::string lockPath = Path("tree.ini.lock");
  FileLock *writer = nullptr;
  ASSERT_EQ(Native().lock(lockPath.c_str(), LockKind::kExclusive, &writer), FileStatus::kOk);
  {
    Armed armed({});
    FileLock *reader = nullptr;
    EXPECT_EQ(Native().lock(lockPath.c_str(), LockKind::kShared, &reader), FileStatus::kNotFound);
    EXPECT_EQ(reader, nullptr);
    EXPECT_EQ(armed.Calls(Call::kOpen) + armed.Calls(Call::kFlock), 0);
  }
  EXPECT_EQ(Native().unlock(writer), FileStatus::kOk);
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
