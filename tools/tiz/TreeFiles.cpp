#include "TreeFiles.h"

#include <fstream>
#include <random>
#include <string>
#include <system_error>

#include "Failure.h"
#include "ProcessEnvironment.h"
#include "ScratchDirectory.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

// Where the configuration library looks for tree files and settings files.
constexpr const char *kTreeDirectoryVariable = "TIZ_PERSIST_DIR";
constexpr const char *kSettingsDirectoryVariable = "TIZ_SETTINGS_DIR";

fs::path AbsoluteOf(const fs::path &file) {
  std::error_code error;
  fs::path absolute = fs::absolute(file, error);
  if (error) throw Failure(file.string() + ": " + error.message());
  return absolute.lexically_normal();
}

// The library keeps only the last component of a tree file's name, cut at
// any '/' or '\\' (and ':' on Windows), and the configuration library takes
// nothing else. A name that passes through unchanged is plain.
bool IsPlainFileName(const std::string &name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of("/\\:") == std::string::npos;
}

// A name of its own for a file written next to `directory`'s others.
fs::path FreshFileIn(const fs::path &directory) {
  std::random_device entropy;
  std::error_code error;
  for (;;) {
    fs::path candidate = directory / (".tiz-new-" + std::to_string(entropy() % 100000000));
    if (!fs::exists(candidate, error)) return candidate;
  }
}

// Loads the tree file that the library's configured directory holds under
// the plain name `name`.
void LoadPlainTreeFile(uint32_t store, const fs::path &directory, const std::string &name,
                       const std::string &shown) {
  SetEnvironmentVariable(kTreeDirectoryVariable, directory.string());
  Check(TIZ_Deserialize(store, name.c_str()), shown, "loading the tree file");
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

void LoadTreeFile(uint32_t store, const fs::path &file) {
  RequireReadableFile(file);
  fs::path absolute = AbsoluteOf(file);
  std::string name = absolute.filename().string();
  if (IsPlainFileName(name)) {
    LoadPlainTreeFile(store, absolute.parent_path(), name, file.string());
    return;
  }
  // Any other name reaches the library as a copy under a plain one.
  ScratchDirectory scratch;
  std::error_code error;
  fs::copy_file(absolute, scratch.Path() / "copy.tree", error);
  if (error) throw Failure(file.string() + ": cannot copy the file: " + error.message());
  LoadPlainTreeFile(store, scratch.Path(), "copy.tree", file.string());
}

void SaveTreeFile(uint32_t store, const fs::path &file) {
  fs::path absolute = AbsoluteOf(file);
  std::error_code error;
  // A link is followed: the file it names is the one replaced.
  if (fs::path target = fs::canonical(absolute, error); !error) absolute = target;
  fs::path directory = absolute.parent_path();
  if (!fs::is_directory(directory, error)) throw Failure(file.string() + ": no such directory");
  if (fs::is_directory(absolute, error)) throw Failure(file.string() + ": is a directory");

  fs::path fresh = FreshFileIn(directory);
  SetEnvironmentVariable(kTreeDirectoryVariable, directory.string());
  int32_t result = TIZ_Serialize(store, fresh.filename().string().c_str());
  if (result != TIZ_OK) {
    fs::remove(fresh, error);
    FailWithResult(file.string(), "saving the tree file", result);
  }
  // A store without settings writes nothing; its tree file is an empty one.
  if (!fs::exists(fresh, error) && !std::ofstream(fresh, std::ios::binary)) {
    throw Failure(file.string() + ": cannot write the file");
  }
  fs::file_status replaced = fs::status(absolute, error);
  if (fs::exists(replaced)) fs::permissions(fresh, replaced.permissions(), error);
  fs::rename(fresh, absolute, error);
  if (error) {
    fs::remove(fresh, error);
    throw Failure(file.string() + ": cannot replace the file");
  }
}

void ApplySettingsFile(uint32_t store, const fs::path &file) {
  RequireReadableFile(file);
  fs::path absolute = AbsoluteOf(file);
  std::string name = absolute.filename().string();
  // The library opens a name holding ':' as it is and looks any other name
  // up in the configured directory.
  if (absolute.string().find(':') != std::string::npos) {
    name = absolute.string();
  } else {
    SetEnvironmentVariable(kSettingsDirectoryVariable, absolute.parent_path().string());
  }
  Check(TIZ_LoadSettings(store, name.c_str()), file.string(), "loading the settings file");
}

}  // namespace tiztool
