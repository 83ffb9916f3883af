#include "persist/TreeFile.h"

#include <string>

#include "persist/ConfiguredPaths.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileEdit.h"
#include "persist/TreeReader.h"
#include "persist/TreeWriter.h"

namespace tiz {

int32_t SaveTreeFile(CAttributeStore *store, std::string_view fileName) {
  std::string path;
  if (int32_t r = ResolvePersistPath(fileName, &path)) return r;
  return EditProfileFile(path,
                         [store](ProfileDocument &doc) { return SerializeStore(store, doc); });
}

int32_t LoadTreeFile(CAttributeStore *store, std::string_view fileName) {
  std::string path;
  if (int32_t r = ResolvePersistPath(fileName, &path)) return r;
  ProfileDocument doc;
  if (int32_t r = LoadProfileFileLocked(path, &doc)) return r;
  return DeserializeStore(store, doc);
}

}  // namespace tiz
