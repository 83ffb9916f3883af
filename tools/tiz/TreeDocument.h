// A tree file opened for a subcommand: the store the library loaded from it
// and the index of the keys it holds.
#ifndef TIZ_TOOL_TREEDOCUMENT_H
#define TIZ_TOOL_TREEDOCUMENT_H

#include <filesystem>
#include <string>

#include "StoreRef.h"
#include "StoreView.h"
#include "TreeFileIndex.h"

namespace tiztool {

class TreeDocument {
 public:
  // Loads the tree file into a new store; fails for a missing or malformed
  // file.
  static TreeDocument Open(const std::filesystem::path &file);
  // The same, but a file that does not exist yet is an empty tree.
  static TreeDocument OpenOrStart(const std::filesystem::path &file);

  uint32_t Store() const { return store_.Get(); }
  const std::string &FileName() const { return fileName_; }
  const TreeFileIndex &Index() const { return index_; }

  // Everything the store holds.
  StoreView Read() const;

 private:
  TreeDocument(StoreRef store, TreeFileIndex index, std::string fileName)
      : store_(std::move(store)), index_(std::move(index)), fileName_(std::move(fileName)) {}

  StoreRef store_;
  TreeFileIndex index_;
  std::string fileName_;
};

}  // namespace tiztool

#endif
