// Naming a setting on the command line: GROUP ITEM for a setting of the top
// store, or a path as diff prints it, GROUP/ITEM with the group and item of
// each setting that holds a nested store before it
// (Stage/Deskew/Crop/Width). In a path a '/' or '\' of a name is written as
// diff writes it: \x2F and \\.
#ifndef TIZ_TOOL_SETTINGPATH_H
#define TIZ_TOOL_SETTINGPATH_H

#include <string>
#include <vector>

#include "StoreKeys.h"
#include "StoreRef.h"

namespace tiztool {

struct SettingPath {
  std::vector<SettingKey> holders;  // the settings that hold the nested stores, outermost first
  SettingKey key;                   // the setting itself

  std::string Text() const;  // as diff prints it
};

// From one PATH argument or from GROUP and ITEM; texts in UTF-8 are
// converted to the code page. An empty group or item is a UsageError.
SettingPath ParseSettingPath(const std::vector<std::string> &arguments);

// One name of a path as diff prints it: in UTF-8, control bytes escaped,
// '/' as \x2F.
std::string PathComponent(const std::string &name);

// The store that holds the setting: `top` for a path without holders, else
// the nested store of the last holder, found in each store itself. Fails,
// naming `file` and the part of the path that is missing.
StoreRef StoreHolding(uint32_t top, const SettingPath &path, const std::string &file);

}  // namespace tiztool

#endif
