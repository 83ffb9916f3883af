// How names and values are spelled in a profile (INI) file, by the rules of
// the platform's private-profile functions, so that they and this library
// read every file alike and a value written here reads back through them as
// it was written wherever the layout can hold it.
//
// Reading: blanks (see IsProfileBlank) are trimmed around names and values,
// a NUL byte ends a value, and one pair of enclosing quotes (both ' or both
// ") is dropped. Nothing else is interpreted: a backslash is a backslash.
//
// Writing: a value the reader would change (blanks at either end, enclosing
// quotes) goes inside one pair of double quotes, which the reader drops. A
// value holding a line break cannot be held by the layout at all: it is
// written in an escaped form (between double quotes, "\\", "\r" and "\n"
// for a backslash, CR and LF), and its section carries a marker key (see
// EscapeMarkerKey) that tells this library to decode it. The platform's
// reader ignores the marker and hands the escaped text over as it stands.
#ifndef TIZ_PERSIST_PROFILETEXT_H
#define TIZ_PERSIST_PROFILETEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace tiz {

// Tab, LF, VT, FF, CR, space and the DOS end-of-file byte 0x1A: what the
// platform trims around names and values. Inline, since parsing asks this
// of every line.
inline bool IsProfileBlank(char c) { return (c >= 0x09 && c <= 0x0D) || c == 0x1A || c == ' '; }
inline std::string_view TrimTrailingProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}
inline std::string_view TrimProfileBlanks(std::string_view text) {
  while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
  return text;
}

// How a value is written after "key=".
enum class ValueSpelling {
  kPlain,    // as it is
  kQuoted,   // inside one pair of double quotes
  kEscaped,  // quoted with escapes, under a marker key
};
ValueSpelling SpellingOf(std::string_view value);
// The text after "key=" for a value of that spelling.
std::string SpellValue(std::string_view value, ValueSpelling spelling);

// The value the platform's reader hands over for the text after "key="
// (already trimmed): cut at a NUL, one pair of enclosing quotes dropped.
std::string_view ReadProfileValue(std::string_view spelled);
// The same for a key whose section carries its escape marker: escapes in a
// double-quoted text are decoded into `scratch`.
std::string_view ReadEscapedProfileValue(std::string_view spelled, std::string *scratch);

// The key that marks `key` of the same section as escaped: the key's name
// followed by "Escaped" ("ValueEscaped" for "Value").
std::string EscapeMarkerKey(std::string_view key);
// The marker's value names the exact text it marks: the escaped spelling's
// length and checksum ("23:5D0C11A4"). A program that knows nothing of the
// marker and rewrites the key leaves it behind; the rewritten text then no
// longer matches and reads as the platform reads it.
std::string EscapeMarkerValue(std::string_view spelled);
// True when `marker` (the marker key's value as read) marks `spelled` (the
// key's text after "key=", as the file holds it). Files of earlier versions
// mark with "1", which is taken as it always was.
bool EscapeMarkerMatches(std::string_view marker, std::string_view spelled);

// A line break cannot be part of a section name: the header would end there.
bool HoldsLineBreak(std::string_view text);

}  // namespace tiz

#endif
