// A directory of one test's own, where the configuration stand-in puts tree
// files and looks for settings files while the object lives.
#ifndef TIZ_TESTS_SCRATCHDIRECTORY_H
#define TIZ_TESTS_SCRATCHDIRECTORY_H

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace tiz_test {

inline void SetEnvironment(const char *name, const std::string &value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty())
    unsetenv(name);
  else
    setenv(name, value.c_str(), 1);
#endif
}

inline std::string ReadFileText(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

inline void WriteFileText(const std::filesystem::path &path, const std::string &text) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << text;
}

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::random_device random;
    m_dir = std::filesystem::temp_directory_path() /
            ("tiz-test-" + std::to_string(random()) + "-" + std::to_string(random()));
    std::filesystem::create_directories(m_dir);
    for (const char *name : kVariables) {
      const char *old = std::getenv(name);
      m_saved.push_back(old ? old : "");
      SetEnvironment(name, m_dir.string());
    }
  }
  ~ScratchDirectory() {
    for (size_t i = 0; i < m_saved.size(); ++i) SetEnvironment(kVariables[i], m_saved[i]);
    std::error_code ignored;
    std::filesystem::remove_all(m_dir, ignored);
  }
  ScratchDirectory(const ScratchDirectory &) = delete;
  ScratchDirectory &operator=(const ScratchDirectory &) = delete;

  std::filesystem::path Path(const std::string &name) const { return m_dir / name; }

  // The names of the files in the directory, sorted.
  std::vector<std::string> FileNames() const {
    std::vector<std::string> names;
    for (const auto &entry : std::filesystem::directory_iterator(m_dir))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  static constexpr const char *kVariables[] = {"TIZ_PERSIST_DIR", "TIZ_SETTINGS_DIR"};
  std::filesystem::path m_dir;
  std::vector<std::string> m_saved;
};

}  // namespace tiz_test

#endif
