// Where tree files and settings files live: the caller names a file, the
// product's configuration library decides the directory.
#ifndef TIZ_PERSIST_CONFIGUREDPATHS_H
#define TIZ_PERSIST_CONFIGUREDPATHS_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tiz {

// The last component of a path, as the platform's file-name finder gives it:
// the text after the last '/' or '\' (and ':' on Windows) that is followed
// by more than separators, so "dir\name\" gives "name\".
std::string_view LastPathComponent(std::string_view path);

// The path of a tree file: the last component of `fileName` becomes the
// destination of the configuration parameter for persisted bags, and the
// configuration's answer is the path. 0, or the configuration library's code.
int32_t ResolvePersistPath(std::string_view fileName, std::string *path);

// The path of a settings file: a name holding ':' (or, off Windows, starting
// with '/') as it is; any other non-empty name in the configured settings
// directory. 0 (with an empty path for an empty name), or the configuration
// library's negative code.
int32_t ResolveSettingsPath(std::string_view fileName, std::string *path);

}  // namespace tiz

#endif
