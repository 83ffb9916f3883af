#include "Failure.h"

#include "ResultCodes.h"
#include "tiz.h"

namespace tiztool {

void FailWithResult(const std::string &file, const std::string &action, int32_t result) {
  throw Failure(file + ": " + action + " failed: " + DescribeResult(result));
}

void Check(int32_t result, const std::string &file, const std::string &action) {
  if (result != TIZ_OK) FailWithResult(file, action, result);
}

}  // namespace tiztool
