#include "TreeDocument.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <new>
#include <system_error>

#include "Failure.h"
#include "TreeCheck.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

std::string ReadWholeTreeFile(const fs::path &file) {
  std::error_code error;
  fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) throw Failure(file.string() + ": no such file");
  if (fs::is_directory(status)) throw Failure(file.string() + ": is a directory");
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Failure(file.string() + ": cannot open the file: " + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Failure(file.string() + ": cannot read the file completely");
  return text;
}

TreeDocument::TreeDocument(std::string file, std::string text)
    : m_fileName(std::move(file)),
      m_text(std::move(text)),
      m_layout(ReadLayout(m_text)),
      m_topName(TopStoreName(m_layout)),
      m_store(StoreRef::Create()) {
  try {
    m_loadResult = tiz::inspect::LoadTree(m_store.Get(), m_topName, m_text, &m_loadNotes);
  } catch (const std::bad_alloc &) {
    throw Failure("tiz: out of memory loading the tree file");
  }
}

TreeDocument TreeDocument::Open(const fs::path &file) {
  return FromText(file.string(), ReadWholeTreeFile(file));
}

TreeDocument TreeDocument::FromText(const std::string &file, std::string text) {
  return TreeDocument(file, std::move(text));
}

bool TreeDocument::HoldsSectionsOrNothing() const {
  if (!m_layout.sections.empty()) return true;
  std::string rendered = m_text.Render();
  std::string_view text = rendered;
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  return text.find_first_not_of(" \t\r\n") == std::string_view::npos;
}

bool TreeDocument::HoldsStoreSections() const {
  std::string_view owner;
  for (const SectionAt &section : m_layout.sections) {
    if (tiz::inspect::OwnerOfSection(section.name, &owner)) return true;
  }
  return false;
}

void TreeDocument::RequireCompleteLoad() const {
  if (!HoldsSectionsOrNothing()) throw Failure(m_fileName + ": not a tree file (no sections)");
  if (m_loadResult == TIZ_OK) return;
  // The load reports the last failing section; the check names each one.
  const Finding *cause = nullptr;
  bool otherFailure = false;
  std::vector<Finding> findings = CheckTree(*this);
  for (const Finding &finding : findings) {
    if (finding.loadResult != TIZ_OK && finding.loadResult != TIZ_E_BAD_SECTION)
      otherFailure = true;
    if (!cause && finding.loadResult == m_loadResult) cause = &finding;
  }
  // Only sections of no store failed: every store's own sections loaded. A
  // file of such sections alone holds no tree at all.
  if (m_loadResult == TIZ_E_BAD_SECTION && !otherFailure && HoldsStoreSections()) return;
  std::string where = cause ? m_fileName + ":" + std::to_string(cause->line) : m_fileName;
  std::string why = cause ? cause->text + "; " : std::string();
  throw Failure(where + ": " + why + "the file does not load completely (" +
                DescribeResult(m_loadResult) + ")");
}

StoreView TreeDocument::Read(bool displays) const {
  return ReadStore(m_store.Get(), m_fileName, displays);
}

}  // namespace tiztool
