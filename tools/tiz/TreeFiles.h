// Settings files and new tree files, through the library.
#ifndef TIZ_TOOL_TREEFILES_H
#define TIZ_TOOL_TREEFILES_H

#include <cstdint>
#include <filesystem>
#include <ostream>

namespace tiztool {

// Fails unless `file` is an existing, readable file. The library itself
// reads a missing file as an empty one; the tool refuses it.
void RequireReadableFile(const std::filesystem::path &file);

// Saves `store` and everything below it as the whole tree file, replacing
// what was there (the library's save into an existing file would keep the
// sections it does not write).
void ReplaceWholeTreeFile(uint32_t store, const std::filesystem::path &file);

// Applies the settings file to `store` with the library's load. When a line
// fails, the message names the file, the line and what the line asked for.
// With `warnings`, each line the load silently takes as something else is
// named there, "FILE:LINE: warning: the line stores ...".
void ApplySettingsFile(uint32_t store, const std::filesystem::path &file,
                       std::ostream *warnings = nullptr);

}  // namespace tiztool

#endif
