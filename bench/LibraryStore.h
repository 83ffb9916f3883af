// The library behind the same small interface as the baselines.
#ifndef TIZ_BENCH_LIBRARYSTORE_H
#define TIZ_BENCH_LIBRARYSTORE_H

#include <cstddef>
#include <cstdint>

#include "tiz.h"

namespace bench {

class LibraryStore {
 public:
  LibraryStore() { TIZ_Create(&handle_); }
  ~LibraryStore() { TIZ_Release(handle_); }
  LibraryStore(const LibraryStore &) = delete;
  LibraryStore &operator=(const LibraryStore &) = delete;

  void SetDword(const char *g, const char *i, uint32_t v) { TIZ_SetSettingDword(handle_, g, i, v); }
  bool GetDword(const char *g, const char *i, uint32_t *v) {
    return TIZ_GetSettingDword(handle_, g, i, v) == 0;
  }
  void SetString(const char *g, const char *i, const char *s) {
    TIZ_SetSettingString(handle_, g, i, s);
  }
  bool GetString(const char *g, const char *i, char *dest, size_t len) {
    return TIZ_GetSettingString(handle_, g, i, dest, static_cast<int32_t>(len)) == 0;
  }
  uint32_t Handle() const { return handle_; }

 private:
  uint32_t handle_ = 0;
};

}  // namespace bench

#endif
