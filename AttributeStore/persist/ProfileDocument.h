// A profile (INI) file held in memory: "[name]" section headers followed by
// "key=value" lines. Edits change single lines and leave every other line as
// it was read, lines the layout does not know (comments, text before the
// first section, malformed lines) included; new sections go to the end.
//
// Section and key names compare without regard to ASCII case. A file may
// hold the same section name twice: as on the platform, reads and writes
// then reach the first, and the name is listed once, at the first one's
// place, since the later ones cannot be told apart from it.
//
// Tree files hold hundreds of thousands of lines, so the document copies
// none of them: it keeps views into the file's text, and only edited lines
// get new text, in an arena.
#ifndef TIZ_PERSIST_PROFILEDOCUMENT_H
#define TIZ_PERSIST_PROFILEDOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "persist/ProfileLines.h"
#include "persist/ProfileNameIndex.h"
#include "persist/ProfileText.h"
#include "persist/TextArena.h"

namespace tiz {

namespace inspect {
class DocumentLines;
}

class ProfileDocument {
 public:
  // Sections are numbered in file order and a number never changes (a
  // removed section keeps its number, unused), so a number found once
  // serves every key of its section.
  using SectionNumber = uint32_t;
  static constexpr SectionNumber kNoSection = ProfileNameIndex::kNotFound;

  ProfileDocument();
  // Keeps the text, which the lines refer to: pass it on with std::move.
  explicit ProfileDocument(std::string text);
  // Lines refer into the text and the arena, which a move keeps in place and
  // a copy would not.
  ProfileDocument(ProfileDocument &&) = default;
  ProfileDocument &operator=(ProfileDocument &&) = default;
  ProfileDocument(const ProfileDocument &) = delete;
  ProfileDocument &operator=(const ProfileDocument &) = delete;

  // The distinct section names in file order, spelled as the file first
  // spells them.
  size_t SectionCount() const { return m_listed.size(); }
  SectionNumber ListedSection(size_t index) const { return m_listed[index]; }
  std::string_view NameOf(SectionNumber section) const { return m_sections[section].name; }

  // The first section of that name (blanks at its ends aside), or
  // kNoSection.
  SectionNumber FindSection(std::string_view name) const;
  // The same, adding a missing section at the end of the file. Its header
  // spells the name without the blanks at its start, as the platform writes
  // it; the caller makes sure it holds no line break.
  SectionNumber FindOrAddSection(std::string_view name);

  // The decoded value of `key`; false when it or the section (kNoSection)
  // is missing.
  bool FindValue(SectionNumber section, std::string_view key, std::string *value) const;
  // The same without a copy: a view of the document's text, or of `scratch`
  // for an escaped value; valid until the next edit or use of `scratch`.
  bool FindValue(SectionNumber section, std::string_view key, std::string_view *value,
                 std::string *scratch) const;
  // Several keys of one section at once, in one pass over its lines: for
  // each key, found[i] and values[i] as FindValue gives them, scratch[i]
  // serving an escaped value. The keys must be plain and differ also
  // without regard to case.
  void FindValues(SectionNumber section, const std::string_view *keys, size_t count, bool *found,
                  std::string_view *values, std::string *scratch) const;
  // Writes `key` into a section from FindOrAddSection, overwriting its line
  // in place or adding it at the end of the section, spelled as ProfileText
  // says: a value holding a line break is written escaped, and the key's
  // escape marker is written beside it or removed. The key name must be
  // plain: no '=', '[' at its start, control bytes or blanks at either end
  // (the caller's keys are fixed words).
  void SetValue(SectionNumber section, std::string_view key, std::string_view value);
  // Removes the key's line and its escape marker; nothing happens when it
  // is not there.
  void RemoveKey(SectionNumber section, std::string_view key);

  // A new section written whole: the lines are those that FindOrAddSection
  // and SetValue of each key in order would make, built as one text that is
  // kept unsplit like the file's own sections, so that a save into a new
  // file costs one copy per section. When a section of the name exists,
  // nothing changes and the result is kNoSection: edit it key by key. The
  // keys must be plain and distinct, and at most kMostAppendedKeys.
  static constexpr size_t kMostAppendedKeys = 4;
  struct KeyValue {
    std::string_view key;
    std::string_view value;
  };
  SectionNumber AppendSection(std::string_view name, const KeyValue *keys, size_t count);

  // The same by section name, for a single key.
  bool FindValue(std::string_view section, std::string_view key, std::string *value) const {
    return FindValue(FindSection(section), key, value);
  }
  void SetValue(std::string_view section, std::string_view key, std::string_view value) {
    SetValue(FindOrAddSection(section), key, value);
  }
  void RemoveKey(std::string_view section, std::string_view key) {
    RemoveKey(FindSection(section), key);
  }

  // Removes the section's header and all its lines; every other byte stays
  // as it was. A later section of the same name then becomes the one that
  // reads and writes reach. Number 0 and kNoSection are ignored.
  void RemoveSection(SectionNumber section);

  // How the file on disk holds the text: as it is (ANSI, or UTF-8 after a
  // byte order mark the text keeps), or as UTF-16 with a byte order mark,
  // which the text is converted from and is written back to.
  enum class FileEncoding : uint8_t { kBytes, kUtf16Le, kUtf16Be };
  FileEncoding Encoding() const { return m_encoding; }
  void SetEncoding(FileEncoding encoding) { m_encoding = encoding; }
  // A UTF-16 file holding characters the ANSI code page has no byte for
  // reads with '?' in their place; writing the document back would put the
  // '?' into the file, also in lines no one edited, so such a document is
  // never written.
  bool Writable() const { return m_writable; }
  void MarkUnwritable() { m_writable = false; }

