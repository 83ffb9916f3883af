// File operations on POSIX systems: plain descriptors, fsync for durability.
#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <memory>

#include "platform/FileNative.h"
#include "platform/FileSystem.h"

namespace tiz::platform {

struct File {
  int fd;
  uint64_t size;  // when opened for reading
};

namespace {

FileStatus StatusOfErrno() {
  return (errno == ENOENT || errno == ENOTDIR) ? FileStatus::kNotFound : FileStatus::kFailed;
}

FileStatus OpenRead(const char *path, File **file) {
  auto handle = std::make_unique<File>();
  do {
    handle->fd = ::open(path, O_RDONLY | O_CLOEXEC);
  } while (handle->fd < 0 && errno == EINTR);
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
  ssize_t got;
  do {
    got = ::read(file->fd, buffer, size);
  } while (got < 0 && errno == EINTR);
  if (got < 0) return FileStatus::kFailed;
  *count = static_cast<size_t>(got);
  return FileStatus::kOk;
}

FileStatus CreateTemp(const char *target, std::string *tempPath, File **file) {
  static std::atomic<unsigned> counter{0};
  auto handle = std::make_unique<File>();
  // Several processes may save the same file: the name carries the process
  // id and a counter, and O_EXCL settles any remaining clash.
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = std::string(target) + ".tmp" + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1));
    handle->fd = ::open(tempPath->c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (handle->fd >= 0) {
      // The replacement keeps the permissions of the file it replaces.
      struct stat info;
      if (::stat(target, &info) == 0) ::fchmod(handle->fd, info.st_mode & 07777);
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
    if (put < 0) {
      if (errno == EINTR) continue;
      return FileStatus::kFailed;
    }
    bytes += put;
    size -= static_cast<size_t>(put);
  }
  return FileStatus::kOk;
}

FileStatus Flush(File *file) {
  int result;
  do {
    result = ::fsync(file->fd);
  } while (result != 0 && errno == EINTR);
  return result == 0 ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Close(File *file) {
  std::unique_ptr<File> handle(file);
  // The descriptor is released even when close reports an error; retrying
  // could close a descriptor another thread has just been given.
  return ::close(handle->fd) == 0 ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Rename(const char *from, const char *to) {
  return ::rename(from, to) == 0 ? FileStatus::kOk : StatusOfErrno();
}

FileStatus SyncDirectory(const char *path) {
  std::string directory(path);
  size_t slash = directory.rfind('/');
  if (slash == std::string::npos)
    directory = ".";
  else
    directory.resize(slash == 0 ? 1 : slash);
  int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return FileStatus::kFailed;
  int result = ::fsync(fd);
  // Some file systems cannot flush a directory; their renames are as durable
  // as they will get.
  bool ok = result == 0 || errno == EINVAL || errno == ENOTSUP;
  ::close(fd);
  return ok ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Remove(const char *path) {
  return ::unlink(path) == 0 ? FileStatus::kOk : StatusOfErrno();
}

FileStatus Size(File *file, uint64_t *bytes) {
  *bytes = file->size;
  return FileStatus::kOk;
}

}  // namespace

const FileSystem &NativeFileSystem() {
  static const FileSystem table = {OpenRead,
                                   Read,
                                   CreateTemp,
                                   Write,
                                   Flush,
                                   Close,
                                   Rename,
                                   SyncDirectory,
                                   Remove,
                                   Size,
                                   native::Lock,
                                   native::Unlock,
                                   native::ListDirectory,
                                   native::ProcessGone};
  return table;
}

}  // namespace tiz::platform
#endif
