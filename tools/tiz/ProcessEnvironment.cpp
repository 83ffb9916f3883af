#include "ProcessEnvironment.h"

#include <cstdlib>

#include "Failure.h"

namespace tiztool {

void SetEnvironmentVariable(const char *name, const std::string &value) {
#ifdef _WIN32
  int failed = _putenv_s(name, value.c_str());
#else
  int failed = setenv(name, value.c_str(), 1);
#endif
  if (failed) throw Failure(std::string("cannot set ") + name);
}

}  // namespace tiztool
