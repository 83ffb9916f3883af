// Which settings a tree file holds, store by store. The library's iteration
// lists only the groups of a store, never its items, so the tool learns the
// keys from the section names of the tree file the store was loaded from or
// saved to (each one: store name, 0x7F, group, 0x7F, item) and then reads
// every value through the library.
#ifndef TIZ_TOOL_TREEFILEINDEX_H
#define TIZ_TOOL_TREEFILEINDEX_H

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tiztool {

struct SettingKey {
  std::string group;
  std::string item;
};

class TreeFileIndex {
 public:
  // Fails when the file cannot be read, or when it holds text but not a
  // single section (it is no tree file at all).
  static TreeFileIndex Read(const std::filesystem::path &file);

  // The keys of the store with this name (its `m_name`), in file order.
  const std::vector<SettingKey> &KeysOf(const std::string &storeName) const;

 private:
  void AddSection(const std::string &section);

  std::map<std::string, std::vector<SettingKey>> keysByStore_;
};

}  // namespace tiztool

#endif
