// The library's file operations, behind one table of function pointers: the
// platform fills it (FilePosix.cpp, FileWin32.cpp) and a test may replace any
// entry to make one step of a save or a load fail. Everything else reaches
// files only through the helpers at the end, which use the table.
#ifndef TIZ_PLATFORM_FILESYSTEM_H
#define TIZ_PLATFORM_FILESYSTEM_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace tiz::platform {

enum class FileStatus {
  kOk,
  kNotFound,  // the file (or its directory) does not exist
  kFailed,    // any other failure: no access, not a regular file, I/O error
};

// An open file of the platform; only the table's operations look inside.
struct File;
// A held advisory lock of a lock file.
struct FileLock;

enum class LockKind {
  kShared,     // readers: any number at once, none while a writer holds it
  kExclusive,  // one writer, no readers
};

struct FileSystem {
  // Opens an existing regular file for reading, denying other processes no
  // access to it.
  FileStatus (*openRead)(const char *path, File **file);
  // Reads up to `size` bytes; *count receives how many (0 at the end).
  FileStatus (*read)(File *file, void *buffer, size_t size, size_t *count);
  // Creates a new, uniquely named file in the directory of `target`, named
  // "<target>.tmp<process id>-<number>" so that a later save of the same
  // target can tell the leftovers of a process that died.
  FileStatus (*createTemp)(const char *target, std::string *tempPath, File **file);
  FileStatus (*write)(File *file, const void *data, size_t size);
  // Forces the data written so far onto the disk.
  FileStatus (*flush)(File *file);
  // Closes the file; the handle is gone whatever the result.
  FileStatus (*close)(File *file);
  // Renames `from` to `to` in one step, replacing `to`.
  FileStatus (*rename)(const char *from, const char *to);
  // Makes the last rename in the directory holding `path` durable.
  FileStatus (*syncDirectory)(const char *path);
  FileStatus (*remove)(const char *path);
  // The size of a file open for reading, as it was when opened: a hint that
  // lets a whole file be read into one buffer, not a limit.
  FileStatus (*size)(File *file, uint64_t *bytes);
  // Takes the advisory lock of the lock file at `path`, waiting a bounded
  // time while another process holds it. The lock dies with the process that
  // holds it, so a crashed holder never blocks the others. An exclusive lock
  // creates the lock file and removes it again on unlock, and reports
  // kNotFound when the directory is missing or refuses new files (then no one
  // can replace the guarded file); a shared lock reports kNotFound when
  // there is no lock file and it made none (POSIX makes none: replacing a
  // file that a reader has open is safe there; Windows makes one, as it is
  // not), so no writer holds the lock.
  FileStatus (*lock)(const char *path, LockKind kind, FileLock **lock);
  // Releases the lock; the handle is gone whatever the result.
  FileStatus (*unlock)(FileLock *lock);
  // The names of the entries of a directory, without "." and "..".
  FileStatus (*listDirectory)(const char *directory, std::vector<std::string> *names);
  // True only when no process with this id runs any more.
  bool (*processGone)(uint32_t processId);
};

// The platform's own operations.
const FileSystem &NativeFileSystem();
// The table in use, the native one unless a test replaced entries.
FileSystem &Files();

// Reads a whole file into `contents`.
FileStatus ReadWholeFile(const char *path, std::string *contents);
// Reads at most the first `limit` bytes of a file into `contents`; memory
// grows with what the file holds, never with the limit.
FileStatus ReadFilePrefix(const char *path, size_t limit, std::string *contents);
// Replaces the file at `path` by `contents`, so that a crash or failure at
// any point leaves either the old file or the new one, never a mixture: the
// text goes to a temporary file beside it, which is flushed to the disk and
// renamed over the old one, and the directory is flushed last.
FileStatus ReplaceFileAtomically(const char *path, std::string_view contents);
// The same for contents made piece by piece: `produce` hands each piece, in
// order, to the writer it is given, and stops when the writer gives false.
// The status of the first failing step is the result.
using PieceWriter = std::function<bool(std::string_view piece)>;
FileStatus ReplaceFileAtomically(const char *path,
                                 const std::function<void(const PieceWriter &write)> &produce);

// Removes the temporary files that replaces of `path` by processes that no
// longer run left beside it (a crash between creating one and renaming it).
// Call it only while holding the exclusive lock of `path`; a failure leaves
// the files for a later try.
void RemoveStaleTemporaries(const char *path);

}  // namespace tiz::platform

#endif
