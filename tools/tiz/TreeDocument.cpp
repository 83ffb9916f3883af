#include "TreeDocument.h"

#include "TreeFiles.h"

namespace tiztool {

TreeDocument TreeDocument::Open(const std::filesystem::path &file) {
  StoreRef store = StoreRef::Create();
  LoadTreeFile(store.Get(), file);
  TreeFileIndex index = TreeFileIndex::Read(file);
  return TreeDocument(std::move(store), std::move(index), file.string());
}

TreeDocument TreeDocument::OpenOrStart(const std::filesystem::path &file) {
  std::error_code error;
  if (std::filesystem::exists(file, error)) return Open(file);
  return TreeDocument(StoreRef::Create(), TreeFileIndex(), file.string());
}

StoreView TreeDocument::Read() const {
  return ReadStore(store_.Get(), kRootStoreName, index_, fileName_);
}

}  // namespace tiztool
