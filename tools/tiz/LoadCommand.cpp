// tiz load SETTINGS... [--save FILE] [--json]
#include <iostream>
#include <memory>
#include <optional>
#include <vector>

#include "Commands.h"
#include "ScratchDirectory.h"
#include "StorePrinters.h"
#include "StoreRef.h"
#include "TreeFileIndex.h"
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
  for (const std::string &file : options.settingsFiles) ApplySettingsFile(store.Get(), file);

  // The store's keys are known from a tree file only: the one asked for, or
  // one in a scratch directory.
  std::optional<ScratchDirectory> scratch;
  std::filesystem::path treeFile = options.saveAs;
  if (options.saveAs.empty()) {
    scratch.emplace();
    treeFile = scratch->Path() / "loaded.tree";
  }
  SaveTreeFile(store.Get(), treeFile);
  TreeFileIndex index = TreeFileIndex::Read(treeFile);
  PrintStore(std::cout, ReadStore(store.Get(), kRootStoreName, index, treeFile.string()),
             options.json);
  return kExitSuccess;
}

}  // namespace

Command AddLoadCommand(CLI::App &app) {
  auto options = std::make_shared<LoadOptions>();
  CLI::App *load = AddSubcommand(
      app, "load", "Apply settings files to a new store, print it, optionally save it",
      "Applies the settings files in the order given (GROUP=VALUE,ITEM[,TYPE] lines) and\n"
      "prints the store as show does. A settings file that does not exist is an error here,\n"
      "although the library reads it as empty.");
  load->add_option("SETTINGS", options->settingsFiles, "Settings files")->required();
  load->add_option("--save", options->saveAs, "Also save the store as this tree file");
  load->add_flag("--json", options->json, "Print JSON, as show --json does");
  return {load, [options] { return RunLoad(*options); }};
}

}  // namespace tiztool
