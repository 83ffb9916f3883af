#include "TreeFiles.h"

#include <fstream>
#include <string>
#include <system_error>

#include "Failure.h"
#include "SettingsCheck.h"
#include "StoreRef.h"
#include "TreeDocument.h"
#include "TreeFileEdit.h"
#include "TreeInspection.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

fs::path AbsoluteOf(const fs::path &file) {
  std::error_code error;
  fs::path absolute = fs::absolute(file, error);
  if (error) throw Failure(file.string() + ": " + error.message());
  return absolute.lexically_normal();
}

}  // namespace

void RequireReadableFile(const fs::path &file) {
  std::error_code error;
  fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) throw Failure(file.string() + ": no such file");
  if (fs::is_directory(status)) throw Failure(file.string() + ": is a directory");
  std::ifstream probe(file, std::ios::binary);
  if (!probe) throw Failure(file.string() + ": cannot open the file");
}

void ReplaceWholeTreeFile(uint32_t store, const fs::path &file) {
  tiz::inspect::TreeText text;
  Check(tiz::inspect::SaveTree(store, text), file.string(), "saving the tree file");
  WriteTreeFile(file, text);
}

void ApplySettingsFile(uint32_t store, const fs::path &file, std::ostream *warnings) {
  RequireReadableFile(file);
  // An absolute name is opened as it is; a relative one would be looked up
  // in the configured directory.
  std::string name = AbsoluteOf(file).string();
  int32_t result = TIZ_LoadSettings(store, name.c_str());
  std::vector<SettingsLineNote> notes;
  if (result != TIZ_OK || warnings) notes = CheckSettingsText(ReadWholeTreeFile(file));
  const SettingsLineNote *failed = nullptr;
  for (const SettingsLineNote &note : notes) {
    if (note.result != 0) {
      failed = &note;
    } else if (warnings) {
      *warnings << file.string() << ":" << note.line << ": warning: the line " << note.change
                << '\n';
    }
  }
  if (result == TIZ_OK) return;
  if (!failed || failed->result != result)
    FailWithResult(file.string(), "loading the settings file", result);
  std::string where = file.string() + ":" + std::to_string(failed->line) + ": ";
  if (result == TIZ_E_OPEN_FILE) {
    std::string_view field[tiz::inspect::kSettingsLineFields];
    tiz::inspect::SplitSettingsLine(failed->text, field);
    // The library opens the named file relative to the working directory.
    throw Failure(where + "the filebuffer line's file " +
                  AbsoluteOf(std::string(field[1])).string() + " cannot be opened (" +
                  DescribeResult(result) + ")");
  }
  throw Failure(where + "the line fails: " + DescribeResult(result));
}

}  // namespace tiztool
