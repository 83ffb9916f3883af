// tiz show FILE [--json]
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
};

}  // namespace

Command AddShowCommand(CLI::App &app) {
  auto options = std::make_shared<ShowOptions>();
  CLI::App *show = AddSubcommand(
      app, "show", "Print a tree file as an indented tree, or as JSON",
      "Loads the tree file into a new store and prints one setting a line: group, item, type\n"
      "and the value as the library displays it. The settings of a nested store are indented\n"
      "below the setting that holds it. Control bytes show as \\t, \\n, \\r or \\xNN, and\n"
      "a backslash as \\\\.");
  show->add_option("FILE", options->file, "Tree file")->required();
  show->add_flag("--json", options->json,
                 "Print JSON: one object per store, {\"name\", \"settings\"}, each setting "
                 "with group, item, type, size and value (a buffer in hex, a nested store as its "
                 "object)");
  return {show, [options] {
            TreeDocument document = TreeDocument::Open(options->file);
            PrintStore(std::cout, document.Read(), options->json);
            return kExitSuccess;
          }};
}

}  // namespace tiztool
