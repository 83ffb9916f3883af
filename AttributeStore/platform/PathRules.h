// How the platform spells file paths: the separator it puts between a
// directory and a name, the characters that end a directory part, and names
// that start at the root of the file system.
#ifndef TIZ_PLATFORM_PATHRULES_H
#define TIZ_PLATFORM_PATHRULES_H

#include <string_view>

namespace tiz::platform {

#ifdef _WIN32
constexpr char kDirectorySeparator = '\\';
// A drive letter's colon ends a directory part too ("C:name").
inline bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }
// Rooted names carry a drive (a colon), which callers check on every platform.
inline bool StartsAtFileSystemRoot(std::string_view) { return false; }
#else
constexpr char kDirectorySeparator = '/';
// A backslash is taken as a separator too: names written for Windows work.
inline bool IsPathSeparator(char c) { return c == '/' || c == '\\'; }
inline bool StartsAtFileSystemRoot(std::string_view name) {
  return !name.empty() && name.front() == '/';
}
#endif

}  // namespace tiz::platform

#endif
