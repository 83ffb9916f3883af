// tiz demo [--duplex] [--pages N] [--dir DIR] [--keep]
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "Commands.h"
#include "DemoJob.h"
#include "DemoSettingsFiles.h"
#include "Failure.h"
#include "ScratchDirectory.h"
#include "StorePrinters.h"
#include "StoreView.h"
#include "TreeCheck.h"
#include "TreeDocument.h"
#include "ValueText.h"
#include "talb310.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

struct DemoOptions {
  bool duplex = false;
  int pages = 2;
  std::string directory;
  bool keep = false;
};

fs::path WriteFile(const fs::path &file, const char *text) {
  std::ofstream out(file, std::ios::binary | std::ios::trunc);
  if (!(out << text)) throw Failure(file.string() + ": cannot write the file");
  return file;
}

fs::path JobDirectory(const DemoOptions &options) {
  if (options.directory.empty()) return CreateFreshDirectory("tiz-demo-");
  std::error_code error;
  fs::create_directories(options.directory, error);
  if (!fs::is_directory(options.directory, error)) {
    throw Failure(options.directory + ": cannot create the directory");
  }
  return options.directory;
}

std::string Slashed(std::string name) {
  std::replace(name.begin(), name.end(), '\x7f', '/');
  return TerminalText(name);
}

// Every setting of the tree as "place: type value", a nested store's
// settings below its place; a store reached a second time as the place that
// shows it. Two trees list alike when every setting is at its place and
// every shared store is shared alike.
void ListSettings(const StoreView &store, const std::string &place, std::vector<std::string> &out) {
  for (const SettingView &setting : store.settings) {
    std::string at = place + '/' + setting.group + '/' + setting.item;
    // A store's display names the store, and a store's name is no part of
    // what a save keeps: its place is.
    out.push_back(at + ": " +
                  (setting.type == TIZ_TYPE_ATTRIBUTESTORE ? "a store" : setting.display));
    if (!setting.nested) continue;
    if (setting.nested->shownAbove) {
      out.back() += " (a store shown above)";
      continue;
    }
    ListSettings(*setting.nested, at, out);
  }
}

std::vector<std::string> SettingList(const StoreView &store) {
  std::vector<std::string> out;
  ListSettings(store, "", out);
  return out;
}

// Loads the saved file into a new store with the library's load, and tells
// how many of the saved settings came back at their place.
bool LoadedBackWhole(const fs::path &treeFile, const StoreView &saved) {
  StoreView back = TreeDocument::Open(treeFile).Read();
  std::vector<std::string> before = SettingList(saved), after = SettingList(back);
  std::vector<std::string> lost, added;
  std::multiset<std::string> now(after.begin(), after.end());
  for (const std::string &line : before) {
    auto found = now.find(line);
    if (found == now.end())
      lost.push_back(line);
    else
      now.erase(found);
  }
  added.assign(now.begin(), now.end());
  std::cout << "\nLoaded back from " << treeFile.filename().string() << ": "
            << before.size() - lost.size() << " of " << before.size() << " settings at their place"
            << (lost.empty() && added.empty() && before == after ? ", the tree as it was saved"
                                                                 : "")
            << '\n';
  for (const std::string &line : lost) std::cout << "  not back: " << Slashed(line) << '\n';
  for (const std::string &line : added) std::cout << "  not saved: " << Slashed(line) << '\n';
  return lost.empty() && added.empty();
}

int RunDemo(const DemoOptions &options) {
  fs::path directory = JobDirectory(options);
  fs::path treeFile = directory / "scan-job.tree";
  std::cout << "tiz demo: " << options.pages << (options.pages == 1 ? " page" : " pages") << ", "
            << (options.duplex ? "duplex" : "simplex") << ", in " << directory.string() << '\n';

  DemoJob job(directory, options.duplex, std::cout);
  job.Prepare(WriteFile(directory / "defaults.settings", kDemo_defaults_settings),
              WriteFile(directory / "ui.settings", kDemo_ui_settings));
  for (int page = 1; page <= options.pages; ++page) job.ScanPage(page);

  // The tree as the pipeline sees it: every store where it is linked now.
  std::cout << "\nThe global bag before the save:\n";
  StoreView live = ReadStore(job.GlobalBag(), directory.string());
  PrintStoreTree(std::cout, live);
  job.SaveTree(treeFile);
  job.Finish();
  uint32_t imagesLeft = TALB_LiveImageCount();

  const bool whole = LoadedBackWhole(treeFile, live);
  std::vector<Finding> findings = CheckTree(TreeDocument::Open(treeFile));
  std::cout << "\ntiz check " << treeFile.filename().string() << ": "
            << (findings.empty() ? "no findings" : std::to_string(findings.size()) + " findings")
            << '\n';
  for (const Finding &finding : findings)
    std::cout << "  line " << finding.line << ": " << finding.text << '\n';

  bool removed = options.directory.empty() && !options.keep;
  if (removed) {
    std::error_code error;
    fs::remove_all(directory, error);
  }
  std::cout << '\n'
            << "demo: " << options.pages << (options.pages == 1 ? " page " : " pages ")
            << (options.duplex ? "duplex" : "simplex") << ", " << job.BagsAppended()
            << " bags appended, " << job.ImagesStored() << " stand-in images stored and "
            << (imagesLeft == 0 ? "all" : "not all") << " released, tree saved to "
            << treeFile.string() << (removed ? " (removed again; --keep keeps it)" : "") << '\n';
  return imagesLeft == 0 && whole ? kExitSuccess : kExitFailure;
}

}  // namespace

Command AddDemoCommand(CLI::App &app) {
  auto options = std::make_shared<DemoOptions>();
  CLI::App *demo = AddSubcommand(
      app, "demo", "Run a scanning job through the library and show its tree",
      "Runs a job as the pipeline would: a global bag with defaults and UI bags loaded from\n"
      "settings files, a fresh image tree per page, stages that append bags, store results\n"
      "and stand-in images and read earlier results through the parent chain, a side switch\n"
      "in duplex, a save and a restore of the chain, the black-background flag and a zoomed\n"
      "resolution. Shows the global bag's tree as the pipeline sees it, saves it as\n"
      "DIR/scan-job.tree, loads it back into a new store and compares the two setting by\n"
      "setting, reports what tiz check finds in the saved file and ends with a\n"
      "one-line summary. Without --dir the job runs in a fresh directory under the system's\n"
      "temporary directory, which is removed at the end unless --keep is given.");
  demo->add_flag("--duplex", options->duplex, "Scan both sides of each page");
  demo->add_option("--pages", options->pages, "Number of pages (1 to 100; default 2)")
      ->check(CLI::Range(1, 100));
  demo->add_option(
      "--dir", options->directory,
      "Directory for the job's settings files and tree file (created if missing; kept)");
  demo->add_flag("--keep", options->keep, "Keep the temporary directory");
  return {demo, [options] { return RunDemo(*options); }};
}

}  // namespace tiztool
