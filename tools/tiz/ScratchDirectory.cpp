#include "ScratchDirectory.h"

#include <random>
#include <system_error>

#include "Failure.h"

namespace fs = std::filesystem;

namespace tiztool {

fs::path CreateFreshDirectory(const std::string &prefix) {
  std::error_code error;
  fs::path base = fs::temp_directory_path(error);
  if (error) throw Failure("no temporary directory: " + error.message());
  std::random_device entropy;
  std::mt19937 generator(entropy());
  for (int attempt = 0; attempt < 100; ++attempt) {
    fs::path candidate = base / (prefix + std::to_string(generator() % 100000000));
    if (fs::create_directory(candidate, error)) return candidate;
    if (error) break;
  }
  throw Failure(base.string() + ": cannot create a directory" +
                (error ? ": " + error.message() : std::string()));
}

ScratchDirectory::~ScratchDirectory() {
  std::error_code ignored;
  fs::remove_all(m_path, ignored);
}

}  // namespace tiztool
