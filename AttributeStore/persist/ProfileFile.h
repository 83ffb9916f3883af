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

// A document from the bytes of a file, and the bytes of a document, as
// the platform reads and writes them: a file starting with a UTF-16 byte
// order mark holds its text as UTF-16 (read in the ANSI code page), every
// other file its bytes.
ProfileDocument ProfileDocumentFromBytes(std::string bytes);
std::string ProfileFileBytes(const ProfileDocument &doc);

// Reads the file at `path`; a missing file reads as an empty document.
int32_t LoadProfileFile(const std::string &path, ProfileDocument *doc);
// Replaces the file at `path` by the document's text.
int32_t SaveProfileFile(const std::string &path, const ProfileDocument &doc);

}  // namespace tiz

#endif
