#include "TreeFiles.h"

#include <cctype>
#include <fstream>
#include <string>
#include <system_error>

#include "Failure.h"
#include "StoreInternals.h"
#include "StoreRef.h"
#include "TreeDocument.h"
#include "TreeFileEdit.h"
#include "frame/Frame.h"
#include "persist/SettingsFile.h"
#include "persist/SettingsLine.h"
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

bool IsSpace(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

struct FailedLine {
  size_t number = 0;
  std::string text;
};

// The first line of the settings file that fails in a store of its own,
// found by walking the text as the library's load walks it; number 0 when
// none does.
FailedLine FirstFailingLine(const std::string &text, int32_t result) {
  StoreRef scratch = StoreRef::Create();
  tiz::SettingsLineTexts texts;
  std::string_view rest = text;
  size_t number = 1;
  for (;;) {
    while (!rest.empty() && IsSpace(rest.front())) {
      if (rest.front() == '\n') ++number;
      rest.remove_prefix(1);
    }
    if (rest.empty()) return {};
    size_t newline = rest.find('\n');
    std::string_view line = rest.substr(0, newline);
    rest.remove_prefix(newline == std::string_view::npos ? rest.size() : newline);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    int32_t code = 0;
    {
      tiz::frame::LockScope lock;
      code = tiz::ParseSettingsLine(scratch.Get(), line, &texts);
    }
    if (code == result) return {number, std::string(line)};
  }
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
  tiz::ProfileDocument doc;
  Check(SaveStoreInto(store, doc), file.string(), "saving the tree file");
  WriteTreeFile(file, doc);
}

void ApplySettingsFile(uint32_t store, const fs::path &file) {
  RequireReadableFile(file);
  // An absolute name is opened as it is; a relative one would be looked up
  // in the configured directory.
  std::string name = AbsoluteOf(file).string();
  int32_t result = TIZ_LoadSettings(store, name.c_str());
  if (result == TIZ_OK) return;
  FailedLine failed = FirstFailingLine(ReadWholeTreeFile(file), result);
  if (failed.number == 0) FailWithResult(file.string(), "loading the settings file", result);
  std::string where = file.string() + ":" + std::to_string(failed.number) + ": ";
  if (result == TIZ_E_OPEN_FILE) {
    tiz::SettingsFields fields = tiz::SplitSettingsLine(failed.text);
    // The library opens the named file relative to the working directory.
    throw Failure(where + "the filebuffer line's file " +
                  AbsoluteOf(std::string(fields.field[1])).string() + " cannot be opened (" +
                  DescribeResult(result) + ")");
  }
  throw Failure(where + "the line fails: " + DescribeResult(result));
}

}  // namespace tiztool
