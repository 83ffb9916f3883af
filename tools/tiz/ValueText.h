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

// A text of the library for the terminal: converted from the ANSI code page
// to UTF-8, then made printable.
std::string TerminalText(std::string_view text);

// The value part of the library's display text ("12" of "DWORD:\t12"),
// for the terminal.
std::string DisplayedValue(const SettingView &setting);

// The exact value for the terminal, on one line: ExactValue in UTF-8,
// made printable.
std::string ShownValue(const SettingView &setting);

// The exact value, the one rendering of a value in show, get, diff and
// JSON: DWORD as an unsigned decimal, DOUBLE as the shortest text that
// reads back the same number ("nan", "inf", "-inf" for those), STRING as is
// (in the code page), BUFFER as uppercase hex, IMAGE as its handle, a store
// as its name.
std::string ExactValue(const SettingView &setting);

std::string HexOf(std::string_view bytes);
std::optional<std::string> BytesOfHex(std::string_view hex);

// A DWORD from a decimal or 0x hex number; negative numbers down to
// -2147483648 give their two's complement, as the settings files do.
std::optional<uint32_t> ParseDword(std::string_view text);
std::optional<double> ParseDouble(std::string_view text);

}  // namespace tiztool

#endif
