#include "TreeLayout.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace tiztool {

size_t FoldedNameHash::operator()(std::string_view name) const {
  return tiz::inspect::SectionNameHash(name);
}
bool FoldedNameEqual::operator()(std::string_view a, std::string_view b) const {
  return tiz::inspect::SectionNamesEqual(a, b);
}

bool HoldsExactlyWhatASaveWrites(const TreeLayout &file, const TreeLayout &written) {
  if (!file.brokenHeaders.empty() || !file.asides.empty() ||
      file.sections.size() != written.sections.size())
    return false;
  std::unordered_map<std::string_view, const SectionAt *> byName;
  for (const SectionAt &section : written.sections) byName.emplace(section.name, &section);
  auto sameKey = [](const KeyLineAt &a, const KeyLineAt &b) {
    return a.key == b.key && a.value == b.value;
  };
  for (const SectionAt &section : file.sections) {
    auto found = byName.find(section.name);
    if (!section.listed || !section.otherLines.empty() || found == byName.end()) return false;
    const SectionAt &saved = *found->second;
    if (section.spelling != saved.spelling ||
        !std::equal(section.keys.begin(), section.keys.end(), saved.keys.begin(), saved.keys.end(),
                    sameKey))
      return false;
  }
  return true;
}

std::string TopStoreName(const TreeLayout &layout) {
  std::unordered_set<std::string_view, FoldedNameHash, FoldedNameEqual> names;
  names.reserve(layout.sections.size());
  const SectionAt *first = nullptr;
  bool rootOwnsOne = false;
  std::string_view owner;
  for (const SectionAt &section : layout.sections) {
    names.insert(section.name);
    if (!tiz::inspect::OwnerOfSection(section.name, &owner)) continue;
    if (!first) first = &section;
    if (owner == "Root") rootOwnsOne = true;
  }
  if (!first || rootOwnsOne) return "Root";
  tiz::inspect::OwnerOfSection(first->name, &owner);
  std::string top(owner);
  // Up while the owner is itself a setting of the file; bounded by the
  // number of sections, since each step shortens the name.
  while (names.count(top) != 0) {
    if (!tiz::inspect::OwnerOfSection(top, &owner)) break;
    top = std::string(owner);
  }
  return top;
}

}  // namespace tiztool
