// What a load of a settings file does otherwise than its lines say: the line
// that makes the load fail (it reads no line after it), and lines the load
// takes without a word but turns into something else, most often the DWORD
// 0 (an empty field that moves the later ones up, a type word it does not
// know, a value that is no number, a quote that is never closed). The
// library's behaviour stays; the tool names each such line.
#ifndef TIZ_TOOL_SETTINGSCHECK_H
#define TIZ_TOOL_SETTINGSCHECK_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tiztool {

struct SettingsLineNote {
  size_t line = 0;   // 1-based, counted as an editor counts
  std::string text;  // the line as the load reads it
  // The line's result when it fails the load (the load stops there), or 0.
  int32_t result = 0;
  // For a line that loads: what it stores and why that differs from what
  // it says ("stores the DWORD 0 in Empty/string: ..."); empty when it
  // loads as it says.
  std::string change;
};

// Every line with something to say, in file order, as far as the load
// reads: up to and with the first failing line. Each line is applied to a
// scratch store as the load applies it, filebuffer lines reading their
// files relative to the working directory as the library does.
std::vector<SettingsLineNote> CheckSettingsText(std::string_view text);

}  // namespace tiztool

#endif
