// Settings files are edited by hand: any bytes must load or fail cleanly.
#include <cstdint>

#include "FuzzFiles.h"
#include "tiz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string path = fuzz::WriteScratch("settings.txt", data, size);
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) return 0;
  TIZ_LoadSettings(store, path.c_str());
  TIZ_Release(store);
  return 0;
}
