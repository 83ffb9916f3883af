// What the library's result codes mean, in words a user of the tool reads in
// an error message.
#ifndef TIZ_TOOL_RESULTCODES_H
#define TIZ_TOOL_RESULTCODES_H

#include <cstdint>
#include <string>

namespace tiztool {

// "result -180 (a section name lacks its owner, group or item part)".
std::string DescribeResult(int32_t result);

}  // namespace tiztool

#endif
