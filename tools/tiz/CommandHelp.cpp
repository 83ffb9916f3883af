#include "Commands.h"

namespace tiztool {

CLI::App *AddSubcommand(CLI::App &app, const std::string &name, const std::string &summary,
                        const std::string &details, const std::string &exitStatus) {
  CLI::App *command = app.add_subcommand(name, summary);
  command->footer(details + "\n\nExit status: " + exitStatus + ".");
  return command;
}

}  // namespace tiztool
