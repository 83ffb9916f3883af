#include "persist/TreeFile.h"

#include <string>

#include "persist/ConfiguredPaths.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileFile.h"
#include "persist/TreeReader.h"
#include "persist/TreeWriter.h"

namespace tiz {

int32_t SaveTreeFile(CAttributeStore *store, std::string_view fileName) {
  std::string path;
  if (int32_t r = ResolvePersistPath(fileName, &path)) return r;
  ProfileDocument doc;
  if (int32_t r = LoadProfileFile(path, &doc)) return r;
  int32_t result = SerializeStore(store, doc);
  if (doc.Modified()) {
    int32_t saved = SaveProfileFile(path, doc);
    if (result == 0) result = saved;
  }
  return result;
}

int32_t LoadTreeFile(CAttributeStore *store, std::string_view fileName) {
  std::string path;
  if (int32_t r = ResolvePersistPath(fileName, &path)) return r;
  ProfileDocument doc;
  if (int32_t r = LoadProfileFile(path, &doc)) return r;
  return DeserializeStore(store, doc);
}

}  // namespace tiz
