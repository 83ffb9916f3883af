// How the platform's file system spells paths: the separator it puts between
// a directory and a name, the characters that end a directory part, and
// names that start at the root of the file system. Defined in
// PathRulesPosix.cpp and PathRulesWin32.cpp.
#ifndef TIZ_PLATFORM_PATHRULES_H
#define TIZ_PLATFORM_PATHRULES_H

#include <string_view>

namespace tiz::platform {

extern const char kDirectorySeparator;
// True for a character that ends a directory part of a path, as the file
// system reads the path: what follows it is a name in that directory.
bool IsPathSeparator(char c);
bool StartsAtFileSystemRoot(std::string_view name);

}  // namespace tiz::platform

#endif
