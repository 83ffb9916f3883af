// Compiled, never run: tiz.hpp (and tiz.h through it) must stand alone in
// strict C++17, templates instantiated.
#include <string>

#include "tiz.hpp"

int TizHeaderCompilesAsCxx();

int TizHeaderCompilesAsCxx() {
  tiz::Store store = tiz::Store::create();
  store.set_structure<std::string>(
      "Data", "", "text", [](std::string &) {}, [](const std::string &s) { return s; });
  int groups = 0;
  for (const std::string &group : store.groups()) groups += static_cast<int>(group.size());
  return groups + static_cast<int>(store.get_structure<std::string>("Data", "").found());
}
