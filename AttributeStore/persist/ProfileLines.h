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
// end a line, as on the platform.
class TextLines {
 public:
  explicit TextLines(std::string_view text) : rest_(text) {}
  // The next line; false after the last. Inline: parsing and reading call
  // it for every line.
  bool Next(std::string_view *line, LineEnd *end) {
    if (rest_.empty()) return false;
    // The next LF is found once and kept: a file of CR-only line ends would
    // otherwise be searched to its end for every line.
    if (nextLf_ == kUnknown || nextLf_ < consumed_) {
      const void *lf = std::memchr(rest_.data(), '\n', rest_.size());
      nextLf_ = lf ? consumed_ + static_cast<size_t>(static_cast<const char *>(lf) - rest_.data())
                   : kNone;
    }
    size_t lineEnd = nextLf_ == kNone ? rest_.size() : nextLf_ - consumed_;
    const void *cr = lineEnd ? std::memchr(rest_.data(), '\r', lineEnd) : nullptr;
    size_t length = lineEnd, used;
    if (cr) {
      length = static_cast<size_t>(static_cast<const char *>(cr) - rest_.data());
      bool crLf = length + 1 == lineEnd && nextLf_ != kNone;
      *end = crLf ? LineEnd::kCrLf : LineEnd::kCr;
      used = length + (crLf ? 2 : 1);
    } else if (nextLf_ == kNone) {
      *end = LineEnd::kNone;
      used = length;
    } else {
      *end = LineEnd::kLf;
      used = length + 1;
    }
    *line = rest_.substr(0, length);
    rest_.remove_prefix(used);
    consumed_ += used;
    return true;
  }
  // The text after the lines read so far.
  std::string_view Rest() const { return rest_; }

 private:
  static constexpr size_t kUnknown = SIZE_MAX - 1, kNone = SIZE_MAX;
  std::string_view rest_;
  size_t consumed_ = 0;       // bytes read so far
  size_t nextLf_ = kUnknown;  // offset of the next LF from the start, or kNone
};

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
// spelling from MatchKeyLine and the value is plain: the line that writing
// the value would make.
bool SpellsKeyLine(std::string_view line, std::string_view key, std::string_view value);

bool IsBlankLine(std::string_view line);

}  // namespace tiz

#endif
