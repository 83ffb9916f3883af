#include "inspect/DocumentLines.h"

#include <string>

#include "persist/ProfileLines.h"
#include "persist/ProfileText.h"

namespace tiz::inspect {

// Calls visit(text) for each line of the section as it is now, in order: the
// file's text while the section is unsplit, else its list of lines.
template <class Visit>
void DocumentLines::VisitLines(const ProfileDocument &doc, const Section &section,
                               const Visit &visit) {
  if (!section.split) {
    TextLines lines(section.text, doc.m_loneCr);
    std::string_view line;
    LineEnd end;
    while (lines.Next(&line, &end)) visit(line);
    return;
  }
  for (uint32_t i = section.first; i != ProfileDocument::kNoLine; i = doc.m_lines[i].next)
    visit(doc.m_lines[i].text);
}

uint32_t DocumentLines::LineCount(const ProfileDocument &doc, const Section &section) {
  uint32_t count = 0;
  VisitLines(doc, section, [&count](std::string_view) { ++count; });
  return count;
}

bool DocumentLines::HasHeader(const ProfileDocument &doc, SectionNumber section) {
  return section != 0 && section < doc.m_sections.size() && !doc.m_sections[section].removed;
}

void DocumentLines::ForEachHeader(const ProfileDocument &doc,
                                  const std::function<void(const Header &)> &visit) {
  uint32_t line = 1 + LineCount(doc, doc.m_sections[0]);
  for (SectionNumber number = 1; number < doc.m_sections.size(); ++number) {
    const Section &section = doc.m_sections[number];
    if (section.removed) continue;
    visit(Header{number, section.name, line, section.listed});
    line += LineCount(doc, section);
  }
}

void DocumentLines::ForEachKey(const ProfileDocument &doc, const Header &section,
                               const std::function<void(const KeyLine &)> &visit) {
  uint32_t number = section.line - 1;
  bool header = true;  // counted, but no key line
  std::string scratch;
  const Section &lines = doc.m_sections[section.number];
  VisitLines(doc, lines, [&](std::string_view text) {
    ++number;
    if (header) {
      header = false;
      return;
    }
    std::string_view trimmed = TrimProfileBlanks(text);
    if (trimmed.empty() || trimmed.front() == ';') return;
    size_t equals = trimmed.find('=');
    if (equals == std::string_view::npos) return;
    std::string_view key = TrimProfileBlanks(trimmed.substr(0, equals));
    if (key.empty()) return;
    std::string_view value =
        doc.DecodeValue(lines, key, TrimProfileBlanks(trimmed.substr(equals + 1)), &scratch);
    visit(KeyLine{key, value, number});
  });
}

}  // namespace tiz::inspect
