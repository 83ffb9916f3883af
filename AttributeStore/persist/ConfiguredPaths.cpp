#include "persist/ConfiguredPaths.h"

#include <utility>

#include "configlib/ConfigLibrary.h"
#include "platform/PathRules.h"
#include "platform/Platform.h"

namespace tiz {

namespace {

// A name with a drive or a colon anywhere is taken as a whole path on every
// platform, as is one that starts at the file system's root.
bool IsAbsoluteSettingsName(std::string_view name) {
  return platform::StartsAtFileSystemRoot(name) || name.find(':') != std::string_view::npos;
}

// Where a tree file's name ends a directory part. A name written on Windows
// loses its directories on every platform: a backslash ends a directory part
// here too, whatever the file system makes of it.
bool EndsDirectoryOfAName(char c) { return platform::IsPathSeparator(c) || c == '\\'; }

}  // namespace

std::string_view LastPathComponent(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    auto c = static_cast<unsigned char>(path[i]);
    if (platform::IsLeadByte(c) && i + 1 < path.size()) {
      ++i;  // the second byte of a double-byte character is never a separator
      continue;
    }
    if (EndsDirectoryOfAName(path[i]) && i + 1 < path.size() && !EndsDirectoryOfAName(path[i + 1]))
      start = i + 1;
  }
  return path.substr(start);
}

int32_t ResolvePersistPath(std::string_view fileName, std::string *path) {
  return configlib::TreeFilePath(std::string(LastPathComponent(fileName)), path);
}

int32_t ResolveSettingsPath(std::string_view fileName, std::string *path) {
  if (fileName.empty() || IsAbsoluteSettingsName(fileName)) {
    *path = std::string(fileName);
    return 0;
  }
  std::string directory;
  int32_t result = configlib::SettingsDirectory(&directory);
  if (result < 0) return result;
  *path = std::move(directory);
  path->push_back(platform::kDirectorySeparator);
  path->append(fileName);
  return 0;
}

}  // namespace tiz