  // True once an edit was made.
  bool Modified() const { return m_modified; }
  // The file's text, with the edits.
  std::string Render() const;
  // The same handed over in pieces, in order, without the whole text in
  // memory at once; stops, giving false, when `take` gives false.
  bool RenderInPieces(const std::function<bool(std::string_view)> &take) const;

 private:
  // The tool's inspection lists the sections and key lines as they stand,
  // from the lines kept here.
  friend class inspect::DocumentLines;

  static constexpr uint32_t kNoLine = UINT32_MAX;
  struct Line {
    std::string_view text;  // without its line end
    uint32_t next;          // the section's next line, or kNoLine
    LineEnd end;
  };
  // A section is kept as the text the file holds, header and line ends
  // included, until an edit changes it; then it is split into lines, which
  // form a list through Line::next, so a key added inside a section moves
  // no other line. Reading a file makes no line at all, and saving over it
  // splits only the sections whose text changes.
  struct Section {
    std::string_view name;  // empty for the lines before the first header
    size_t hash = 0;        // ProfileNameHash of the name
    std::string_view text;  // while not split
    size_t bodyStart = 0;   // where the lines after the header start in it
    bool split = false;
    // Once split, its first and last line; the first is the header, except
    // in the lines before the first header.
    uint32_t first = kNoLine;
    uint32_t last = kNoLine;
    bool listed = false;  // the first section of its name, which finds it
    bool removed = false;
  };
  // A key's line: the file's spellings, and in a split section where it is
  // and where a missing key goes.
  struct KeyLine {
    bool found = false;
    std::string_view text, key, value;
    LineEnd end = LineEnd::kNone;
    uint32_t line = kNoLine;
    uint32_t previous = kNoLine;      // which a removal relinks
    uint32_t lastNonBlank = kNoLine;  // after which a missing key goes
  };

  static Section NamedSection(std::string_view name, size_t hash);
  void PushSection(const Section &section);
  void Parse(std::string_view text);
  SectionNumber Lookup(std::string_view name, size_t hash) const;
  SectionNumber FindOrAdd(std::string_view name);
  // The blank line the platform writes between the last section and a new
  // one, when the last does not end in one.
  void SeparateLastSection();
  // A new section, split, indexed and listed, at the end of the file.
  SectionNumber AddSection(std::string_view name, size_t hash);
  void Split(Section &section);
  // Lists and indexes the sections: once all are read, so the index is
  // sized once, and after a removal. A later section of a name already
  // indexed is neither indexed nor listed.
  void Reindex();
  // A line not linked yet, and a line at the end of a split section.
  uint32_t NewLine(std::string_view text, LineEnd end);
  void AppendLine(Section &section, std::string_view text, LineEnd end);
  KeyLine FindKeyLine(const Section &section, std::string_view key) const;
  // Splits the section for an edit: the key's line found again among its
  // lines.
  KeyLine SplitToEdit(Section &section, std::string_view key, const KeyLine &found);
  std::string_view MakeKeyLine(std::string_view key, std::string_view value,
                               ValueSpelling spelling);
  // The value of a key line as the reader gets it, escapes decoded where
  // the section marks the key as escaped.
  std::string_view DecodeValue(const Section &section, std::string_view key,
                               std::string_view spelled, std::string *scratch) const;
  // Both true when the line they replaced or removed may have held an
  // escaped value.
  bool WriteLine(SectionNumber section, std::string_view key, std::string_view value,
                 ValueSpelling spelling);
  bool RemoveLine(SectionNumber section, std::string_view key);
  // Whether a spelled value can be an escaped one: the marker of its key
  // acts on nothing else.
  static bool MayBeEscaped(std::string_view spelled);
  // Calls emit(text) for each piece of the file's text, in order.
  template <class Emit>
  void EmitText(const Emit &emit) const;

  std::unique_ptr<const std::string> m_source;  // the file's text
  TextArena m_arena;
  std::vector<Line> m_lines;  // in no particular order; sections link them
  // A deque: sections are added one by one to tens of thousands, and a
  // vector's regrowth would copy them and take fresh memory each time.
  std::deque<Section> m_sections;
  std::vector<SectionNumber> m_listed;
  ProfileNameIndex m_index;
  // The section after the one FindOrAddSection gave last: saving a tree
  // again visits the sections in the order in which the last save wrote
  // them, and a name compared byte for byte costs less than a lookup.
  SectionNumber m_expected = kNoSection;
  // The section AppendSection made last, while it is the file's last: a CR
  // LF follows its text in the arena, which the blank line before a next
  // appended section takes in place of a split.
  SectionNumber m_appendedLast = kNoSection;
  bool m_modified = false;
  bool m_loneCr = false;   // whether the file's text holds a CR without an LF
  bool m_hasNul = false;   // whether it holds a NUL byte
  std::string_view m_bom;  // a UTF-8 byte order mark the file starts with
  FileEncoding m_encoding = FileEncoding::kBytes;
  bool m_writable = true;
};

}  // namespace tiz

#endif
