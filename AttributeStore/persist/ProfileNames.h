// Section and key names of a profile file compare without regard to ASCII
// letter case; the second byte of a double-byte character is never folded.
#ifndef TIZ_PERSIST_PROFILENAMES_H
#define TIZ_PERSIST_PROFILENAMES_H

#include <cstddef>
#include <string_view>

namespace tiz {

bool ProfileNamesEqual(std::string_view a, std::string_view b);
// Equal names hash alike.
size_t ProfileNameHash(std::string_view name);

}  // namespace tiz

#endif
