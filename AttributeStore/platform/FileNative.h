// The native operations of the file table that live outside the file
// implementations of FilePosix.cpp and FileWin32.cpp: locks, directory
// listings and the question whether a process still runs.
#ifndef TIZ_PLATFORM_FILENATIVE_H
#define TIZ_PLATFORM_FILENATIVE_H

#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tiz::platform::native {

FileStatus Lock(const char *path, LockKind kind, FileLock **lock);
FileStatus Unlock(FileLock *lock);
FileStatus ListDirectory(const char *directory, std::vector<std::string> *names);
bool ProcessGone(uint32_t processId);

}  // namespace tiz::platform::native

#endif
