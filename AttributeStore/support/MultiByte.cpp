#include "support/MultiByte.h"

#include <cstdint>
#include <cstring>

#include "platform/Platform.h"

namespace tiz {

namespace {

// The last `byte` of a text in a code page without lead bytes, where every
// byte is a character: eight bytes are tested at a time, since a tree load
// splits every section name.
size_t LastSingleByte(std::string_view text, unsigned char byte) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full, kOnes = 0x0101010101010101ull;
  size_t end = text.size();
  for (; end >= sizeof(uint64_t); end -= sizeof(uint64_t)) {
    uint64_t word;
    std::memcpy(&word, text.data() + end - sizeof word, sizeof word);
    uint64_t diff = word ^ (byte * kOnes);
    // The top bit of each byte that equals `byte`; no carry crosses bytes.
    if (~(((diff & kLow7) + kLow7) | diff | kLow7)) break;
  }
  for (; end > 0; --end) {
    if (static_cast<unsigned char>(text[end - 1]) == byte) return end - 1;
  }
  return kNoPosition;
}

}  // namespace

size_t ReverseFindByte(std::string_view text, unsigned char byte) {
  if (!platform::CodePageHasLeadBytes()) return LastSingleByte(text, byte);
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
