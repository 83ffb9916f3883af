// What each platform's files (*Posix.cpp, *Win32.cpp, chosen by the build)
// give the files common to every platform. Nothing outside platform/
// includes this: the rest of the library reaches these operations through
// the file table (FileSystem.h) and the functions of Platform.h, Trace.h and
// AnsiText.h.
#ifndef TIZ_PLATFORM_NATIVE_H
#define TIZ_PLATFORM_NATIVE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "platform/FileSystem.h"

namespace tiz::platform::native {

// The file operations, as the file table describes them (File*.cpp).
FileStatus OpenRead(const char *path, File **file);
FileStatus Read(File *file, void *buffer, size_t size, size_t *count);
FileStatus ReplacedFile(const char *path, std::string *target);
FileStatus CreateTemp(const char *target, std::string *tempPath, File **file);
FileStatus Write(File *file, const void *data, size_t size);
FileStatus Flush(File *file);
FileStatus Close(File *file);
FileStatus Rename(const char *from, const char *to);
FileStatus SyncDirectory(const char *path);
FileStatus Remove(const char *path);
FileStatus Size(File *file, uint64_t *bytes);

// Locks, directory listings and the question whether a process still runs
// (FileLock*.cpp).
FileStatus Lock(const char *path, LockKind kind, FileLock **lock);
FileStatus Unlock(FileLock *lock);
FileStatus ListDirectory(const char *directory, std::vector<std::string> *names);
bool ProcessGone(uint32_t processId);

// Whether the byte starts a double-byte character in the process's ANSI
// code page (CodePage*.cpp).
bool IsLeadByteOfProcessCodePage(unsigned char byte);

// Writes one finished trace line where the platform shows them (Trace*.cpp).
void WriteTraceLine(const char *line);

}  // namespace tiz::platform::native

#endif
