// Profile files shared between processes: an edit reads the file, changes
// the document in memory and replaces the file, all under the file's
// exclusive lock, so that concurrent edits of one file by several processes
// each see the others' changes and none is lost; a locked load never reads
// in the middle of an edit.
#ifndef TIZ_PERSIST_PROFILEEDIT_H
#define TIZ_PERSIST_PROFILEEDIT_H

#include <cstdint>
#include <functional>
#include <string>

#include "persist/ProfileDocument.h"

namespace tiz {

using ProfileEditor = std::function<int32_t(ProfileDocument &doc)>;

// A symbolic link is edited through: the file it leads to is locked and
// replaced in its own directory; a link that leads nowhere fails
// (kProfileFileFailed) and stays as it is. Locks the file, removes the temporary files that crashed
// saves of it left, reads it (a missing file reads as an empty document), runs `edit` and, when the
// edit modified the document, replaces the file. The result is the edit's code, or else the save's;
// the file is replaced even when the edit fails, so that what it changed before failing is kept.
// The edit must not read or edit the same file itself: the lock is held.
int32_t EditProfileFile(const std::string &path, const ProfileEditor &edit);

// Runs `read` on the file's path (a link's target) under the file's shared
// lock where the platform needs one: it waits for an edit in progress (on
// Windows, which cannot replace a file that a reader has open), never for
// the edits that follow it. The result is the read's, or kProfileFileFailed
// when the lock cannot be had.
using ProfileReader = std::function<int32_t(const std::string &path)>;
int32_t ReadProfileFileLocked(const std::string &path, const ProfileReader &read);
// Reads the file into a document that way.
int32_t LoadProfileFileLocked(const std::string &path, ProfileDocument *doc);

}  // namespace tiz

#endif
