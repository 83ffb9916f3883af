// Locks, directory listings and process checks on POSIX systems. A lock is
// flock on the lock file: the kernel drops it when its holder dies. A writer
// removes the lock file while it still holds the lock, so a waiter that then
// gets the lock of the removed file sees that it no longer has the name and
// tries again on the file the name now holds. Readers take no lock: a rename
// replaces a file in one step even while a reader has the old one open, so a
// reader always reads one whole file and never waits for writers.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <memory>

#include "platform/Native.h"

namespace tiz::platform {

struct FileLock {
  int fd;
  std::string path;
};

namespace native {

namespace {

// A save takes milliseconds; a holder that keeps the lock far longer is
// stuck, and a failed save is better than a caller blocked for good.
constexpr auto kLockWait = std::chrono::seconds(30);
constexpr long kLongestPauseNs = 16 * 1000 * 1000;

FileStatus StatusOfErrno() {
  return (errno == ENOENT || errno == ENOTDIR) ? FileStatus::kNotFound : FileStatus::kFailed;
}

int OpenLockFile(const char *path) {
  int fd;
  do {
    fd = ::open(path, O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    // Another user's lock file may be read-only to us; flock needs no write.
    if (fd < 0 && errno == EACCES) fd = ::open(path, O_RDONLY | O_CREAT | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd;
}

// Whether `fd` is still the file that `path` names.
bool StillNamed(int fd, const char *path) {
  struct stat held, named;
  return ::fstat(fd, &held) == 0 && ::stat(path, &named) == 0 && held.st_dev == named.st_dev &&
         held.st_ino == named.st_ino;
}

void Pause(long *pauseNs) {
  struct timespec pause = {0, *pauseNs};
  ::nanosleep(&pause, nullptr);
  *pauseNs = *pauseNs * 2 < kLongestPauseNs ? *pauseNs * 2 : kLongestPauseNs;
}

}  // namespace

FileStatus Lock(const char *path, LockKind kind, FileLock **lock) {
  // See the top of this file: a reader needs no lock.
  if (kind == LockKind::kShared) return FileStatus::kNotFound;
  // Allocated before any descriptor is open, so that running out of memory
  // cannot leak a held lock.
  auto held = std::make_unique<FileLock>(FileLock{-1, path});
  const auto deadline = std::chrono::steady_clock::now() + kLockWait;
  long pauseNs = 250 * 1000;
  int fd = -1;
  for (;;) {
    if (fd < 0) {
      fd = OpenLockFile(path);
      // A directory that is missing or refuses new files cannot have its
      // file replaced by anyone either: there is nothing to guard.
      if (fd < 0 && (errno == EACCES || errno == EPERM || errno == EROFS))
        return FileStatus::kNotFound;
      if (fd < 0) return StatusOfErrno();
    }
    int result;
    do {
      result = ::flock(fd, LOCK_EX | LOCK_NB);
    } while (result != 0 && errno == EINTR);
    // File systems without locks leave the file as unguarded as it was.
    bool noLocks = result != 0 && (errno == ENOLCK || errno == EOPNOTSUPP || errno == EINVAL);
    if (result == 0 || noLocks) {
      if (noLocks || StillNamed(fd, path)) {
        held->fd = fd;
        *lock = held.release();
        return FileStatus::kOk;
      }
      // The holder we waited for removed the file: start over on the name.
      ::close(fd);
      fd = -1;
      continue;
    }
    if (errno != EWOULDBLOCK || std::chrono::steady_clock::now() >= deadline) {
      ::close(fd);
      return FileStatus::kFailed;
    }
    Pause(&pauseNs);
  }
}

FileStatus Unlock(FileLock *lock) {
  std::unique_ptr<FileLock> held(lock);
  // Removed while still held: see the top of this file.
  ::unlink(held->path.c_str());
  return ::close(held->fd) == 0 ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus ListDirectory(const char *directory, std::vector<std::string> *names) {
  names->clear();
  // Closed on every way out, running out of memory included.
  std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(directory), ::closedir);
  if (!dir) return StatusOfErrno();
  while (struct dirent *entry = ::readdir(dir.get())) {
    std::string name(entry->d_name);
    if (name != "." && name != "..") names->push_back(std::move(name));
  }
  return FileStatus::kOk;
}

bool ProcessGone(uint32_t processId) {
  if (processId == 0 || processId > static_cast<uint32_t>(INT32_MAX)) return false;
  // EPERM: it runs, under another user.
  return ::kill(static_cast<pid_t>(processId), 0) != 0 && errno == ESRCH;
}

}  // namespace native
}  // namespace tiz::platform
