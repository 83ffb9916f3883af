// File operations on POSIX systems: plain descriptors, fsync for durability.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <memory>

#include "platform/Native.h"
#include "platform/TemporaryFiles.h"

namespace tiz::platform {

struct File {
  int fd;
  uint64_t size;  // when opened for reading
};

namespace {

FileStatus StatusOfErrno() {
  return (errno == ENOENT || errno == ENOTDIR) ? FileStatus::kNotFound : FileStatus::kFailed;
}

// Runs a call until no signal interrupts it; its result is the call's.
template <typename Call>
auto Retried(Call call) {
  decltype(call()) result;
  do {
    result = call();
  } while (result < 0 && errno == EINTR);
  return result;
}

}  // namespace

namespace native {

FileStatus OpenRead(const char *path, File **file) {
  auto handle = std::make_unique<File>();
  handle->fd = Retried([&] { return ::open(path, O_RDONLY | O_CLOEXEC); });
  if (handle->fd < 0) return StatusOfErrno();
  // Directories, pipes and devices are no files to load: refusing them keeps
  // a read from blocking or running on without end.
  struct stat info;
  if (::fstat(handle->fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(handle->fd);
    return FileStatus::kFailed;
  }
  handle->size = static_cast<uint64_t>(info.st_size);
  *file = handle.release();
  return FileStatus::kOk;
}

FileStatus Read(File *file, void *buffer, size_t size, size_t *count) {
  ssize_t got = Retried([&] { return ::read(file->fd, buffer, size); });
  if (got < 0) return FileStatus::kFailed;
  *count = static_cast<size_t>(got);
  return FileStatus::kOk;
}

FileStatus ReplacedFile(const char *path, std::string *target) {
  struct stat info;
  if (Retried([&] { return ::lstat(path, &info); }) != 0) {
    // Nothing there yet (a missing directory shows when the file is made).
    if (errno != ENOENT && errno != ENOTDIR) return FileStatus::kFailed;
    *target = path;
    return FileStatus::kOk;
  }
  if (!S_ISLNK(info.st_mode)) {
    *target = path;
    return FileStatus::kOk;
  }
  // The end of the chain of links; none for a dangling or looping one.
  std::unique_ptr<char, void (*)(void *)> resolved(::realpath(path, nullptr), std::free);
  if (!resolved) return FileStatus::kFailed;
  *target = resolved.get();
  return FileStatus::kOk;
}

namespace {

// Whether the caller could open an existing file for writing. A file without
// any write permission counts as read-only for every process, privileged
// ones included: whoever marked it so meant to protect it.
bool Writable(const char *path, const struct stat &info) {
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return Retried([&] { return ::faccessat(AT_FDCWD, path, W_OK, AT_EACCESS); }) == 0;
}

// Gives the new file the owner, group and permissions of the file it will
// replace; false when the process may not, so that the replace is refused
// rather than hand the file to another owner or widen its rights. The owner
// goes first, as changing it may clear set-id bits.
bool TakeRights(int fd, const struct stat &target) {
  struct stat made;
  if (Retried([&] { return ::fstat(fd, &made); }) != 0) return false;
  if (made.st_uid != target.st_uid || made.st_gid != target.st_gid) {
    uid_t owner = made.st_uid != target.st_uid ? target.st_uid : static_cast<uid_t>(-1);
    gid_t group = made.st_gid != target.st_gid ? target.st_gid : static_cast<gid_t>(-1);
    if (Retried([&] { return ::fchown(fd, owner, group); }) != 0) return false;
  }
  return Retried([&] { return ::fchmod(fd, target.st_mode & 07777); }) == 0;
}

}  // namespace

FileStatus CreateTemp(const char *target, std::string *tempPath, File **file) {
  static std::atomic<unsigned> counter{0};
  struct stat info;
  const bool replaces = Retried([&] { return ::stat(target, &info); }) == 0;
  if (!replaces && errno != ENOENT) return StatusOfErrno();
  if (replaces && !Writable(target, info)) return FileStatus::kFailed;
  auto handle = std::make_unique<File>();
  // Several processes may save the same file: the name carries the process
  // id and a counter, and O_EXCL settles any remaining clash.
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = TemporaryPathOf(target, static_cast<uint32_t>(::getpid()), counter.fetch_add(1));
    handle->fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle->fd >= 0) {
      if (replaces && !TakeRights(handle->fd, info)) {
        ::close(handle->fd);
        ::unlink(tempPath->c_str());
        return FileStatus::kFailed;
      }
      *file = handle.release();
      return FileStatus::kOk;
    }
    if (errno != EEXIST && errno != EINTR) return StatusOfErrno();
  }
  return FileStatus::kFailed;
}

FileStatus Write(File *file, const void *data, size_t size) {
  auto *bytes = static_cast<const char *>(data);
  while (size > 0) {
    ssize_t put = ::write(file->fd, bytes, size);
    if (put < 0 && errno == EINTR) continue;
    // Nothing written and no error: the device takes no more.
    if (put <= 0) return FileStatus::kFailed;
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return FileStatus::kOk;
}

FileStatus Flush(File *file) {
  return Retried([&] { return ::fsync(file->fd); }) == 0 ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Close(File *file) {
  std::unique_ptr<File> handle(file);
  // The descriptor is released even when close reports an error; retrying
  // could close a descriptor another thread has just been given. An
  // interrupted close has released it all the same and lost nothing: what
  // was written has been flushed before.
  return ::close(handle->fd) == 0 || errno == EINTR ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Rename(const char *from, const char *to) {
  return Retried([&] { return ::rename(from, to); }) == 0 ? FileStatus::kOk : StatusOfErrno();
}

FileStatus SyncDirectory(const char *path) {
  std::string directory(path);
  size_t slash = directory.rfind('/');
  if (slash == std::string::npos)
    directory = ".";
  else
    directory.resize(slash == 0 ? 1 : slash);
  int fd = Retried([&] { return ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); });
  // A directory this process may not read cannot be flushed by it: the
  // rename, already made, is as durable as the system keeps it.
  if (fd < 0) return (errno == EACCES || errno == EPERM) ? FileStatus::kOk : FileStatus::kFailed;
  int result = Retried([&] { return ::fsync(fd); });
  // Some file systems cannot flush a directory; their renames are as durable
  // as they will get.
  bool ok = result == 0 || errno == EINVAL || errno == ENOTSUP;
  // Closing a descriptor that wrote nothing cannot lose data.
  ::close(fd);
  return ok ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Remove(const char *path) {
  return Retried([&] { return ::unlink(path); }) == 0 ? FileStatus::kOk : StatusOfErrno();
}

FileStatus Size(File *file, uint64_t *bytes) {
  *bytes = file->size;
  return FileStatus::kOk;
}

}  // namespace native

}  // namespace tiz::platform
