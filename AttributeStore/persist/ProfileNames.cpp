#include "persist/ProfileNames.h"

#include <cstdint>
#include <cstring>

#include "platform/Platform.h"
#include "support/Text.h"

namespace tiz {

namespace {

// Tree-file section names run to a hundred bytes and more, and every key
// operation hashes one: without lead bytes in the code page, eight bytes are
// folded and mixed at a time.
constexpr size_t kWord = sizeof(uint64_t);

// Lowers the ASCII capitals among eight bytes at once. Each byte's low seven
// bits plus a bias reach 0x80 exactly from 'A' (or past 'Z'), and no sum
// carries into the next byte; bytes with the top bit set are left alone.
uint64_t FoldAsciiWord(uint64_t bytes) {
  constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7Full;
  constexpr uint64_t kTop = 0x8080808080808080ull;
  uint64_t low = bytes & kLow7;
  uint64_t atLeastA = low + 0x3F3F3F3F3F3F3F3Full;
  uint64_t pastZ = low + 0x2525252525252525ull;
  uint64_t capital = atLeastA & ~pastZ & ~bytes & kTop;
  return bytes | (capital >> 2);  // 0x80 >> 2 is the case bit 0x20
}

uint64_t LoadWord(const char *bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, sizeof word);
  return word;
}

// The bytes of a name shorter than a word, as one word.
uint64_t LoadShort(std::string_view name) {
  uint64_t word = 0;
  for (size_t i = 0; i < name.size(); ++i)
    word |= static_cast<uint64_t>(static_cast<unsigned char>(name[i])) << (8 * i);
  return word;
}

// Mixes words into a hash; the length goes in last, so names that differ
// only by trailing zero bytes differ.
class WordHasher {
 public:
  void Add(uint64_t word) {
    m_hash = (m_hash ^ word) * 0x9E3779B97F4A7C15ull;
    m_hash ^= m_hash >> 29;
  }
  size_t Finish(size_t length) {
    Add(length);
    return static_cast<size_t>(m_hash ^ (m_hash >> 32));
  }

 private:
  uint64_t m_hash = 0x243F6A8885A308D3ull;
};

// A name of a word or more ends with the word of its last eight bytes,
// which may overlap the word before: no partial load for the rest.
size_t HashSingleByteName(std::string_view name) {
  WordHasher hasher;
  if (name.size() < kWord) {
    hasher.Add(FoldAsciiWord(LoadShort(name)));
    return hasher.Finish(name.size());
  }
  size_t i = 0;
  for (; i + kWord < name.size(); i += kWord) hasher.Add(FoldAsciiWord(LoadWord(&name[i])));
  hasher.Add(FoldAsciiWord(LoadWord(&name[name.size() - kWord])));
  return hasher.Finish(name.size());
}

// Byte by byte, since a lead byte decides whether the next byte folds.
size_t HashMultiByteName(std::string_view name) {
  WordHasher hasher;
  uint64_t word = 0;
  size_t filled = 0;
  auto put = [&](char c) {
    word |= static_cast<uint64_t>(static_cast<unsigned char>(c)) << (8 * filled);
    if (++filled == kWord) {
      hasher.Add(word);
      word = 0;
      filled = 0;
    }
  };
  for (size_t i = 0; i < name.size(); ++i) {
    char c = name[i];
    if (platform::IsLeadByte(static_cast<unsigned char>(c)) && i + 1 < name.size()) {
      put(c);
      put(name[++i]);
    } else {
      put(FoldAscii(c));
    }
  }
  if (filled) hasher.Add(word);
  return hasher.Finish(name.size());
}

bool EqualMultiByteNames(std::string_view a, std::string_view b) {
  for (size_t i = 0; i < a.size(); ++i) {
    // While the bytes so far are equal, a double-byte character starts at
    // the same place in both names.
    if (platform::IsLeadByte(static_cast<unsigned char>(a[i])) && i + 1 < a.size()) {
      if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
      ++i;
    } else if (FoldAscii(a[i]) != FoldAscii(b[i])) {
      return false;
    }
  }
  return true;
}

// Names of equal length, compared word by word as HashSingleByteName reads
// them; short names (most keys) byte by byte.
bool EqualSingleByteNames(std::string_view a, std::string_view b) {
  if (a.size() < kWord) {
    for (size_t i = 0; i < a.size(); ++i) {
      if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
  }
  size_t i = 0;
  for (; i + kWord < a.size(); i += kWord) {
    if (FoldAsciiWord(LoadWord(&a[i])) != FoldAsciiWord(LoadWord(&b[i]))) return false;
  }
  size_t last = a.size() - kWord;
  return FoldAsciiWord(LoadWord(&a[last])) == FoldAsciiWord(LoadWord(&b[last]));
}

}  // namespace

bool ProfileNamesEqual(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  if (a == b) return true;  // the common case: the same spelling
  return platform::CodePageHasLeadBytes() ? EqualMultiByteNames(a, b) : EqualSingleByteNames(a, b);
}

size_t ProfileNameHash(std::string_view name) {
  return platform::CodePageHasLeadBytes() ? HashMultiByteName(name) : HashSingleByteName(name);
}

}  // namespace tiz
