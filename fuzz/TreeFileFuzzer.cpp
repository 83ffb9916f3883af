// Tree files are INI text that people edit: any bytes must load or fail
// cleanly, whatever loaded must save again, and the saved file must load. A
// load from the disk, which reads the file a piece at a time, must make what
// a load of the same bytes read whole into a document makes.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <utility>

#include "FuzzFiles.h"
#include "FuzzStores.h"
#include "frame/Frame.h"
#include "persist/ProfileFile.h"
#include "persist/TreeReader.h"
#include "tiz.h"

namespace {

// The bytes loaded through a document, into a new store; its handle, or 0.
uint32_t LoadThroughDocument(const uint8_t *data, size_t size, int32_t *result) {
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) return 0;
  tiz::frame::LockScope lock;
  tiz::ProfileDocument doc =
      tiz::ProfileDocumentFromBytes(std::string(reinterpret_cast<const char *>(data), size));
  *result = tiz::DeserializeStore(tiz::LookupStore(store), doc);
  return store;
}

// The tree a store holds, as its saved file's text.
std::string Saved(uint32_t store, const char *name) {
  std::remove(fuzz::ScratchPath(name).c_str());
  if (TIZ_Serialize(store, name) != 0) return "(not saved)";
  return fuzz::ReadScratch(name);
}

}  // namespace

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
  int32_t viaDocumentResult = 0;
  const uint32_t viaDocument = LoadThroughDocument(data, size, &viaDocumentResult);
  if (TIZ_Create(&reloaded) == 0) {
    const int32_t result = TIZ_Deserialize(loaded, "tree.ini");
    if (viaDocument &&
        (result != viaDocumentResult ||
         Saved(loaded, "from-file.ini") != Saved(viaDocument, "from-document.ini"))) {
      std::fprintf(stderr, "the file and its document load differently: %d and %d\n", result,
                   viaDocumentResult);
      std::abort();
    }
    if (TIZ_Serialize(loaded, "tree-copy.ini") == 0) TIZ_Deserialize(reloaded, "tree-copy.ini");
  }
  fuzz::ReleaseReachable({loaded, reloaded, viaDocument});
  return 0;
}
