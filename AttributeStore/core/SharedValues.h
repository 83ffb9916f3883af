// Images and structure objects held by more than one setting. Cloning makes
// a copy share its source's image handles and structure objects (neither
// can be copied); each such value then carries a count of its extra holders,
// and a setting that lets go of it releases it only when it was the last.
//
// The counts exist only for values that cloning shared, so releasing an
// unshared value costs one emptiness test. Used under the global lock.
#ifndef TIZ_CORE_SHAREDVALUES_H
#define TIZ_CORE_SHAREDVALUES_H

#include <cstdint>

namespace tiz {

class CUserDefined;

// Another setting now holds the value. Throws on exhausted memory, before
// anything is counted.
void AddImageHolder(uint32_t hImage);
void AddStructureHolder(const CUserDefined *structure);

// A setting lets go of the value: true when no other setting holds it, so
// the caller releases it; false when another holder remains.
bool DropImageHolder(uint32_t hImage) noexcept;
bool DropStructureHolder(const CUserDefined *structure) noexcept;

}  // namespace tiz

#endif
