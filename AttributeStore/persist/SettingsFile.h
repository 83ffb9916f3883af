// Settings files: plain text, one setting per line, applied to a store with
// the default confidence.
#ifndef TIZ_PERSIST_SETTINGSFILE_H
#define TIZ_PERSIST_SETTINGSFILE_H

#include <cstdint>
#include <string>
#include <string_view>

namespace tiz {

// Finds the file (ResolveSettingsPath), reads it whole and applies its lines
// in order. 0 for an empty name or a file that cannot be opened;
// TIZ_E_OPEN_FILE, with nothing applied, for a file that opened but could
// not be read to its end; otherwise the first failing line's code, which
// ends the load (earlier lines stay).
int32_t LoadSettingsFile(uint32_t hAttrStore, std::string_view fileName);

// The C strings the setters take, kept from line to line: a file of many
// lines then allocates none per line.
struct SettingsLineTexts {
  std::string group, value, item;
};

// Applies one line (blanks before it already skipped). The store is looked
// up again for every line, since a replaced structure's release callback
// may have released it (-16).
int32_t ParseSettingsLine(uint32_t hAttrStore, std::string_view line, SettingsLineTexts *texts);

}  // namespace tiz

#endif
