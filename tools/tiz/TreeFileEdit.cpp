#include "TreeFileEdit.h"

#include <string>
#include <system_error>

#include "Failure.h"
#include "TreeDocument.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

// The file that a write to `file` replaces: a link's target, not the link.
fs::path ReplacedFile(const fs::path &file) {
  std::error_code error;
  fs::path absolute = fs::absolute(file, error);
  if (error) throw Failure(file.string() + ": " + error.message());
  if (fs::path target = fs::canonical(absolute, error); !error) return target;
  if (!fs::is_directory(absolute.parent_path(), error))
    throw Failure(file.string() + ": no such directory");
  return absolute;
}

}  // namespace

void EditTreeFile(const fs::path &file, bool create,
                  const std::function<bool(tiz::inspect::TreeText &text)> &edit) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  if (fs::is_directory(replaced, error)) throw Failure(file.string() + ": is a directory");
  if (!fs::exists(replaced, error) && !create)
    throw Failure(file.string() + ": no such file (give --create to start a new one)");
  // The library's locked edit: the read, the edit and the replace hold the
  // file's lock, as the library's saves do.
  int32_t result = tiz::inspect::EditTreeFile(replaced.string(), edit);
  if (result != 0) FailWithResult(file.string(), "reading and replacing the file", result);
}

namespace {

void WriteBytes(const fs::path &file, const std::string &bytes) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  if (fs::is_directory(replaced, error)) throw Failure(file.string() + ": is a directory");
  if (!tiz::inspect::ReplaceFile(replaced.string(), bytes))
    throw Failure(file.string() + ": cannot replace the file");
}

}  // namespace

void WriteTreeFile(const fs::path &file, const tiz::inspect::TreeText &text) {
  WriteBytes(file, text.Render());
}

void CopyTreeFile(const fs::path &file, const fs::path &copy) {
  WriteBytes(copy, ReadWholeTreeFile(file));
}

}  // namespace tiztool
