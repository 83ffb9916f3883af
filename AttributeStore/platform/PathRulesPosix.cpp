// Paths on POSIX systems: a slash is the only separator; a backslash is a
// character of a name like any other.
#include "platform/PathRules.h"

namespace tiz::platform {

const char kDirectorySeparator = '/';

bool IsPathSeparator(char c) { return c == '/'; }

bool StartsAtFileSystemRoot(std::string_view name) { return !name.empty() && name.front() == '/'; }

}  // namespace tiz::platform
