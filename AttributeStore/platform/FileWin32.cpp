// File operations on Windows: ANSI paths, handles shared with every other
// process, a write-through rename for durability.
#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/FileNative.h"
#include "platform/FileSystem.h"

namespace tiz::platform {

struct File {
  HANDLE handle;
};

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr size_t kMaxTransfer = 1u << 30;

FileStatus StatusOfLastError() {
  DWORD error = GetLastError();
  return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? FileStatus::kNotFound
                                                                          : FileStatus::kFailed;
}

FileStatus OpenRead(const char *path, File **file) {
  auto handle = std::make_unique<File>();
  handle->handle = CreateFileA(path, GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle->handle == INVALID_HANDLE_VALUE) return StatusOfLastError();
  // Pipes and devices are no files to load.
  if (GetFileType(handle->handle) != FILE_TYPE_DISK) {
    CloseHandle(handle->handle);
    return FileStatus::kFailed;
  }
  *file = handle.release();
  return FileStatus::kOk;
}

FileStatus Read(File *file, void *buffer, size_t size, size_t *count) {
  DWORD got = 0;
  DWORD want = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
  if (!ReadFile(file->handle, buffer, want, &got, nullptr)) return FileStatus::kFailed;
  *count = got;
  return FileStatus::kOk;
}

FileStatus CreateTemp(const char *target, std::string *tempPath, File **file) {
  static std::atomic<unsigned> counter{0};
  auto handle = std::make_unique<File>();
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = std::string(target) + ".tmp" + std::to_string(GetCurrentProcessId()) + "-" +
                std::to_string(counter.fetch_add(1));
    handle->handle = CreateFileA(tempPath->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                 FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle->handle != INVALID_HANDLE_VALUE) {
      *file = handle.release();
      return FileStatus::kOk;
    }
    if (GetLastError() != ERROR_FILE_EXISTS) return StatusOfLastError();
  }
  return FileStatus::kFailed;
}

FileStatus Write(File *file, const void *data, size_t size) {
  auto *bytes = static_cast<const char *>(data);
  while (size > 0) {
    DWORD put = 0;
    DWORD want = static_cast<DWORD>(size < kMaxTransfer ? size : kMaxTransfer);
    if (!WriteFile(file->handle, bytes, want, &put, nullptr) || put == 0)
      return FileStatus::kFailed;
    bytes += put;
    size -= put;
  }
  return FileStatus::kOk;
}

FileStatus Flush(File *file) {
  return FlushFileBuffers(file->handle) ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Close(File *file) {
  std::unique_ptr<File> handle(file);
  return CloseHandle(handle->handle) ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus Rename(const char *from, const char *to) {
  return MoveFileExA(from, to, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)
             ? FileStatus::kOk
             : StatusOfLastError();
}

// The write-through rename has already reached the disk.
FileStatus SyncDirectory(const char *) { return FileStatus::kOk; }

FileStatus Remove(const char *path) {
  return DeleteFileA(path) ? FileStatus::kOk : StatusOfLastError();
}

FileStatus Size(File *file, uint64_t *bytes) {
  LARGE_INTEGER size;
  if (!GetFileSizeEx(file->handle, &size)) return FileStatus::kFailed;
  *bytes = static_cast<uint64_t>(size.QuadPart);
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
