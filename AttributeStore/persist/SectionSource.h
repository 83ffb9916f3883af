// The sections of a profile file, one at a time in file order; a header
// without a name never. A later section of a name already given may come
// too: the reader skips it, as the platform's reads never reach it. A tree
// load reads them through this, from a document in memory or straight from
// the file.
#ifndef TIZ_PERSIST_SECTIONSOURCE_H
#define TIZ_PERSIST_SECTIONSOURCE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "persist/ProfileDocument.h"

namespace tiz {

class SectionSource {
 public:
  virtual ~SectionSource() = default;

  // Moves to the next section; false after the last, or when the file
  // could not be read further (see Status). The name is trimmed, ends at a
  // NUL, and stays valid until the next call.
  virtual bool Next(std::string_view *name) = 0;
  // Keys of the current section, as ProfileDocument::FindValues gives them;
  // the values are valid until the next call of Next.
  virtual void FindValues(const std::string_view *keys, size_t count, bool *found,
                          std::string_view *values, std::string *scratch) const = 0;
  // The current section's number: a document's own, or the count of the
  // sections given before it.
  virtual uint32_t Number() const = 0;
  // 0, or the code of a read that failed before the end (Next then gave
  // false): the file's sections were not all handed over.
  virtual int32_t Status() const { return 0; }
  // Everything the source keeps only to read on (buffers, what tells a
  // later section of a name from the first) may go: the reader is done.
  virtual void DoneReading() {}
};

// The listed sections of a document (each name once), which outlives the
// source.
class DocumentSections : public SectionSource {
 public:
  explicit DocumentSections(const ProfileDocument &doc) : m_doc(doc) {}
  // One section of the document alone, current already; Next gives false.
  DocumentSections(const ProfileDocument &doc, ProfileDocument::SectionNumber section)
      : m_doc(doc), m_next(doc.SectionCount()), m_current(section) {}

  bool Next(std::string_view *name) override {
    if (m_next >= m_doc.SectionCount()) return false;
    m_current = m_doc.ListedSection(m_next++);
    *name = m_doc.NameOf(m_current);
    return true;
  }
  void FindValues(const std::string_view *keys, size_t count, bool *found, std::string_view *values,
                  std::string *scratch) const override {
    m_doc.FindValues(m_current, keys, count, found, values, scratch);
  }
  uint32_t Number() const override { return m_current; }

 private:
  const ProfileDocument &m_doc;
  size_t m_next = 0;
  ProfileDocument::SectionNumber m_current = ProfileDocument::kNoSection;
};

}  // namespace tiz

#endif
