// A profile file on disk, read once and replaced once per operation: an
// export that edits many keys applies them to the document in memory and
// then swaps the whole file, so the file on disk is never half written.
#ifndef TIZ_PERSIST_PROFILEFILE_H
#define TIZ_PERSIST_PROFILEFILE_H

#include <cstdint>
#include <string>

#include "persist/ProfileDocument.h"
#include "tiz.h"

namespace tiz {

// The file could not be read, or not replaced.
constexpr int32_t kProfileFileFailed = TIZ_E_OPEN_FILE;

// Reads the file at `path`; a missing file reads as an empty document.
int32_t LoadProfileFile(const std::string &path, ProfileDocument *doc);
// Replaces the file at `path` by the document's text.
int32_t SaveProfileFile(const std::string &path, const ProfileDocument &doc);

}  // namespace tiz

#endif
