// Byte-text helpers used across the library: one of each.
#ifndef TIZ_SUPPORT_TEXT_H
#define TIZ_SUPPORT_TEXT_H

#include <string_view>

namespace tiz {

// A caller's text, with null read as empty.
inline std::string_view TextOrEmpty(const char *text) { return text ? text : ""; }

}  // namespace tiz

#endif
