#include "persist/ProfileEdit.h"

#include "persist/ProfileFile.h"
#include "platform/FileSystem.h"
#include "platform/TargetLock.h"
#include "platform/TemporaryFiles.h"

namespace tiz {

int32_t EditProfileFile(const std::string &named, const ProfileEditor &edit) {
  // A link is written through: the lock and the temporary files belong to
  // the file it leads to, in that file's directory.
  std::string path;
  if (platform::Files().replacedFile(named.c_str(), &path) != platform::FileStatus::kOk)
    return kProfileFileFailed;
  platform::TargetLock lock;
  // Not found: the directory takes no files, and a save that changes the
  // file fails when it makes its temporary file, as it always has.
  platform::FileStatus status = lock.Acquire(path, platform::LockKind::kExclusive);
  if (status != platform::FileStatus::kOk && status != platform::FileStatus::kNotFound)
    return kProfileFileFailed;
  platform::RemoveStaleTemporaries(path.c_str());
  ProfileDocument doc;
  if (int32_t r = LoadProfileFile(path, &doc)) return r;
  int32_t result = edit(doc);
  if (doc.Modified()) {
    int32_t saved = SaveProfileFile(path, doc);
    if (result == 0) result = saved;
  }
  return result;
}

int32_t ReadProfileFileLocked(const std::string &named, const ProfileReader &read) {
  // The lock of the file a link leads to, which its writers take; a link
  // that leads nowhere reads as a missing file.
  std::string path;
  if (platform::Files().replacedFile(named.c_str(), &path) != platform::FileStatus::kOk)
    path = named;
  platform::TargetLock lock;
  // No lock file: no edit is under way, and the file is read as it stands.
  platform::FileStatus status = lock.Acquire(path, platform::LockKind::kShared);
  if (status != platform::FileStatus::kOk && status != platform::FileStatus::kNotFound)
    return kProfileFileFailed;
  return read(path);
}

int32_t LoadProfileFileLocked(const std::string &named, ProfileDocument *doc) {
  return ReadProfileFileLocked(
      named, [doc](const std::string &path) { return LoadProfileFile(path, doc); });
}

}  // namespace tiz
