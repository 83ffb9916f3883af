// Fuzz inputs that the library reads from files go through a scratch file of
// the fuzzing process's own.
#ifndef TIZ_FUZZ_FUZZFILES_H
#define TIZ_FUZZ_FUZZFILES_H

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/FileSystem.h"

namespace fuzz {

inline std::string ScratchPath(const char *name) {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("tiz-fuzz-" + std::to_string(reinterpret_cast<uintptr_t>(&dir)));
    std::filesystem::create_directories(d);
    return d;
  }();
  return (dir / name).string();
}

inline std::string WriteScratch(const char *name, const uint8_t *data, size_t size) {
  std::string path = ScratchPath(name);
  if (FILE *f = std::fopen(path.c_str(), "wb")) {
    if (size) std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  return path;
}

inline std::string ReadScratch(const char *name) {
  std::string text;
  if (FILE *f = std::fopen(ScratchPath(name).c_str(), "rb")) {
    char buffer[4096];
    size_t count;
    while ((count = std::fread(buffer, 1, sizeof buffer, f)) > 0) text.append(buffer, count);
    std::fclose(f);
  }
  return text;
}

// Saves still go through a temporary file and a rename, but skip forcing
// the data onto the disk: durability is no concern of a fuzz run, and the
// flushes would take most of its time.
inline void SkipDiskFlushes() {
  tiz::platform::FileSystem &files = tiz::platform::Files();
  files.flush = [](tiz::platform::File *) { return tiz::platform::FileStatus::kOk; };
  files.syncDirectory = [](const char *) { return tiz::platform::FileStatus::kOk; };
}

}  // namespace fuzz

#endif
