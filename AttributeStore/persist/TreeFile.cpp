#include "persist/TreeFile.h"

#include <string>
#include <utility>

#include "persist/ConfiguredPaths.h"
#include "persist/FileSections.h"
#include "persist/ProfileDocument.h"
#include "persist/ProfileEdit.h"
#include "persist/ProfileFile.h"
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
  return ReadProfileFileLocked(path, [store](const std::string &resolved) {
    // Read a piece at a time: the load holds the store it fills, never the
    // whole file's text beside it.
    FileSections sections;
    if (int32_t r = sections.Open(resolved.c_str())) return r;
    if (!sections.HoldsUtf16()) return DeserializeStore(store, sections);
    // UTF-16 text is converted as a whole, into a document.
    std::string bytes;
    if (int32_t r = sections.TakeWholeFile(&bytes)) return r;
    ProfileDocument doc = ProfileDocumentFromBytes(std::move(bytes));
    return DeserializeStore(store, doc);
  });
}

}  // namespace tiz
