// Paths on Windows: either slash separates, and a drive letter's colon ends
// a directory part too ("C:name" is a name in drive C's current directory).
#include "platform/PathRules.h"

namespace tiz::platform {

const char kDirectorySeparator = '\\';

bool IsPathSeparator(char c) { return c == '/' || c == '\\' || c == ':'; }

// Rooted names carry a drive (a colon), which callers check on every platform.
bool StartsAtFileSystemRoot(std::string_view) { return false; }

}  // namespace tiz::platform
