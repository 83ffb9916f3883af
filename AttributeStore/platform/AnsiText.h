// Conversion between UTF-16 and the process's ANSI code page, for text
// files an editor saved as "Unicode": the library works on ANSI text, as
// the platform's narrow functions hand it over.
#ifndef TIZ_PLATFORM_ANSITEXT_H
#define TIZ_PLATFORM_ANSITEXT_H

#include <string>
#include <string_view>

namespace tiz::platform {

// A character the code page has no byte form for becomes '?', as the
// platform's own conversion makes it. On Windows the process's code page
// converts; elsewhere code page 1252 (TIZ_CODEPAGE selects no other table:
// other pages convert bytes 0x80-0xFF as Latin-1, which round-trips).
std::string Utf16ToAnsi(std::u16string_view text);
std::u16string AnsiToUtf16(std::string_view text);

}  // namespace tiz::platform

#endif
