// The full path the library gives a tree file of this name: the destination
// the configuration library makes of it, as a save and a load resolve it.
#ifndef TIZ_TESTS_WINDOWS_PERSISTPATH_H
#define TIZ_TESTS_WINDOWS_PERSISTPATH_H

#include <cstdint>
#include <string>

#include "brlconfigio.h"

inline std::string PersistPathOf(const std::string &fileName) {
  BCIO_SetConfigParameterDest("ATTRIBUTESTORE\\BAGSETTINGSPERSIST", 2, fileName.c_str());
  uint32_t reserved = 0;
  char configured[260] = {};
  uint32_t size = sizeof configured;
  BCIO_GetConfigParameterDest("ATTRIBUTESTORE\\BAGSETTINGSPERSIST", &reserved, configured, &size);
  return configured;
}

#endif
