// The sections and key lines of a profile document as they stand, with their
// line numbers: what the tool shows and checks of a file, read from the
// document's own lines so that it sees the file exactly as the profile
// engine does. Line numbers count from 1 in the text Render() gives now.
#ifndef TIZ_INSPECT_DOCUMENTLINES_H
#define TIZ_INSPECT_DOCUMENTLINES_H

#include <cstdint>
#include <functional>
#include <string_view>

#include "persist/ProfileDocument.h"

namespace tiz::inspect {

class DocumentLines {
 public:
  using SectionNumber = ProfileDocument::SectionNumber;

  // A section header as the file holds it: `listed` is false for a later
  // section of a name already used, which reads and writes never reach.
  struct Header {
    SectionNumber number;
    std::string_view name;
    uint32_t line;
    bool listed;
  };
  // A "key=value" line: the key as spelled, trimmed, and the decoded value
  // (valid until the next edit).
  struct KeyLine {
    std::string_view key;
    std::string_view value;
    uint32_t line;
  };

  // Every section with a header, in file order, duplicates included.
  static void ForEachHeader(const ProfileDocument &doc,
                            const std::function<void(const Header &)> &visit);
  // Whether the number is that of a section with a header (not number 0, the
  // lines before the first header, nor a removed section).
  static bool HasHeader(const ProfileDocument &doc, SectionNumber section);

  // Every key line of the section below a header ForEachHeader visits, in
  // file order, duplicate keys included; comments (';' first), lines without
  // '=' and lines with no key name are skipped. The lines above it are not
  // counted again: a walk over every section's keys stays linear.
  static void ForEachKey(const ProfileDocument &doc, const Header &header,
                         const std::function<void(const KeyLine &)> &visit);

 private:
  using Section = ProfileDocument::Section;
  template <class Visit>
  static void VisitLines(const ProfileDocument &doc, const Section &section, const Visit &visit);
  static uint32_t LineCount(const ProfileDocument &doc, const Section &section);
};

}  // namespace tiz::inspect

#endif
