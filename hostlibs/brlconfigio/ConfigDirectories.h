// Where the configuration stand-in puts files: a directory named by an
// environment variable, read at every call, or else one below the user's
// data directory. Either is created on demand.
#ifndef BRLCONFIGIO_CONFIGDIRECTORIES_H
#define BRLCONFIGIO_CONFIGDIRECTORIES_H

#include <string>

namespace brlconfigio {

#ifdef _WIN32
constexpr char kPathSeparator = '\\';
#else
constexpr char kPathSeparator = '/';
#endif

// The directory named by `variable` when it is set and not empty, else
// `subdirectory` of the per-user data directory (%LOCALAPPDATA%\tiz on
// Windows, $XDG_DATA_HOME/tiz or ~/.local/share/tiz elsewhere), created if
// missing. False when there is no such directory and it cannot be made.
bool ConfiguredDirectory(const char *variable, const char *subdirectory, std::string *directory);

// `directory` and `name` joined by one separator.
std::string JoinPath(const std::string &directory, const std::string &name);

}  // namespace brlconfigio

#endif
