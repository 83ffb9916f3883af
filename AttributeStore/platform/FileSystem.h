// The library's file operations, behind one table of function pointers: the
// platform's operations fill it (Native.h: File*.cpp, FileLock*.cpp) and a
// test may replace any entry to make one step of a save or a load fail. Everything else reaches
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
  // The file that replacing `path` must replace: the final target of a
  // symbolic link (its directory gets the temporary file and the lock), or
  // `path` itself when that is no link or names nothing yet. kFailed for a
  // link that leads nowhere (dangling, looping): replacing the link would
  // cut it from the file it stands for.
  FileStatus (*replacedFile)(const char *path, std::string *target);
  // Creates a new, uniquely named file in the directory of `target`, named
  // by TemporaryPathOf (TemporaryFiles.h) so that a later save of the same
  // target can tell the leftovers of a process that died. When `target`
  // exists, the new file gets its rights (permissions, and on POSIX its owner
  // and group), and nothing is created (kFailed) when the caller could not
  // open `target` for writing (a read-only file) or cannot give the new file
  // those rights: a replace must never widen or hand over a file.
  FileStatus (*createTemp)(const char *target, std::string *tempPath, File **file);
  FileStatus (*write)(File *file, const void *data, size_t size);
  // Forces the data written so far onto the disk.
  FileStatus (*flush)(File *file);
  // Closes the file; the handle is gone whatever the result.
  FileStatus (*close)(File *file);
  // Renames `from` to `to` in one step, replacing `to`.
  FileStatus (*rename)(const char *from, const char *to);
  // Makes the last rename in the directory holding `path` durable. kOk where
  // the directory cannot be flushed (a file system without it, a directory
  // the process may not read): the rename is then as durable as the system
  // keeps it. kFailed only when the flush itself failed.
  FileStatus (*syncDirectory)(const char *path);
  FileStatus (*remove)(const char *path);
  // The size of a file open for reading, as it was when opened: a hint that
  // lets a whole file be read into one buffer, not a limit.
  FileStatus (*size)(File *file, uint64_t *bytes);
  // Takes the advisory lock of the lock file at `path`, waiting a bounded
  // time while another process holds it. Takers are served about in the
  // order they come, so a reader waits for the write in progress, never for
  // a stream of writers. The lock dies with the process that holds it, so a
  // crashed holder never blocks the others. An exclusive lock creates the
  // lock file and removes it again on unlock, and reports kNotFound when the
  // directory is missing or refuses new files (then no one can replace the
  // guarded file). A shared lock reports kNotFound where readers need none:
  // always on POSIX, where a rename replaces a file atomically even while a
  // reader has it open, and on Windows when the directory has no lock file
  // and takes none (Windows cannot replace a file a reader has open, so its
  // readers hold the lock).
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

// Reads a whole file into `contents`. `opened`, when given, tells whether the
// file opened, so that a caller can tell a file it cannot open from one
// whose read or close failed.
FileStatus ReadWholeFile(const char *path, std::string *contents, bool *opened = nullptr);
// Reads at most the first `limit` bytes of a file into `contents`; memory
// grows with what the file holds, never with the limit.
FileStatus ReadFilePrefix(const char *path, size_t limit, std::string *contents,
                          bool *opened = nullptr);
// Replaces the file at `path` by `contents`, so that a crash or failure at
// any point leaves either the old file or the new one, never a mixture: the
// text goes to a temporary file beside it, which is flushed to the disk and
// renamed over the old one, and the directory is flushed last. A symbolic
// link is written through: its target is replaced, in the target's
// directory. A file the caller could not write is left as it is (kFailed).
// kFailed after the rename means only that the directory's flush failed:
// the new file is in place but may not survive a power loss.
FileStatus ReplaceFileAtomically(const char *path, std::string_view contents);
// The same for contents made piece by piece: `produce` hands each piece, in
// order, to the writer it is given, and stops when the writer gives false.
// The status of the first failing step is the result.
using PieceWriter = std::function<bool(std::string_view piece)>;
FileStatus ReplaceFileAtomically(const char *path,
                                 const std::function<void(const PieceWriter &write)> &produce);

}  // namespace tiz::platform

#endif
