// Setting a variable of the tool's own environment. The configuration
// library reads the directories of tree and settings files from there, so
// this is how the tool points the library at the file the user named.
#ifndef TIZ_TOOL_PROCESSENVIRONMENT_H
#define TIZ_TOOL_PROCESSENVIRONMENT_H

#include <string>

namespace tiztool {

void SetEnvironmentVariable(const char *name, const std::string &value);

}  // namespace tiztool

#endif
