// Texts in the library are in the ANSI code page (on Windows the process's,
// elsewhere the one TIZ_CODEPAGE names, 1252 by default); the terminal and
// JSON take UTF-8. Bytes the code page does not define become U+FFFD.
#ifndef TIZ_TOOL_CODEPAGETEXT_H
#define TIZ_TOOL_CODEPAGETEXT_H

#include <string>
#include <string_view>

namespace tiztool {

std::string Utf8FromCodePage(std::string_view text);
// The way back, for texts given on the command line; a character the code
// page lacks is a failure.
std::string CodePageFromUtf8(std::string_view text);

}  // namespace tiztool

#endif
