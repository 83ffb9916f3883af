#include "ConfigDirectories.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>

#include <cerrno>
#endif

namespace brlconfigio {

namespace {

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

bool IsDirectory(const std::string &path) {
#ifdef _WIN32
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
#else
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
#endif
}

bool MakeOneDirectory(const std::string &path) {
#ifdef _WIN32
  return CreateDirectoryA(path.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
#else
  return ::mkdir(path.c_str(), 0777) == 0 || errno == EEXIST;
#endif
}

// Creates the directory and every missing parent of it.
bool MakeDirectories(const std::string &path) {
  if (IsDirectory(path)) return true;
  for (size_t i = 1; i < path.size(); ++i) {
    if (IsSeparator(path[i]) && !IsSeparator(path[i - 1])) MakeOneDirectory(path.substr(0, i));
  }
  MakeOneDirectory(path);
  return IsDirectory(path);
}

const char *NonEmptyVariable(const char *name) {
  const char *value = std::getenv(name);
  return (value && *value) ? value : nullptr;
}

bool UserDataDirectory(std::string *directory) {
#ifdef _WIN32
  const char *base = NonEmptyVariable("LOCALAPPDATA");
  if (!base) base = NonEmptyVariable("APPDATA");
  if (!base) return false;
  *directory = JoinPath(base, "tiz");
#else
  if (const char *xdg = NonEmptyVariable("XDG_DATA_HOME"); xdg && xdg[0] == '/') {
    *directory = JoinPath(xdg, "tiz");
  } else if (const char *home = NonEmptyVariable("HOME")) {
    *directory = JoinPath(JoinPath(home, ".local/share"), "tiz");
  } else {
    return false;
  }
#endif
  return true;
}

}  // namespace

std::string JoinPath(const std::string &directory, const std::string &name) {
  if (directory.empty() || IsSeparator(directory.back())) return directory + name;
  return directory + kPathSeparator + name;
}

bool ConfiguredDirectory(const char *variable, const char *subdirectory, std::string *directory) {
  if (const char *configured = NonEmptyVariable(variable)) {
    *directory = configured;
  } else {
    if (!UserDataDirectory(directory)) return false;
    *directory = JoinPath(*directory, subdirectory);
  }
  return MakeDirectories(*directory);
}

}  // namespace brlconfigio
