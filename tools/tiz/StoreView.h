// A store read out through the library's getters, setting by setting, with
// its nested stores read out below the settings that hold them. The printers
// and `diff` work on this copy, never on the live store.
#ifndef TIZ_TOOL_STOREVIEW_H
#define TIZ_TOOL_STOREVIEW_H

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "StoreKeys.h"

namespace tiztool {

struct StoreView;

struct SettingView {
  std::string group;
  std::string item;
  int32_t type = 0;
  uint32_t size = 0;
  std::string display;                // the library's display text, where read
  uint32_t number = 0;                // DWORD value, IMAGE handle
  double real = 0;                    // DOUBLE value
  std::string bytes;                  // STRING text, BUFFER bytes
  std::unique_ptr<StoreView> nested;  // ATTRIBUTESTORE, when it holds one
};

struct StoreView {
  std::string name;
  bool shownAbove = false;  // reached before: its settings are listed there
  std::vector<SettingView> settings;
};

// Reads every setting the store holds, and the stores below it; a store
// reached a second time is named but not read again. `file` names the
// source in error messages. Without `displays`, the library's display text
// is read only for the values that have no other text (UNDEFINED,
// USERDEFINED): formatting every value twice would double the cost of a
// large file.
StoreView ReadStore(uint32_t store, const std::string &file, bool displays = true);

// Reads one setting of the store; its result code when the store itself does
// not hold it (2, or an error).
int32_t ReadSetting(uint32_t store, const SettingKey &key, const std::string &file,
                    SettingView *out);

}  // namespace tiztool

#endif
