// How setting values are written as text by the tool, and read from the
// command line.
#ifndef TIZ_TOOL_VALUETEXT_H
#define TIZ_TOOL_VALUETEXT_H

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "StoreView.h"

namespace tiztool {

// The library's type keyword: "DWORD", "STRING", ...
std::string TypeKeyword(int32_t type);

// A text safe to print on one line: control bytes show as \t, \n, \r or
// \xNN, and a backslash as "\\".
std::string Printable(std::string_view text);

// The value part of the library's display text ("12" of "DWORD:\t12"),
// printable.
std::string DisplayedValue(const SettingView &setting);

// The exact value, as `get` prints it and `set` reads it back: DWORD as an
// unsigned decimal, DOUBLE as the shortest text that reads back the same
// number, STRING as is, BUFFER as uppercase hex, IMAGE as its handle, a
// store as its printable name.
std::string ExactValue(const SettingView &setting);

std::string HexOf(std::string_view bytes);
std::optional<std::string> BytesOfHex(std::string_view hex);

// A DWORD from a decimal or 0x hex number; negative numbers down to
// -2147483648 give their two's complement, as the settings files do.
std::optional<uint32_t> ParseDword(std::string_view text);
std::optional<double> ParseDouble(std::string_view text);

}  // namespace tiztool

#endif
