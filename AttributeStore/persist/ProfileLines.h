// The single lines of a profile file: splitting a text into lines, and
// telling section headers and key lines apart, as the platform's
// private-profile functions do.
#ifndef TIZ_PERSIST_PROFILELINES_H
#define TIZ_PERSIST_PROFILELINES_H

#include <cstdint>
#include <cstring>
#include <string_view>

namespace tiz {

// How a line ends; only the last line of a file may have no end.
enum class LineEnd : uint8_t { kNone, kLf, kCrLf, kCr };

// The lines of a text, each without its end. LF, CR LF and a lone CR each
// end a line, as on the platform. Lone CRs are rare: a text without them
// (see HoldsLoneCr) is split at LFs alone, which costs one search a line.
class TextLines {
 public:
  TextLines(std::string_view text, bool loneCr) : m_rest(text), m_loneCr(loneCr) {}
  // The next line; false after the last. Inline: parsing and reading call
  // it for every line.
  bool Next(std::string_view *line, LineEnd *end) {
    if (m_rest.empty()) return false;
    if (m_loneCr) return NextWithLoneCr(line, end);
    const void *lf = std::memchr(m_rest.data(), '\n', m_rest.size());
    if (!lf) {
      *line = m_rest;
      *end = LineEnd::kNone;
      m_rest.remove_prefix(m_rest.size());
      return true;
    }
    size_t newline = static_cast<size_t>(static_cast<const char *>(lf) - m_rest.data());
    *line = m_rest.substr(0, newline);
    *end = LineEnd::kLf;
    m_rest.remove_prefix(newline + 1);
    if (!line->empty() && line->back() == '\r') {
      line->remove_suffix(1);
      *end = LineEnd::kCrLf;
    }
    return true;
  }
  // The text after the lines read so far.
  std::string_view Rest() const { return m_rest; }

 private:
  bool NextWithLoneCr(std::string_view *line, LineEnd *end);

  std::string_view m_rest;
  bool m_loneCr;
};

// Whether the text holds a CR that no LF follows.
bool HoldsLoneCr(std::string_view text);

// "[name]" after optional blanks; the name runs, trimmed, to the last ']' of
// the line, and may be empty.
bool ParseHeader(std::string_view line, std::string_view *name);

// Whether the line is "key=value" for the given key (compared as profile
// names), blanks around either part; the line's spellings of key and value
// (trimmed) when it is. The key must be plain: no '=', no blanks at its ends.
// A NUL after the key ends the line's name, as the platform compares names.
bool MatchKeyLine(std::string_view line, std::string_view key, std::string_view *spelledKey,
                  std::string_view *value);

// Whether `line` is exactly "key=value", where `key` is the line's own
// spelling from MatchKeyLine: for a plain value (SpellingOf), the line that
// writing the value would make.
bool SpellsKeyLine(std::string_view line, std::string_view key, std::string_view value);

bool IsBlankLine(std::string_view line);

}  // namespace tiz

#endif
