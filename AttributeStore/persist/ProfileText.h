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
// Inline, since parsing asks this of every line.
inline bool IsProfileBlank(char c) { return c == ' ' || c == '\t'; }
inline std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// The spelling of a value after "key=", and the value of such a spelling
// (already trimmed). Single quotes around a value are dropped, as the
// platform drops them. A value that needs no quotes is spelled as it is, so
// its value is a view of the spelling; only an escaped one is decoded, into
// `scratch`.
bool ProfileValueNeedsQuotes(std::string_view value);
std::string EncodeProfileValue(std::string_view value);
std::string_view DecodeProfileValue(std::string_view spelling, std::string *scratch);

// The same for the text between "[" and "]" of a section header; a plain
// spelling is the name itself, which spares most names a copy.
bool SectionNameNeedsQuotes(std::string_view name);
std::string EncodeSectionName(std::string_view name);
bool SectionNameIsQuoted(std::string_view spelling);
std::string DecodeSectionName(std::string_view spelling);

}  // namespace tiz

#endif
