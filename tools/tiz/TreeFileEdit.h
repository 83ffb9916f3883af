// The one way the tool changes a tree file that exists: read it completely,
// edit the library's text of it, and replace the file at once, so that every
// line the edit does not touch stays byte for byte.
#ifndef TIZ_TOOL_TREEFILEEDIT_H
#define TIZ_TOOL_TREEFILEEDIT_H

#include <filesystem>
#include <functional>

#include "TreeInspection.h"

namespace tiztool {

// `edit` gets the text of the file (an empty one for a missing file when
// `create` is set; a missing file is a failure otherwise) and changes it,
// returning whether to write it, or throws to leave the file as it was. A
// link is followed: the file it names is the one replaced.
void EditTreeFile(const std::filesystem::path &file, bool create,
                  const std::function<bool(tiz::inspect::TreeText &text)> &edit);

// Writes `text` as the whole file, replacing any file of that name at once.
void WriteTreeFile(const std::filesystem::path &file, const tiz::inspect::TreeText &text);

// Copies the file's bytes as they are (any encoding) to `copy`, replacing
// any file of that name at once.
void CopyTreeFile(const std::filesystem::path &file, const std::filesystem::path &copy);

}  // namespace tiztool

#endif
