// Fresh directories under the system's temporary directory.
#ifndef TIZ_TOOL_SCRATCHDIRECTORY_H
#define TIZ_TOOL_SCRATCHDIRECTORY_H

#include <filesystem>
#include <string>

namespace tiztool {

// Creates a new directory named `prefix` and a random suffix; it is the
// caller's to keep.
std::filesystem::path CreateFreshDirectory(const std::string &prefix);

// A fresh directory that is removed, with its contents, on destruction.
class ScratchDirectory {
 public:
  ScratchDirectory() : m_path(CreateFreshDirectory("tiz-scratch-")) {}
  ~ScratchDirectory();
  ScratchDirectory(const ScratchDirectory &) = delete;
  ScratchDirectory &operator=(const ScratchDirectory &) = delete;

  const std::filesystem::path &Path() const { return m_path; }

 private:
  std::filesystem::path m_path;
};

}  // namespace tiztool

#endif
