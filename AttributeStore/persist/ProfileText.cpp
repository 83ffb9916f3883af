#include "persist/ProfileText.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

namespace tiz {

namespace {

bool IsQuote(char c) { return c == '"' || c == '\''; }

// What the platform's reader drops: a quote at the start, the same quote at
// the end, and at least one byte after the first.
bool IsEnclosed(std::string_view text) {
  return text.size() >= 2 && IsQuote(text.front()) && text.back() == text.front();
}

// The platform hands texts over as C strings.
std::string_view CutAtNul(std::string_view text) {
  const void *nul = std::memchr(text.data(), '\0', text.size());
  if (!nul) return text;
  return text.substr(0, static_cast<size_t>(static_cast<const char *>(nul) - text.data()));
}

}  // namespace

bool HoldsLineBreak(std::string_view text) {
  // Names and values are asked one by one, most of them without a byte
  // below 0x0E: eight bytes are looked at a time for one, and only a word
  // holding one is searched for CR and LF.
  constexpr uint64_t kOnes = 0x0101010101010101ull, kTops = 0x8080808080808080ull;
  const char *at = text.data(), *end = text.data() + text.size();
  for (; end - at >= 8; at += 8) {
    uint64_t word;
    std::memcpy(&word, at, sizeof word);
    // The top bit of a byte below 0x0E, and maybe of some above it.
    if (((word - 0x0E * kOnes) & ~word & kTops) == 0) continue;
    for (int i = 0; i < 8; ++i) {
      if (at[i] == '\n' || at[i] == '\r') return true;
    }
  }
  for (; at != end; ++at) {
    if (*at == '\n' || *at == '\r') return true;
  }
  return false;
}

ValueSpelling SpellingOf(std::string_view value) {
  if (value.empty()) return ValueSpelling::kPlain;
  // Most values are numbers and words: their ends decide at once, and only
  // those are searched for a line break.
  bool quoted = IsProfileBlank(value.front()) || IsProfileBlank(value.back()) || IsEnclosed(value);
  if (HoldsLineBreak(value)) return ValueSpelling::kEscaped;
  return quoted ? ValueSpelling::kQuoted : ValueSpelling::kPlain;
}

std::string SpellValue(std::string_view value, ValueSpelling spelling) {
  if (spelling == ValueSpelling::kPlain) return std::string(value);
  std::string out;
  out.reserve(value.size() + 2);
  out.push_back('"');
  if (spelling == ValueSpelling::kQuoted) {
    out.append(value);
  } else {
    for (char c : value) {
      if (c == '\\') {
        out += "\\\\";
      } else if (c == '\n') {
        out += "\\n";
      } else if (c == '\r') {
        out += "\\r";
      } else {
        out.push_back(c);
      }
    }
  }
  out.push_back('"');
  return out;
}

std::string_view ReadProfileValue(std::string_view spelled) {
  spelled = CutAtNul(spelled);
  if (IsEnclosed(spelled)) return spelled.substr(1, spelled.size() - 2);
  return spelled;
}

std::string_view ReadEscapedProfileValue(std::string_view spelled, std::string *scratch) {
  std::string_view cut = CutAtNul(spelled);
  if (cut.size() < 2 || cut.front() != '"' || cut.back() != '"') return ReadProfileValue(cut);
  std::string_view read = cut.substr(1, cut.size() - 2);
  scratch->clear();
  scratch->reserve(read.size());
  for (size_t i = 0; i < read.size(); ++i) {
    char c = read[i];
    if (c == '\\' && i + 1 < read.size()) {
      char next = read[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        scratch->push_back(next == 'n' ? '\n' : next == 'r' ? '\r' : '\\');
        ++i;
        continue;
      }
    }
    scratch->push_back(c);
  }
  return *scratch;
}

std::string EscapeMarkerKey(std::string_view key) {
  std::string marker(key);
  marker += "Escaped";
  return marker;
}

namespace {

// 32-bit FNV-1a: cheap, and any edit of the marked text changes it.
uint32_t MarkedTextChecksum(std::string_view text) {
  uint32_t hash = 2166136261u;
  for (unsigned char c : text) hash = (hash ^ c) * 16777619u;
  return hash;
}

constexpr char kLegacyEscapeMarker[] = "1";

}  // namespace

std::string EscapeMarkerValue(std::string_view spelled) {
  char text[32];
  std::snprintf(text, sizeof text, "%zu:%08X", spelled.size(), MarkedTextChecksum(spelled));
  return text;
}

bool EscapeMarkerMatches(std::string_view marker, std::string_view spelled) {
  if (marker == kLegacyEscapeMarker) return true;
  return marker == EscapeMarkerValue(spelled);
}

}  // namespace tiz
