#include "TreeLayout.h"

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

size_t FoldedNameHash::operator()(const std::string &name) const {
  return tiz::ProfileNameHash(name);
}
bool FoldedNameEqual::operator()(const std::string &a, const std::string &b) const {
  return tiz::ProfileNamesEqual(a, b);
}

TreeLayout ReadLayout(const tiz::ProfileDocument &doc) {
  TreeLayout layout;
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
  std::string text = doc.Render();
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
    if (trimmed.empty() || IsCommentLine(trimmed)) continue;
    if (trimmed.front() == '[') {
      layout.brokenHeaders.push_back(number);
    } else if (current && trimmed.find('=') == std::string_view::npos) {
      current->otherLines.push_back(number);
    }
  }
  return layout;
}

std::string TopStoreName(const TreeLayout &layout) {
  std::unordered_set<std::string, FoldedNameHash, FoldedNameEqual> names;
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
