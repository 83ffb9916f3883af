#include "persist/TreeSections.h"

#include <cstdint>
#include <cstring>

#include "core/Names.h"
#include "platform/Platform.h"
#include "support/MultiByte.h"

namespace tiz {

namespace {

// The last `byte` of a text in a code page without lead bytes, where every
// byte is a character: eight bytes are tested at a time, since a load splits
// every section name.
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

// A separator counts only at index 1 or later.
size_t LastSeparator(std::string_view text, char separator) {
  auto byte = static_cast<unsigned char>(separator);
  size_t pos =
      platform::CodePageHasLeadBytes() ? ReverseFindByte(text, byte) : LastSingleByte(text, byte);
  return (pos != kNoPosition && pos >= 1) ? pos : kNoPosition;
}

}  // namespace

bool SplitSectionName(std::string_view name, SectionNameParts *parts) {
  *parts = SectionNameParts{};
  size_t last = LastSeparator(name, kKeySeparator);
  if (last == kNoPosition) last = LastSeparator(name, kAltKeySeparator);
  if (last == kNoPosition) return false;
  parts->item = name.substr(last + 1);
  std::string_view head = name.substr(0, last);
  // Only 0x7F separates the group from the owner.
  size_t group = LastSeparator(head, kKeySeparator);
  parts->group = group == kNoPosition ? head : head.substr(group + 1);
  parts->owner = group == kNoPosition ? kRootStoreName : head.substr(0, group);
  return !parts->owner.empty() && !parts->group.empty() && !parts->item.empty();
}

}  // namespace tiz
