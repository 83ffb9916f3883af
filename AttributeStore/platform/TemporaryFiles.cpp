// Temporary file names and the removal of stale temporary files, built on the
// file table only, so that a test can make any of their steps fail.
#include "platform/TemporaryFiles.h"

#include <vector>

#include "platform/FileSystem.h"
#include "platform/PathRules.h"

namespace tiz::platform {

namespace {

constexpr char kTemporaryMark[] = ".tmp";

// The process id in "<base>.tmp<id>-<number>", or false for any other name.
bool ParseTemporaryName(const std::string &name, const std::string &base, uint32_t *processId) {
  const std::string prefix = base + kTemporaryMark;
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return false;
  uint64_t id = 0;
  size_t at = prefix.size(), digits = 0;
  for (; at < name.size() && name[at] >= '0' && name[at] <= '9'; ++at, ++digits) {
    id = id * 10 + static_cast<unsigned>(name[at] - '0');
    if (id > UINT32_MAX) return false;
  }
  if (digits == 0 || at >= name.size() || name[at] != '-') return false;
  size_t counter = ++at;
  for (; at < name.size(); ++at)
    if (name[at] < '0' || name[at] > '9') return false;
  if (at == counter) return false;
  *processId = static_cast<uint32_t>(id);
  return true;
}

}  // namespace

std::string TemporaryPathOf(const char *target, uint32_t processId, unsigned number) {
  return std::string(target) + kTemporaryMark + std::to_string(processId) + "-" +
         std::to_string(number);
}

void RemoveStaleTemporaries(const char *path) {
  const std::string target(path);
  size_t cut = target.size();
  while (cut > 0 && !IsPathSeparator(target[cut - 1])) --cut;
  const std::string base = target.substr(cut);
  // The directory as the listing needs it; its entries are joined back onto
  // the target's own prefix.
  std::string directory = cut == 0 ? std::string(".") : target.substr(0, cut);
  std::vector<std::string> names;
  if (base.empty() || Files().listDirectory(directory.c_str(), &names) != FileStatus::kOk) return;
  for (const std::string &name : names) {
    uint32_t processId = 0;
    if (!ParseTemporaryName(name, base, &processId)) continue;
    if (Files().processGone(processId)) Files().remove((target.substr(0, cut) + name).c_str());
  }
}

}  // namespace tiz::platform
