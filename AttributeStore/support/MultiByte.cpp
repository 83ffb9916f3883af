#include "support/MultiByte.h"

#include "platform/Platform.h"

namespace tiz {

size_t ReverseFindByte(std::string_view text, unsigned char byte) {
  if (!platform::CodePageHasLeadBytes()) {
    size_t pos = text.rfind(static_cast<char>(byte));
    return pos == std::string_view::npos ? kNoPosition : pos;
  }
  // Lead bytes can only be told apart from trail bytes walking forwards.
  size_t found = kNoPosition;
  for (size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (platform::IsLeadByte(c) && i + 1 < text.size()) {
      ++i;
      continue;
    }
    if (c == byte) found = i;
  }
  return found;
}

}  // namespace tiz
