#include "TreeFileEdit.h"

#include <exception>
#include <system_error>
#include <vector>

#include "Failure.h"
#include "TreeDocument.h"
#include "core/Names.h"
#include "persist/ProfileEdit.h"
#include "persist/ProfileNames.h"
#include "platform/FileSystem.h"

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
                  const std::function<bool(tiz::ProfileDocument &doc)> &edit) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  if (fs::is_directory(replaced, error)) throw Failure(file.string() + ": is a directory");
  if (!fs::exists(replaced, error) && !create)
    throw Failure(file.string() + ": no such file (give --create to start a new one)");
  // The library's locked edit: the read, the edit and the replace hold the
  // file's lock, as the library's saves do. The edit works on a copy, so a
  // failure part way leaves the document unmodified and the file as it was.
  std::exception_ptr failure;
  int32_t result = tiz::EditProfileFile(replaced.string(), [&](tiz::ProfileDocument &doc) {
    try {
      tiz::ProfileDocument work(doc.Render());
      if (edit(work)) doc = std::move(work);
    } catch (...) {
      failure = std::current_exception();
    }
    return 0;
  });
  if (failure) std::rethrow_exception(failure);
  if (result != 0) {
    FailWithResult(file.string(), "reading and replacing the file", result);
  }
}

namespace {

void WriteBytes(const fs::path &file, const std::string &bytes) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  if (fs::is_directory(replaced, error)) throw Failure(file.string() + ": is a directory");
  if (tiz::platform::ReplaceFileAtomically(replaced.string().c_str(), bytes) !=
      tiz::platform::FileStatus::kOk) {
    throw Failure(file.string() + ": cannot replace the file");
  }
}

}  // namespace

void WriteTreeFile(const fs::path &file, const tiz::ProfileDocument &doc) {
  WriteBytes(file, doc.Render());
}

void CopyTreeFile(const fs::path &file, const fs::path &copy) {
  WriteBytes(copy, ReadWholeTreeFile(file));
}

void RemoveSettingSections(tiz::ProfileDocument &doc, const std::string &storeName,
                           const SettingKey &key) {
  const std::string section =
      storeName + tiz::kKeySeparator + key.group + tiz::kKeySeparator + key.item;
  const std::string below = section + tiz::kKeySeparator;
  std::vector<tiz::ProfileDocument::SectionNumber> removed;
  doc.ForEachSection([&](const tiz::ProfileDocument::SectionEntry &entry) {
    if (tiz::ProfileNamesEqual(entry.name, section) ||
        entry.name.substr(0, below.size()) == below) {
      removed.push_back(entry.number);
    }
  });
  // Numbers stay valid while sections go.
  for (tiz::ProfileDocument::SectionNumber number : removed) doc.RemoveSection(number);
}

}  // namespace tiztool
