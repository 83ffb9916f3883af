// Reading and writing the files the user names, through the library: tree
// files with TIZ_Deserialize / TIZ_Serialize, settings files with
// TIZ_LoadSettings. The library resolves file names through the
// configuration library, so each call first points the configured directory
// at the directory of the file.
#ifndef TIZ_TOOL_TREEFILES_H
#define TIZ_TOOL_TREEFILES_H

#include <cstdint>
#include <filesystem>

namespace tiztool {

// Fails unless `file` is an existing, readable file. The library itself
// reads a missing file as an empty one; the tool refuses it.
void RequireReadableFile(const std::filesystem::path &file);

// Loads the tree file into `store`.
void LoadTreeFile(uint32_t store, const std::filesystem::path &file);

// Saves `store` as the tree file, replacing what was there: the library's
// save writes over sections but never removes one, so it writes a fresh file
// beside the old one and then puts it in its place. Tree files are named to
// the library by their last path component only; the fresh file's name is
// always a plain one.
void SaveTreeFile(uint32_t store, const std::filesystem::path &file);

// Applies the settings file to `store`.
void ApplySettingsFile(uint32_t store, const std::filesystem::path &file);

}  // namespace tiztool

#endif
