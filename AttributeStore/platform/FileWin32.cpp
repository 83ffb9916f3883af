// File operations on Windows: ANSI paths, handles shared with every other
// process, a write-through rename for durability.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "platform/Native.h"
#include "platform/TemporaryFiles.h"

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

}  // namespace

namespace native {

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

FileStatus ReplacedFile(const char *path, std::string *target) {
  DWORD attributes = GetFileAttributesA(path);
  if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
    *target = path;
    return FileStatus::kOk;
  }
  // A link: the file it leads to, found by opening it through the link; a
  // link that leads nowhere does not open.
  HANDLE link =
      CreateFileA(path, 0, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (link == INVALID_HANDLE_VALUE) return FileStatus::kFailed;
  char name[MAX_PATH + 8];
  DWORD length = GetFinalPathNameByHandleA(link, name, sizeof name, VOLUME_NAME_DOS);
  CloseHandle(link);
  if (length == 0 || length >= sizeof name) return FileStatus::kFailed;
  std::string resolved(name, length);
  // "\\?\C:\..." and "\\?\UNC\server\..." back to the forms
  // "C:\..." and "\\server\..." that the ANSI functions take.
  static const char kLong[] = R"(\\?\)", kLongUnc[] = R"(\\?\UNC\)";
  if (resolved.compare(0, sizeof kLongUnc - 1, kLongUnc) == 0)
    resolved = R"(\\)" + resolved.substr(sizeof kLongUnc - 1);
  else if (resolved.compare(0, sizeof kLong - 1, kLong) == 0)
    resolved.erase(0, sizeof kLong - 1);
  *target = resolved;
  return FileStatus::kOk;
}

namespace {

// Whether the caller could open an existing `target` for writing, as Win32's
// writers must: a read-only file, or one its access rights close to the
// caller, is not replaced. No file yet is no refusal.
FileStatus CheckWritable(const char *target) {
  DWORD attributes = GetFileAttributesA(target);
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    DWORD error = GetLastError();
    return (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) ? FileStatus::kOk
                                                                            : FileStatus::kFailed;
  }
  if (attributes & FILE_ATTRIBUTE_READONLY) return FileStatus::kFailed;
  // A directory in the file's place fails the rename.
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return FileStatus::kOk;
  HANDLE probe = CreateFileA(target, GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
  if (probe == INVALID_HANDLE_VALUE) return FileStatus::kFailed;
  CloseHandle(probe);
  return FileStatus::kOk;
}

}  // namespace

FileStatus CreateTemp(const char *target, std::string *tempPath, File **file) {
  static std::atomic<unsigned> counter{0};
  if (CheckWritable(target) != FileStatus::kOk) return FileStatus::kFailed;
  auto handle = std::make_unique<File>();
  for (int attempt = 0; attempt < 100; ++attempt) {
    *tempPath = TemporaryPathOf(target, GetCurrentProcessId(), counter.fetch_add(1));
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

}  // namespace native

}  // namespace tiz::platform
