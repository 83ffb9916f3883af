// Tree files are INI text that people edit: any bytes must load or fail
// cleanly, whatever loaded must save again, and the saved file must load.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "FuzzFiles.h"
#include "FuzzStores.h"
#include "tiz.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::SkipDiskFlushes();
  // Tree files are found by their last path component in this directory.
  setenv("TIZ_PERSIST_DIR", fuzz::ScratchPath("").c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  fuzz::WriteScratch("tree.ini", data, size);
  std::remove(fuzz::ScratchPath("tree-copy.ini").c_str());
  uint32_t loaded = 0, reloaded = 0;
  if (TIZ_Create(&loaded) != 0) return 0;
  if (TIZ_Create(&reloaded) == 0) {
    TIZ_Deserialize(loaded, "tree.ini");
    if (TIZ_Serialize(loaded, "tree-copy.ini") == 0) TIZ_Deserialize(reloaded, "tree-copy.ini");
  }
  fuzz::ReleaseReachable({loaded, reloaded});
  return 0;
}
