// A tree file opened for a subcommand: its text, read completely and held by
// the library's profile engine, where its sections stand, the store the
// library's load makes of it and what the load said of its sections.
#ifndef TIZ_TOOL_TREEDOCUMENT_H
#define TIZ_TOOL_TREEDOCUMENT_H

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "StoreRef.h"
#include "StoreView.h"
#include "TreeInspection.h"
#include "TreeLayout.h"

namespace tiztool {

// The whole file, or a Failure that says why it cannot be read: a missing
// file, a directory, no access, a read error. A file is never used half
// read.
std::string ReadWholeTreeFile(const std::filesystem::path &file);

class TreeDocument {
 public:
  // Reads the file and loads it into a new store named after the store the
  // file was saved from. `file` names it in messages.
  static TreeDocument Open(const std::filesystem::path &file);
  // The same for a text already read (or empty, for a file not there yet).
  static TreeDocument FromText(const std::string &file, std::string text);

  const std::string &FileName() const { return m_fileName; }
  const tiz::inspect::TreeText &Text() const { return m_text; }
  const TreeLayout &Layout() const { return m_layout; }
  const std::string &TopName() const { return m_topName; }
  uint32_t Store() const { return m_store.Get(); }
  // The load's result: 0, or the code of the last section that failed.
  int32_t LoadResult() const { return m_loadResult; }
  // What the library's reader reported while it loaded: each failing
  // section, and each section of no store the load reaches.
  const std::vector<tiz::inspect::LoadNote> &LoadNotes() const { return m_loadNotes; }

  // Whether the file holds a section header, or nothing but blanks (an
  // empty tree). Anything else is no tree file: a settings file, or no file
  // of the library's at all.
  bool HoldsSectionsOrNothing() const;

  // Fails, naming the line of the first section that makes the load fail,
  // unless the whole file loaded: a file the tool cannot read completely is
  // neither shown as if it were whole nor written back. Sections that belong
  // to no store (another program's, named without the separator) are no part
  // of the tree: the tree around them loads whole, an edit keeps them byte
  // for byte, and check lists them.
  void RequireCompleteLoad() const;
  // Whether any section belongs to a store.
  bool HoldsStoreSections() const;

  // Everything the store holds (see ReadStore for `displays`).
  StoreView Read(bool displays = true) const;

 private:
  TreeDocument(std::string file, std::string text);

  std::string m_fileName;
  tiz::inspect::TreeText m_text;
  TreeLayout m_layout;
  std::string m_topName;
  StoreRef m_store;
  int32_t m_loadResult = 0;
  std::vector<tiz::inspect::LoadNote> m_loadNotes;
};

}  // namespace tiztool

#endif
