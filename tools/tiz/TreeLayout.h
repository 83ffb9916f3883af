// Where things stand in a tree file: every section header with its line
// number, duplicates included, and the key lines below it, as the profile
// engine sees them; and the lines it reads as neither (a '[' that opens no
// header, a line without '='), which a load passes over.
#ifndef TIZ_TOOL_TREELAYOUT_H
#define TIZ_TOOL_TREELAYOUT_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tiz {
class ProfileDocument;
}

namespace tiztool {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

struct KeyLineAt {
  std::string key;    // trimmed, as spelled
  std::string value;  // decoded
  size_t line = 0;    // 1-based
};

struct SectionAt {
  std::string name;  // decoded
  std::string spelling;
  size_t line = 0;
  bool listed = false;  // the first of its name, which reads reach
  std::vector<KeyLineAt> keys;
  std::vector<size_t> otherLines;  // neither key, comment nor blank
};

struct TreeLayout {
  std::vector<SectionAt> sections;  // in file order, duplicates included
  // Lines that start like a header but are none ('[' without a ']').
  std::vector<size_t> brokenHeaders;
  // Lines a save never writes and a load passes over: comments anywhere,
  // and any text before the first header.
  std::vector<size_t> asides;
};

// Section names compare as the profile engine compares them: ASCII letter
// case aside.
struct FoldedNameHash {
  size_t operator()(std::string_view name) const;
};
struct FoldedNameEqual {
  bool operator()(std::string_view a, std::string_view b) const;
};

TreeLayout ReadLayout(const tiz::ProfileDocument &doc);

// Whether `file` holds exactly what `written`, the library's save of what a
// load of the file restores, holds: the same sections (in any order), each
// spelled alike with the same keys and values in the same order, and
// nothing else (no repeats, comments, stray lines or broken headers). Such
// a file needs no rewrite. The comparison knows no key of the layout: what
// a save writes is whatever the library's writer writes.
bool HoldsExactlyWhatASaveWrites(const TreeLayout &file, const TreeLayout &written);

// The name of the store the file was saved from: the owner of its first
// well-formed section, or the owner above it as long as that owner is itself
// a section of the file. "Root" for a file saved from a root store, and for a
// file without sections.
std::string TopStoreName(const TreeLayout &layout);

}  // namespace tiztool

#endif
