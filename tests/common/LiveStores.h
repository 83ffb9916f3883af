// How many stores a handle table holds, counted from its slots, so that a
// test can tell that an operation left no store behind without the library
// keeping a count for it.
#ifndef TIZ_TESTS_COMMON_LIVESTORES_H
#define TIZ_TESTS_COMMON_LIVESTORES_H

#include <cstddef>

#include "core/StoreHandles.h"

namespace tiz_test {

// The caller holds the global lock where other threads may change the table.
size_t LiveStoresIn(const tiz::StoreHandles &table);

}  // namespace tiz_test

#endif
