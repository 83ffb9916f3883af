// What a load of a tree file would not restore, or would restore otherwise
// than the file says: one finding per line concerned.
#ifndef TIZ_TOOL_TREECHECK_H
#define TIZ_TOOL_TREECHECK_H

#include <cstdint>
#include <string>
#include <vector>

namespace tiztool {

class TreeDocument;

struct Finding {
  size_t line = 0;
  std::string text;
  // The code with which this makes the load fail; 0 when the load goes on.
  int32_t loadResult = 0;
};

// In line order.
std::vector<Finding> CheckTree(const TreeDocument &tree);

}  // namespace tiztool

#endif
