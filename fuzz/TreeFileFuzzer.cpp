// Tree files are INI text that people edit: any bytes must load or fail
// cleanly, and whatever loaded must save again.
#include <cstdint>
#include <cstdio>

#include "FuzzFiles.h"
#include "tiz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string path = fuzz::WriteScratch("tree.ini", data, size);
  std::string copy = fuzz::ScratchPath("tree-copy.ini");
  std::remove(copy.c_str());
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) return 0;
  if (TIZ_Deserialize(store, path.c_str()) == 0) TIZ_Serialize(store, copy.c_str());
  TIZ_Release(store);
  return 0;
}
