// The one way a subcommand reports a failed operation: an exception carrying
// the finished one-line message, turned into exit status 1 by main.
#ifndef TIZ_TOOL_FAILURE_H
#define TIZ_TOOL_FAILURE_H

#include <cstdint>
#include <stdexcept>
#include <string>

namespace tiztool {

class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Bad input that the command line parser cannot see (a group with a blank,
// a malformed number): exit status 2 like any other usage error.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "result -180 (a section name in the tree file lacks ...)".
std::string DescribeResult(int32_t result);

// "FILE: ACTION failed: result CODE (MEANING)".
[[noreturn]] void FailWithResult(const std::string &file, const std::string &action,
                                 int32_t result);

// Throws unless `result` is TIZ_OK.
void Check(int32_t result, const std::string &file, const std::string &action);

}  // namespace tiztool

#endif
