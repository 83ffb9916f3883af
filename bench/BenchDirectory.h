// The one directory of a benchmark run: its files, and the configured
// directory of tree files, which the library resolves every file name in.
// Made on first use, with TIZ_PERSIST_DIR pointed at it, so that every
// benchmark of the run saves and loads in the same place.
#ifndef TIZ_BENCH_BENCHDIRECTORY_H
#define TIZ_BENCH_BENCHDIRECTORY_H

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace bench {

inline const std::filesystem::path &BenchDirectory() {
  static const std::filesystem::path dir = [] {
    auto d = std::filesystem::temp_directory_path() /
             ("tiz-bench-" +
              std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    std::filesystem::create_directories(d);
    setenv("TIZ_PERSIST_DIR", d.c_str(), 1);
    return d;
  }();
  return dir;
}

}  // namespace bench

#endif
