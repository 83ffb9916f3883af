#include "Failure.h"

#include "tiz.h"
#include "tiz_result.h"

namespace tiztool {

std::string DescribeResult(int32_t result) {
  return "result " + std::to_string(result) + " (" + tiz_result_text(result) + ")";
}

void FailWithResult(const std::string &file, const std::string &action, int32_t result) {
  throw Failure(file + ": " + action + " failed: " + DescribeResult(result));
}

void Check(int32_t result, const std::string &file, const std::string &action) {
  if (result != TIZ_OK) FailWithResult(file, action, result);
}

}  // namespace tiztool
