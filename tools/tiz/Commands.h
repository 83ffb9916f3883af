// The subcommands of tiz. Each Add...Command registers its options with the
// command line parser and returns what to run when it was chosen.
#ifndef TIZ_TOOL_COMMANDS_H
#define TIZ_TOOL_COMMANDS_H

#include <CLI/CLI.hpp>
#include <functional>
#include <string>

namespace tiztool {

// Exit statuses of every subcommand (diff uses 1 for "the files differ").
constexpr int kExitSuccess = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

struct Command {
  CLI::App *app;
  std::function<int()> run;
  // The status for a failed operation: `diff` reports trouble with 2, as
  // diff does, since 1 means the files differ.
  int failureStatus = kExitFailure;
};

// A subcommand with a one-line summary for `tiz --help` and the details
// below its own usage, ended by what its exit statuses mean.
CLI::App *AddSubcommand(CLI::App &app, const std::string &name, const std::string &summary,
                        const std::string &details,
                        const std::string &exitStatus =
                            "0 success, 1 a failed operation, "
                            "2 bad usage");

Command AddShowCommand(CLI::App &app);
Command AddGetCommand(CLI::App &app);
Command AddSetCommand(CLI::App &app);
Command AddDeleteCommand(CLI::App &app);
Command AddDiffCommand(CLI::App &app);
Command AddLoadCommand(CLI::App &app);
Command AddPackCommand(CLI::App &app);
Command AddUnpackCommand(CLI::App &app);
Command AddCheckCommand(CLI::App &app);
Command AddCompactCommand(CLI::App &app);
Command AddDemoCommand(CLI::App &app);

}  // namespace tiztool

#endif
