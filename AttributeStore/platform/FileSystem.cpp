// The native table, the table in use and the whole-file helpers built on it;
// no platform call here, so a replaced entry affects every path through the
// library.
#include "platform/FileSystem.h"

#include "platform/Native.h"

namespace tiz::platform {

namespace {

constexpr size_t kReadChunk = 64 * 1024;

// Closes on every way out; a failed close turns success into failure.
class OpenFile {
 public:
  explicit OpenFile(File *file) : m_file(file) {}
  ~OpenFile() {
    if (m_file) Files().close(m_file);
  }
  OpenFile(const OpenFile &) = delete;
  OpenFile &operator=(const OpenFile &) = delete;
  File *get() const { return m_file; }
  FileStatus Close() {
    File *file = m_file;
    m_file = nullptr;
    return Files().close(file);
  }

 private:
  File *m_file;
};

FileStatus OpenForReading(const char *path, File **file) {
  *file = nullptr;
  return Files().openRead(path, file);
}

}  // namespace

const FileSystem &NativeFileSystem() {
  static const FileSystem table = {native::OpenRead,   native::Read,          native::ReplacedFile,
                                   native::CreateTemp, native::Write,         native::Flush,
                                   native::Close,      native::Rename,        native::SyncDirectory,
                                   native::Remove,     native::Size,          native::Lock,
                                   native::Unlock,     native::ListDirectory, native::ProcessGone};
  return table;
}

FileSystem &Files() {
  static FileSystem table = NativeFileSystem();
  return table;
}

FileStatus ReadWholeFile(const char *path, std::string *contents, bool *opened) {
  return ReadFilePrefix(path, static_cast<size_t>(-1), contents, opened);
}

FileStatus ReadFilePrefix(const char *path, size_t limit, std::string *contents, bool *opened) {
  contents->clear();
  if (opened) *opened = false;
  File *raw = nullptr;
  FileStatus status = OpenForReading(path, &raw);
  if (status != FileStatus::kOk) return status;
  if (opened) *opened = true;
  OpenFile file(raw);
  // A file read at its known size needs one buffer and no copy: room for
  // that size and for the byte whose read meets the end.
  size_t want = kReadChunk;
  uint64_t size = 0;
  if (Files().size(file.get(), &size) == FileStatus::kOk && size < limit)
    want = static_cast<size_t>(size) + 1;
  while (contents->size() < limit) {
    size_t used = contents->size();
    size_t chunk = want < limit - used ? want : limit - used;
    contents->resize(used + chunk);
    size_t count = 0;
    status = Files().read(file.get(), &(*contents)[used], chunk, &count);
    contents->resize(used + (status == FileStatus::kOk ? count : 0));
    // A file that opened and then failed is no missing file, whatever the
    // platform says.
    if (status != FileStatus::kOk) return FileStatus::kFailed;
    if (count == 0) break;
    // The rest of a buffer partly filled first, then more room.
    want = count < chunk ? chunk - count : kReadChunk;
  }
  return file.Close() == FileStatus::kOk ? FileStatus::kOk : FileStatus::kFailed;
}

FileStatus ReplaceFileAtomically(const char *path, std::string_view contents) {
  return ReplaceFileAtomically(path, [contents](const PieceWriter &write) { write(contents); });
}

FileStatus ReplaceFileAtomically(const char *path,
                                 const std::function<void(const PieceWriter &write)> &produce) {
  std::string target;
  FileStatus status = Files().replacedFile(path, &target);
  if (status != FileStatus::kOk) return status;
  path = target.c_str();
  std::string tempPath;
  File *raw = nullptr;
  status = Files().createTemp(path, &tempPath, &raw);
  if (status != FileStatus::kOk) return status;
  {
    OpenFile file(raw);
    try {
      produce([&](std::string_view piece) {
        if (status == FileStatus::kOk)
          status = Files().write(file.get(), piece.data(), piece.size());
        return status == FileStatus::kOk;
      });
    } catch (...) {
      // Memory ran out making the contents: no half-written file is left.
      file.Close();
      Files().remove(tempPath.c_str());
      throw;
    }
    if (status == FileStatus::kOk) status = Files().flush(file.get());
    FileStatus closed = file.Close();
    if (status == FileStatus::kOk) status = closed;
  }
  if (status == FileStatus::kOk) status = Files().rename(tempPath.c_str(), path);
  if (status != FileStatus::kOk) {
    Files().remove(tempPath.c_str());
    return status;
  }
  return Files().syncDirectory(path);
}

}  // namespace tiz::platform
