#include "persist/ProfileFile.h"

#include <utility>

#include "platform/FileSystem.h"

namespace tiz {

int32_t LoadProfileFile(const std::string &path, ProfileDocument *doc) {
  std::string text;
  platform::FileStatus status = platform::ReadWholeFile(path.c_str(), &text);
  if (status == platform::FileStatus::kNotFound) {
    *doc = ProfileDocument();
    return 0;
  }
  if (status != platform::FileStatus::kOk) return kProfileFileFailed;
  *doc = ProfileDocument(std::move(text));
  return 0;
}

int32_t SaveProfileFile(const std::string &path, const ProfileDocument &doc) {
  platform::FileStatus status = platform::ReplaceFileAtomically(path.c_str(), doc.Render());
  return status == platform::FileStatus::kOk ? 0 : kProfileFileFailed;
}

}  // namespace tiz
