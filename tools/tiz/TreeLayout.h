// Where things stand in a tree file (the library's inspection reads it), and
// what the tool makes of it.
#ifndef TIZ_TOOL_TREELAYOUT_H
#define TIZ_TOOL_TREELAYOUT_H

#include <cstddef>
#include <string>
#include <string_view>

#include "TreeInspection.h"

namespace tiztool {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

using tiz::inspect::KeyLineAt;
using tiz::inspect::ReadLayout;
using tiz::inspect::SectionAt;
using tiz::inspect::TreeLayout;

// Section names compare as the profile engine compares them: ASCII letter
// case aside.
struct FoldedNameHash {
  size_t operator()(std::string_view name) const;
};
struct FoldedNameEqual {
  bool operator()(std::string_view a, std::string_view b) const;
};

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
