// The single lines of a profile file: splitting a text into lines, and
// telling section headers and key lines apart.
#ifndef TIZ_PERSIST_PROFILELINES_H
#define TIZ_PERSIST_PROFILELINES_H

#include <cstdint>
#include <string_view>

namespace tiz {

// How a line ends; only the last line of a file may have no end.
enum class LineEnd : uint8_t { kNone, kLf, kCrLf };

// The lines of a text, each without its end; a CR before the LF belongs to
// the end.
class TextLines {
 public:
  explicit TextLines(std::string_view text) : rest_(text) {}
  // The next line; false after the last. Inline: parsing and reading call
  // it for every line.
  bool Next(std::string_view *line, LineEnd *end) {
    if (rest_.empty()) return false;
    size_t newline = rest_.find('\n');
    if (newline == std::string_view::npos) {
      *line = rest_;
      *end = LineEnd::kNone;
      rest_.remove_prefix(rest_.size());
      return true;
    }
    *line = rest_.substr(0, newline);
    *end = LineEnd::kLf;
    rest_.remove_prefix(newline + 1);
    if (!line->empty() && line->back() == '\r') {
      line->remove_suffix(1);
      *end = LineEnd::kCrLf;
    }
    return true;
  }
  // The text after the lines read so far.
  std::string_view Rest() const { return rest_; }

 private:
  std::string_view rest_;
};

// "[name]" after optional blanks; the name's spelling runs, trimmed, to the
// last ']' of the line.
bool ParseHeader(std::string_view line, std::string_view *spelling);

// Whether the line is "key=value" for the given key (compared as profile
// names), blanks around either part; the line's spellings of key and value
// (trimmed) when it is. The key must be plain: no '=', no blanks at its ends.
bool MatchKeyLine(std::string_view line, std::string_view key, std::string_view *spelledKey,
                  std::string_view *value);

// Whether `line` is exactly "key=value", where `key` is the line's own
// spelling from MatchKeyLine and the value needs no quotes: the line that
// writing the value would make.
bool SpellsKeyLine(std::string_view line, std::string_view key, std::string_view value);

bool IsBlankLine(std::string_view line);

}  // namespace tiz

#endif
