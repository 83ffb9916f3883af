#include "persist/TreeSections.h"

namespace tiz {

bool SplitSectionName(std::string_view name, NameParts *parts) {
  return SplitName(name, parts) && !parts->owner.empty() && !parts->group.empty() &&
         !parts->item.empty();
}

}  // namespace tiz
