#include "ToolRunner.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <iterator>

extern char **environ;

namespace tiztest {

namespace {

std::string ReadWhole(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

ToolRun RunTool(const ToolInvocation &invocation) {
  // The child's streams go through files: nothing to drain while it runs.
  const std::filesystem::path streams = invocation.directory / ".tool-streams";
  std::filesystem::create_directories(streams);
  const std::filesystem::path in = streams / "in", out = streams / "out", err = streams / "err";
  std::ofstream(in, std::ios::binary) << invocation.input;

  std::vector<std::string> arguments{TIZ_TOOL_PATH};
  arguments.insert(arguments.end(), invocation.arguments.begin(), invocation.arguments.end());
  std::vector<char *> argv;
  for (std::string &argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);

  std::map<std::string, std::string> variables;
  for (char **entry = environ; *entry; ++entry) {
    std::string text(*entry);
    size_t equals = text.find('=');
    if (equals != std::string::npos) variables[text.substr(0, equals)] = text.substr(equals + 1);
  }
  for (const auto &[name, value] : invocation.environment) variables[name] = value;
  std::vector<std::string> entries;
  for (const auto &[name, value] : variables) entries.push_back(name + "=" + value);
  std::vector<char *> envp;
  for (std::string &entry : entries) envp.push_back(entry.data());
  envp.push_back(nullptr);

  pid_t child = fork();
  if (child == 0) {
    int input = open(in.c_str(), O_RDONLY);
    int output = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    int error = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (input < 0 || output < 0 || error < 0 || chdir(invocation.directory.c_str()) != 0)
      _exit(127);
    dup2(input, 0);
    dup2(output, 1);
    dup2(error, 2);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  ToolRun run;
  int status = 0;
  if (child > 0 && waitpid(child, &status, 0) == child && WIFEXITED(status)) {
    run.status = WEXITSTATUS(status);
  }
  run.out = ReadWhole(out);
  run.err = ReadWhole(err);
  return run;
}

}  // namespace tiztest
