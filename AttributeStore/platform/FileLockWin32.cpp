// Locks, directory listings and process checks on Windows. A lock is
// LockFileEx on the first byte of the lock file: the system drops it when its
// holder's handle closes or its process dies. The lock file is opened
// delete-on-close, so it goes away with the last handle to it, and no one
// can create a new one under the name while any handle to the old one is
// open: every holder locks the same file. A second byte is a turnstile: a
// taker holds it while it waits for the first, so takers that come later
// wait behind it, and a load waits for the save in progress, not for every
// save a busy writer starts after it.
#include <windows.h>

#include <memory>

#include "platform/Native.h"
#include "platform/PathRules.h"

namespace tiz::platform {

struct FileLock {
  HANDLE handle;
};

namespace native {

namespace {

// A save takes milliseconds; a holder that keeps the lock far longer is
// stuck, and a failed save is better than a caller blocked for good.
constexpr DWORD kLockWaitMs = 30000;
constexpr DWORD kLongestPauseMs = 16;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
constexpr DWORD kLockByte = 0, kTurnstileByte = 1;

// Readers open the lock file as writers do: a save cannot replace a tree
// file that another process has open, so a load must hold the lock even
// when no save has made the file yet.
HANDLE OpenLockFile(const char *path, bool exclusive) {
  DWORD access = (exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ) | DELETE;
  return CreateFileA(path, access, kShareAll, nullptr, OPEN_ALWAYS,
                     FILE_ATTRIBUTE_NORMAL | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
}

// Takes one byte's lock without waiting: kOk, kNotFound while another
// holder has it, kFailed for any other failure.
FileStatus TryLockByte(HANDLE handle, DWORD byte, bool exclusive) {
  OVERLAPPED at = {};
  at.Offset = byte;
  DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
  if (LockFileEx(handle, flags, 0, 1, 0, &at)) return FileStatus::kOk;
  DWORD error = GetLastError();
  return (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) ? FileStatus::kNotFound
                                                                      : FileStatus::kFailed;
}

void UnlockByte(HANDLE handle, DWORD byte) {
  OVERLAPPED at = {};
  at.Offset = byte;
  // The handle closes with the lock at the latest.
  UnlockFileEx(handle, 0, 1, 0, &at);
}

}  // namespace

FileStatus Lock(const char *path, LockKind kind, FileLock **lock) {
  const bool exclusive = kind == LockKind::kExclusive;
  // Allocated before any handle is open, so that running out of memory
  // cannot leak a held lock.
  auto held = std::make_unique<FileLock>(FileLock{INVALID_HANDLE_VALUE});
  const DWORD start = GetTickCount();
  DWORD pauseMs = 1;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool inTurnstile = false;
  for (;;) {
    bool busy = false;
    if (handle == INVALID_HANDLE_VALUE) {
      handle = OpenLockFile(path, exclusive);
      if (handle == INVALID_HANDLE_VALUE) {
        DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
          return FileStatus::kNotFound;
        // A lock file whose last handle is closing is pending deletion and
        // cannot be opened until it is gone.
        if (error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
          return FileStatus::kFailed;
        // Denied while no lock file exists: the directory refuses new files,
        // so no one can replace the guarded file either.
        if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES &&
            GetLastError() == ERROR_FILE_NOT_FOUND)
          return FileStatus::kNotFound;
        busy = true;
      }
    }
    if (!busy) {
      FileStatus status = FileStatus::kOk;
      if (!inTurnstile) {
        status = TryLockByte(handle, kTurnstileByte, true);
        inTurnstile = status == FileStatus::kOk;
      }
      if (inTurnstile) status = TryLockByte(handle, kLockByte, exclusive);
      if (status == FileStatus::kOk) {
        UnlockByte(handle, kTurnstileByte);
        held->handle = handle;
        *lock = held.release();
        return FileStatus::kOk;
      }
      if (status == FileStatus::kFailed) {
        CloseHandle(handle);
        return FileStatus::kFailed;
      }
    }
    if (GetTickCount() - start >= kLockWaitMs) {
      if (handle != INVALID_HANDLE_VALUE) CloseHandle(handle);
      return FileStatus::kFailed;
    }
    Sleep(pauseMs);
    pauseMs = pauseMs * 2 < kLongestPauseMs ? pauseMs * 2 : kLongestPauseMs;
  }
}

FileStatus Unlock(FileLock *lock) {
  std::unique_ptr<FileLock> held(lock);
  return CloseHandle(held->handle) ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus ListDirectory(const char *directory, std::vector<std::string> *names) {
  names->clear();
  std::string pattern(directory);
  // "C:" lists drive C's current directory, "C:\" its root.
  if (!pattern.empty() && !IsPathSeparator(pattern.back())) pattern += kDirectorySeparator;
  pattern += '*';
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA(pattern.c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND) return FileStatus::kOk;
    return error == ERROR_PATH_NOT_FOUND ? FileStatus::kNotFound : FileStatus::kFailed;
  }
  // Closed on every way out, running out of memory included.
  std::unique_ptr<void, BOOL(WINAPI *)(HANDLE)> search(find, FindClose);
  do {
    std::string name(entry.cFileName);
    if (name != "." && name != "..") names->push_back(std::move(name));
  } while (FindNextFileA(find, &entry));
  return FileStatus::kOk;
}

bool ProcessGone(uint32_t processId) {
  if (processId == 0) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, processId);
  // No such process is the one answer that proves it gone; no access means
  // it runs under another user.
  if (!process) return GetLastError() == ERROR_INVALID_PARAMETER;
  bool gone = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
  CloseHandle(process);
  return gone;
}

}  // namespace native
}  // namespace tiz::platform
