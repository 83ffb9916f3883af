// tiz show FILE [--json] [--display]
#include <iostream>
#include <memory>

#include "Commands.h"
#include "StorePrinters.h"
#include "TreeDocument.h"

namespace tiztool {

namespace {

struct ShowOptions {
  std::string file;
  bool json = false;
  bool display = false;
};

}  // namespace

Command AddShowCommand(CLI::App &app) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App *show = AddSubcommand(
      app, "show", "Print a tree file as an indented tree, or as JSON",
      "Loads the tree file into a new store, as the library loads it, and prints one setting a\n"
      "line: group, item, type and value, as get prints it. The settings of a nested store are\n"
      "indented below the setting that holds it. A file saved from a nested store shows under\n"
      "that store's name. Texts are converted from the ANSI code page (TIZ_CODEPAGE) to\n"
      "UTF-8; control bytes show as \\t, \\n, \\r or \\xNN, and a backslash as \\\\. A file that\n"
      "does not load completely is an error that names the line; tiz check lists all.");
  show->add_option("FILE", options->file, "Tree file")->required();
  show->add_flag("--json", options->json,
                 "Print JSON: one object per store, {\"name\", \"settings\"}, each setting "
                 "with group, item, type, size and value (a buffer in hex, a nested store as its "
                 "object, a NaN or infinity as a string)");
  show->add_flag("--display", options->display,
                 "Print each value as the library displays it (TIZ_DisplayAttribute)");
  return {show, [options] {
            TreeDocument tree = TreeDocument::Open(options->file);
            tree.RequireCompleteLoad();
            PrintStore(std::cout, tree.Read(options->display), options->json,
                       options->display ? ValueStyle::kDisplay : ValueStyle::kExact);
            return kExitSuccess;
          }};
}

}  // namespace tiztool
