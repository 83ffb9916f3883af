// tiz load SETTINGS... [--save FILE] [--json]
#include <iostream>
#include <memory>
#include <vector>

#include "Commands.h"
#include "StorePrinters.h"
#include "StoreRef.h"
#include "TreeFiles.h"

namespace tiztool {

namespace {

struct LoadOptions {
  std::vector<std::string> settingsFiles;
  std::string saveAs;
  bool json = false;
};

int RunLoad(const LoadOptions &options) {
  StoreRef store = StoreRef::Create();
  for (const std::string &file : options.settingsFiles)
    ApplySettingsFile(store.Get(), file, &std::cerr);

  if (!options.saveAs.empty()) ReplaceWholeTreeFile(store.Get(), options.saveAs);
  PrintStore(std::cout, ReadStore(store.Get(), "tiz"), options.json);
  return kExitSuccess;
}

}  // namespace

Command AddLoadCommand(CLI::App &app) {
  auto options = std::make_shared<LoadOptions>();
  CLI::App *load = AddSubcommand(
      app, "load", "Apply settings files to a new store, print it, optionally save it",
      "Applies the settings files in the order given (GROUP=VALUE,ITEM[,TYPE] lines) and\n"
      "prints the store as show does. A settings file that does not exist is an error here,\n"
      "although the library reads it as empty. A line that fails is named with its number;\n"
      "for a filebuffer line, with the file it tried to open. A line the library takes\n"
      "without a word but stores otherwise than it says (an empty field, a type word it does\n"
      "not know, a value that is no number, an unclosed quote) gives a warning on standard\n"
      "error, FILE:LINE: warning: what it stores and why; the exit status stays 0.");
  load->add_option("SETTINGS", options->settingsFiles, "Settings files")->required();
  load->add_option("--save", options->saveAs, "Also save the store as this tree file");
  load->add_flag("--json", options->json, "Print JSON, as show --json does");
  return {load, [options] { return RunLoad(*options); }};
}

}  // namespace tiztool
