// How names and values are spelled in a profile (INI) file. Plain texts are
// written as they are, so the platform's own private-profile functions read
// and write the same file. A text the layout cannot hold plainly (line
// breaks and other control bytes, blanks at either end, enclosing quotes, and
// ']' in a section name) is written between double quotes with backslash
// escapes; the platform would read that form differently, but it never
// appears for plain texts.
#ifndef TIZ_PERSIST_PROFILETEXT_H
#define TIZ_PERSIST_PROFILETEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace tiz {

// Space and tab: trimmed around names and values, as the platform does.
bool IsProfileBlank(char c);
std::string_view TrimProfileBlanks(std::string_view text);

// The spelling of a value after "key=", and the value of such a spelling
// (already trimmed). Single quotes around a value are dropped, as the
// platform drops them.
std::string EncodeProfileValue(std::string_view value);
std::string DecodeProfileValue(std::string_view spelling);

// The same for the text between "[" and "]" of a section header.
std::string EncodeSectionName(std::string_view name);
std::string DecodeSectionName(std::string_view spelling);

// Section and key names compare without regard to ASCII letter case; the
// second byte of a double-byte character is never folded.
bool ProfileNamesEqual(std::string_view a, std::string_view b);
size_t ProfileNameHash(std::string_view name);

}  // namespace tiz

#endif
