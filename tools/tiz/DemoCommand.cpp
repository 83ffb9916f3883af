// tiz demo [--duplex] [--pages N] [--dir DIR]
#include <fstream>
#include <iostream>
#include <memory>

#include "Commands.h"
#include "DemoJob.h"
#include "DemoSettingsFiles.h"
#include "Failure.h"
#include "ScratchDirectory.h"
#include "StorePrinters.h"
#include "TreeDocument.h"
#include "talb310.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

struct DemoOptions {
  bool duplex = false;
  int pages = 2;
  std::string directory;
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

int RunDemo(const DemoOptions &options) {
  fs::path directory = JobDirectory(options);
  fs::path treeFile = directory / "scan-job.tree";
  std::cout << "tiz demo: " << options.pages << (options.pages == 1 ? " page" : " pages") << ", "
            << (options.duplex ? "duplex" : "simplex") << ", in " << directory.string() << '\n';

  DemoJob job(directory, options.duplex, std::cout);
  job.Prepare(WriteFile(directory / "defaults.settings", kDemo_defaults_settings),
              WriteFile(directory / "ui.settings", kDemo_ui_settings));
  for (int page = 1; page <= options.pages; ++page) job.ScanPage(page);
  job.SaveTree(treeFile);
  job.Finish();
  uint32_t imagesLeft = TALB_LiveImageCount();

  std::cout << '\n';
  PrintStoreTree(std::cout, TreeDocument::Open(treeFile).Read());
  std::cout << '\n'
            << "demo: " << options.pages << (options.pages == 1 ? " page " : " pages ")
            << (options.duplex ? "duplex" : "simplex") << ", " << job.BagsAppended()
            << " bags appended, " << job.ImagesStored() << " stand-in images stored and "
            << (imagesLeft == 0 ? "all" : "not all") << " released, tree saved to "
            << treeFile.string() << '\n';
  return imagesLeft == 0 ? kExitSuccess : kExitFailure;
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
      "resolution. Saves the global bag as DIR/scan-job.tree, shows it as show does and ends\n"
      "with a one-line summary. Without options: two simplex pages in a fresh directory under\n"
      "the system's temporary directory.");
  demo->add_flag("--duplex", options->duplex, "Scan both sides of each page");
  demo->add_option("--pages", options->pages, "Number of pages (1 to 100; default 2)")
      ->check(CLI::Range(1, 100));
  demo->add_option("--dir", options->directory,
                   "Directory for the job's settings files and tree file (created if missing)");
  return {demo, [options] { return RunDemo(*options); }};
}

}  // namespace tiztool
