// The keys of one section read straight from its text, as the platform's
// reader finds them: for a reader that walks a file section by section and
// keeps no document of it.
#ifndef TIZ_PERSIST_SECTIONTEXT_H
#define TIZ_PERSIST_SECTIONTEXT_H

#include <cstddef>
#include <string>
#include <string_view>

namespace tiz {

// For each key, whether the section's lines after its header (`body`) hold
// it, and its value as read: the first line of the key, compared as a
// profile name, the value cut at a NUL, one pair of enclosing quotes
// dropped, and an escaped value decoded (into scratch[i]) where the
// section's marker matches it. The keys must be plain and differ also
// without regard to case. Lines end at LF, CR LF or a lone CR.
void FindSectionValues(std::string_view body, const std::string_view *keys, size_t count,
                       bool *found, std::string_view *values, std::string *scratch);

}  // namespace tiz

#endif
