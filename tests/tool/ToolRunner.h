// Runs the built tiz binary in a child process, as a user would from a
// shell, and collects what it printed and its exit status.
#ifndef TIZ_TESTS_TOOL_TOOLRUNNER_H
#define TIZ_TESTS_TOOL_TOOLRUNNER_H

#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace tiztest {

struct ToolRun {
  int status = -1;  // exit status; -1 when the child did not exit normally
  std::string out;
  std::string err;
};

struct ToolInvocation {
  std::vector<std::string> arguments;              // after the program name
  std::string input;                               // standard input
  std::filesystem::path directory;                 // working directory
  std::map<std::string, std::string> environment;  // added to the test's own
};

ToolRun RunTool(const ToolInvocation &invocation);

}  // namespace tiztest

#endif
