#include "TreeLayout.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "persist/ProfileDocument.h"
#include "persist/ProfileLines.h"
#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"

namespace tiztool {

namespace {

bool IsCommentLine(std::string_view line) {
  line = tiz::TrimProfileBlanks(line);
  return !line.empty() && line.front() == ';';
}

}  // namespace

size_t FoldedNameHash::operator()(std::string_view name) const {
  return tiz::ProfileNameHash(name);
}
bool FoldedNameEqual::operator()(std::string_view a, std::string_view b) const {
  return tiz::ProfileNamesEqual(a, b);
}

TreeLayout ReadLayout(const tiz::ProfileDocument &doc) {
  TreeLayout layout;
  layout.sections.reserve(doc.SectionCount());  // repeats aside, all of them
  doc.ForEachSection([&](const tiz::ProfileDocument::SectionEntry &entry) {
    SectionAt section;
    section.name = std::string(entry.name);
    section.line = entry.headerLine;
    section.listed = entry.listed;
    doc.ForEachKey(entry, [&](const tiz::ProfileDocument::KeyEntry &key) {
      section.keys.push_back({std::string(key.key), std::string(key.value), key.line});
    });
    layout.sections.push_back(std::move(section));
  });
  // The lines the engine passes over, and the spelling of each header.
  std::string rendered = doc.Render();
  std::string_view text = rendered;
  // A UTF-8 byte order mark is no part of the first line.
  if (text.substr(0, 3) == kUtf8Bom) text.remove_prefix(3);
  tiz::TextLines lines(text, tiz::HoldsLoneCr(text));
  std::string_view line, spelling;
  tiz::LineEnd end;
  size_t number = 0, next = 0;
  SectionAt *current = nullptr;
  while (lines.Next(&line, &end)) {
    ++number;
    if (next < layout.sections.size() && layout.sections[next].line == number) {
      current = &layout.sections[next++];
      if (tiz::ParseHeader(line, &spelling)) current->spelling = std::string(spelling);
      continue;
    }
    std::string_view trimmed = tiz::TrimProfileBlanks(line);
    if (trimmed.empty()) continue;
    if (IsCommentLine(trimmed) || !current) layout.asides.push_back(number);
    if (IsCommentLine(trimmed)) continue;
    if (trimmed.front() == '[') {
      layout.brokenHeaders.push_back(number);
    } else if (current && trimmed.find('=') == std::string_view::npos) {
      current->otherLines.push_back(number);
    }
  }
  return layout;
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
  for (const SectionAt &section : layout.sections) {
    names.insert(section.name);
    tiz::NameParts parts;
    if (!tiz::SplitSectionName(section.name, &parts)) continue;
    if (!first) first = &section;
    if (parts.owner == "Root") rootOwnsOne = true;
  }
  if (!first || rootOwnsOne) return "Root";
  tiz::NameParts parts;
  tiz::SplitSectionName(first->name, &parts);
  std::string top(parts.owner);
  // Up while the owner is itself a setting of the file; bounded by the
  // number of sections, since each step shortens the name.
  while (names.count(top) != 0) {
    tiz::NameParts up;
    if (!tiz::SplitSectionName(top, &up)) break;
    top = std::string(up.owner);
  }
  return top;
}

}  // namespace tiztool
