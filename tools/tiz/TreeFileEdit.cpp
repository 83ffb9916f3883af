#include "TreeFileEdit.h"

#include <cstdint>
#include <system_error>
#include <vector>

#include "Failure.h"
#include "TreeDocument.h"
#include "TreeLayout.h"
#include "core/Names.h"
#include "persist/ProfileLines.h"
#include "persist/ProfileNames.h"
#include "platform/FileSystem.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

// The file that a write to `file` replaces: a link's target, not the link.
fs::path ReplacedFile(const fs::path &file) {
  std::error_code error;
  fs::path absolute = fs::absolute(file, error);
  if (error) throw Failure(file.string() + ": " + error.message());
  if (fs::path target = fs::canonical(absolute, error); !error) return target;
  if (!fs::is_directory(absolute.parent_path(), error))
    throw Failure(file.string() + ": no such directory");
  return absolute;
}

}  // namespace

void EditTreeFile(const fs::path &file, bool create,
                  const std::function<bool(tiz::ProfileDocument &doc)> &edit) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  bool exists = fs::exists(fs::symlink_status(file, error));
  if (!exists && !create)
    throw Failure(file.string() + ": no such file (give --create to start a new one)");
  tiz::ProfileDocument doc =
      exists ? tiz::ProfileDocument(ReadWholeTreeFile(file)) : tiz::ProfileDocument();
  if (edit(doc)) WriteTreeFile(replaced, doc);
}

void WriteTreeFile(const fs::path &file, const tiz::ProfileDocument &doc) {
  fs::path replaced = ReplacedFile(file);
  std::error_code error;
  if (fs::is_directory(replaced, error)) throw Failure(file.string() + ": is a directory");
  if (tiz::platform::ReplaceFileAtomically(replaced.string().c_str(), doc.Render()) !=
      tiz::platform::FileStatus::kOk) {
    throw Failure(file.string() + ": cannot replace the file");
  }
}

void RemoveSettingSections(tiz::ProfileDocument &doc, const std::string &storeName,
                           const SettingKey &key) {
  const std::string section =
      storeName + tiz::kKeySeparator + key.group + tiz::kKeySeparator + key.item;
  const std::string below = section + tiz::kKeySeparator;
  // A section runs from its header to the line before the next header.
  std::string text = doc.Render();
  TreeLayout layout = ReadLayout(text);
  std::vector<std::pair<size_t, size_t>> dropped;  // first and last line
  for (size_t i = 0; i < layout.sections.size(); ++i) {
    const std::string &name = layout.sections[i].name;
    if (!tiz::ProfileNamesEqual(name, section) && name.compare(0, below.size(), below) != 0)
      continue;
    size_t last = i + 1 < layout.sections.size() ? layout.sections[i + 1].line - 1 : SIZE_MAX;
    dropped.emplace_back(layout.sections[i].line, last);
  }
  std::string kept;
  size_t number = 0, next = 0;
  tiz::TextLines lines(text);
  std::string_view line;
  tiz::LineEnd end;
  const char *lineStart = text.data();
  while (lines.Next(&line, &end)) {
    ++number;
    const char *lineEnd = lines.Rest().data();
    while (next < dropped.size() && dropped[next].second < number) ++next;
    bool drop = next < dropped.size() && dropped[next].first <= number;
    if (!drop) kept.append(lineStart, static_cast<size_t>(lineEnd - lineStart));
    lineStart = lineEnd;
  }
  doc = tiz::ProfileDocument(std::move(kept));
}

}  // namespace tiztool
