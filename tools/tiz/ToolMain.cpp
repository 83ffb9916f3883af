#include "ToolMain.h"

#include <CLI/CLI.hpp>
#include <exception>
#include <iostream>
#include <vector>

#include "Commands.h"
#include "Failure.h"

namespace tiztool {
namespace {

int RunCommand(const Command &command) {
  const std::string prefix = "tiz " + command.app->get_name() + ": ";
  try {
    return command.run();
  } catch (const UsageError &error) {
    std::cerr << prefix << error.what() << " (see tiz " << command.app->get_name() << " --help)\n";
    return kExitUsage;
  } catch (const std::exception &error) {
    std::cerr << prefix << error.what() << '\n';
    return command.failureStatus;
  }
}

}  // namespace

int RunTool(int argc, char **argv) {
  CLI::App app("Looks into tree files and settings files of the tiz attribute-store library.",
               "tiz");
  app.require_subcommand(0, 1);

  std::vector<Command> commands = {
      AddShowCommand(app), AddGetCommand(app),    AddSetCommand(app),   AddDeleteCommand(app),
      AddDiffCommand(app), AddLoadCommand(app),   AddCheckCommand(app), AddCompactCommand(app),
      AddPackCommand(app), AddUnpackCommand(app), AddDemoCommand(app)};
  app.set_version_flag("--version", std::string("tiz ") + TIZ_TOOL_VERSION);
  app.footer(
      "Exit status: 0 success, 1 a failed operation, 2 bad usage (diff: 1 when the files\n"
      "differ, 2 on trouble). Run 'tiz SUBCOMMAND --help' for one subcommand.");

  try {
    app.parse(argc, argv);
  } catch (const CLI::Success &help) {  // --help
    return app.exit(help);
  } catch (const CLI::ParseError &error) {
    std::string command = "tiz";
    for (const Command &candidate : commands) {
      if (candidate.app->parsed()) command += " " + candidate.app->get_name();
    }
    std::string message = error.what();
    if (command == "tiz" && argc > 1 && argv[1][0] != '-') {
      message = std::string("unknown subcommand: ") + argv[1];
    }
    std::cerr << command << ": " << message << " (see " << command << " --help)\n";
    return kExitUsage;
  }
  for (const Command &command : commands) {
    if (command.app->parsed()) return RunCommand(command);
  }
  std::cerr << "tiz: a subcommand is required (see tiz --help)\n";
  return kExitUsage;
}

}  // namespace tiztool
