// Counts the release callbacks of one structure: hand a Probe as the
// structure's data and ReleaseProbe as its release.
#ifndef TIZ_TESTS_RELEASEPROBE_H
#define TIZ_TESTS_RELEASEPROBE_H

#include "tiz.h"

namespace tiz_test {

struct Probe {
  int releases = 0;
};

inline void TIZ_API ReleaseProbe(void *data) { ++static_cast<Probe *>(data)->releases; }

}  // namespace tiz_test

#endif
