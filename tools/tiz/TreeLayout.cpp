#include "TreeLayout.h"

#include <unordered_set>

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

bool TreeLayout::IsFirstOfItsName(size_t index) const {
  for (size_t i = 0; i < index; ++i) {
    if (tiz::ProfileNamesEqual(sections[i].name, sections[index].name)) return false;
  }
  return true;
}

TreeLayout ReadLayout(std::string_view text) {
  TreeLayout layout;
  tiz::TextLines lines(text);
  std::string_view line, spelling;
  tiz::LineEnd end;
  size_t number = 0;
  while (lines.Next(&line, &end)) {
    ++number;
    if (tiz::ParseHeader(line, &spelling)) {
      SectionAt section;
      section.spelling = std::string(spelling);
      section.name = tiz::SectionNameIsQuoted(spelling) ? tiz::DecodeSectionName(spelling)
                                                        : std::string(spelling);
      section.line = number;
      layout.sections.push_back(std::move(section));
      continue;
    }
    std::string_view trimmed = tiz::TrimProfileBlanks(line);
    if (trimmed.empty() || IsCommentLine(trimmed)) continue;
    if (trimmed.front() == '[') {
      layout.brokenHeaders.push_back(number);
      continue;
    }
    if (layout.sections.empty()) continue;  // text before the first header
    SectionAt &section = layout.sections.back();
    size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) {
      section.otherLines.push_back(number);
      continue;
    }
    KeyLineAt key;
    key.key = std::string(tiz::TrimProfileBlanks(trimmed.substr(0, equals)));
    std::string scratch;
    key.value = std::string(
        tiz::DecodeProfileValue(tiz::TrimProfileBlanks(trimmed.substr(equals + 1)), &scratch));
    key.line = number;
    section.keys.push_back(std::move(key));
  }
  return layout;
}

std::string TopStoreName(const TreeLayout &layout) {
  std::unordered_set<std::string, FoldedNameHash, FoldedNameEqual> names;
  const SectionAt *first = nullptr;
  bool rootOwnsOne = false;
  for (const SectionAt &section : layout.sections) {
    names.insert(section.name);
    tiz::SectionNameParts parts;
    if (!tiz::SplitSectionName(section.name, &parts)) continue;
    if (!first) first = &section;
    if (parts.owner == "Root") rootOwnsOne = true;
  }
  if (!first || rootOwnsOne) return "Root";
  tiz::SectionNameParts parts;
  tiz::SplitSectionName(first->name, &parts);
  std::string top(parts.owner);
  // Up while the owner is itself a setting of the file; bounded by the
  // number of sections, since each step shortens the name.
  while (names.count(top) != 0) {
    tiz::SectionNameParts up;
    if (!tiz::SplitSectionName(top, &up)) break;
    top = std::string(up.owner);
  }
  return top;
}

}  // namespace tiztool
