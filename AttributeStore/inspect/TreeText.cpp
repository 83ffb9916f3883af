// A tree file's text, where its sections stand, its names, and the locked
// edit and the whole-file replace of the tool.
#include <exception>
#include <utility>

#include "inspect/DocumentLines.h"
#include "inspect/TreeInspection.h"
#include "inspect/TreeTextAccess.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileEdit.h"
#include "persist/ProfileLines.h"
#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"
#include "platform/FileSystem.h"

namespace tiz::inspect {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsCommentLine(std::string_view line) {
  line = TrimProfileBlanks(line);
  return !line.empty() && line.front() == ';';
}

}  // namespace

TreeText::TreeText() : m_doc(std::make_unique<ProfileDocument>()) {}
TreeText::TreeText(std::string text) : m_doc(std::make_unique<ProfileDocument>(std::move(text))) {}
TreeText::TreeText(TreeText &&) noexcept = default;
TreeText &TreeText::operator=(TreeText &&) noexcept = default;
TreeText::~TreeText() = default;

std::string TreeText::Render() const { return m_doc->Render(); }

TreeText TreeText::EmptyLike() const {
  std::string text = m_doc->Render();
  TreeText empty(text.compare(0, kUtf8Bom.size(), kUtf8Bom) == 0 ? std::string(kUtf8Bom)
                                                                 : std::string());
  empty.m_doc->SetEncoding(m_doc->Encoding());
  return empty;
}

TreeLayout ReadLayout(const TreeText &tree) {
  const ProfileDocument &doc = TreeTextAccess::Doc(tree);
  TreeLayout layout;
  layout.sections.reserve(doc.SectionCount());  // repeats aside, all of them
  DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &header) {
    SectionAt section;
    section.number = header.number;
    section.name = std::string(header.name);
    section.line = header.line;
    section.listed = header.listed;
    DocumentLines::ForEachKey(doc, header, [&](const DocumentLines::KeyLine &key) {
      section.keys.push_back({std::string(key.key), std::string(key.value), key.line});
    });
    layout.sections.push_back(std::move(section));
  });
  // The lines the engine passes over, and the spelling of each header.
  std::string rendered = doc.Render();
  std::string_view text = rendered;
  // A UTF-8 byte order mark is no part of the first line.
  if (text.substr(0, kUtf8Bom.size()) == kUtf8Bom) text.remove_prefix(kUtf8Bom.size());
  TextLines lines(text, HoldsLoneCr(text));
  std::string_view line, spelling;
  LineEnd end;
  size_t number = 0, next = 0;
  SectionAt *current = nullptr;
  while (lines.Next(&line, &end)) {
    ++number;
    if (next < layout.sections.size() && layout.sections[next].line == number) {
      current = &layout.sections[next++];
      if (ParseHeader(line, &spelling)) current->spelling = std::string(spelling);
      continue;
    }
    std::string_view trimmed = TrimProfileBlanks(line);
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

const std::string_view kSizeKey = tiz::kSizeKey;
const std::string_view kTypeKey = tiz::kTypeKey;
const std::string_view kValueKey = tiz::kValueKey;
const std::string_view kSameStoreKey = tiz::kSameStoreKey;

bool OwnerOfSection(std::string_view name, std::string_view *owner) {
  NameParts parts;
  if (!SplitSectionName(name, &parts)) return false;
  *owner = parts.owner;
  return true;
}

bool SectionNamesEqual(std::string_view a, std::string_view b) { return ProfileNamesEqual(a, b); }
size_t SectionNameHash(std::string_view name) { return ProfileNameHash(name); }
std::string_view TrimBlanks(std::string_view text) { return TrimProfileBlanks(text); }

void RemoveSettingSections(TreeText &text, const std::string &storeName, const SettingKey &key) {
  ProfileDocument &doc = TreeTextAccess::Doc(text);
  const std::string section = storeName + kKeySeparator + key.group + kKeySeparator + key.item;
  const std::string below = section + kKeySeparator;
  std::vector<ProfileDocument::SectionNumber> removed;
  DocumentLines::ForEachHeader(doc, [&](const DocumentLines::Header &header) {
    if (ProfileNamesEqual(header.name, section) || header.name.substr(0, below.size()) == below)
      removed.push_back(header.number);
  });
  // Numbers stay valid while sections go.
  for (ProfileDocument::SectionNumber number : removed) doc.RemoveSection(number);
}

int32_t EditTreeFile(const std::string &path, const std::function<bool(TreeText &)> &edit) {
  // The edit works on a copy, so a failure part way leaves the document
  // unmodified and the file as it was.
  std::exception_ptr failure;
  int32_t result = EditProfileFile(path, [&](ProfileDocument &doc) {
    try {
      TreeText work(doc.Render());
      if (edit(work)) doc = std::move(TreeTextAccess::Doc(work));
    } catch (...) {
      failure = std::current_exception();
    }
    return 0;
  });
  if (failure) std::rethrow_exception(failure);
  return result;
}

bool ReplaceFile(const std::string &path, std::string_view bytes) {
  return platform::ReplaceFileAtomically(path.c_str(), bytes) == platform::FileStatus::kOk;
}

}  // namespace tiz::inspect
