// tiz check FILE, tiz compact FILE [--no-backup]
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "Commands.h"
#include "Failure.h"
#include "StoreInternals.h"
#include "TreeCheck.h"
#include "TreeDocument.h"
#include "TreeFileEdit.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

namespace {

struct CheckOptions {
  std::string file;
};

int RunCheck(const CheckOptions &options) {
  TreeDocument tree = TreeDocument::Open(options.file);
  std::vector<Finding> findings = CheckTree(tree);
  for (const Finding &finding : findings)
    std::cout << options.file << ":" << finding.line << ": " << finding.text << '\n';
  if (tree.LoadResult() != TIZ_OK) {
    std::cout << options.file << ": a load fails with " << DescribeResult(tree.LoadResult())
              << '\n';
  }
  return findings.empty() && tree.LoadResult() == TIZ_OK ? kExitSuccess : kExitFailure;
}

struct CompactOptions {
  std::string file;
  bool noBackup = false;
};

int RunCompact(const CompactOptions &options) {
  // Compacting keeps only what a load restores: what a failing load drops is
  // dropped here too, which `check` names first.
  EditTreeFile(options.file, false, [&](tiz::ProfileDocument &doc) {
    TreeDocument tree = TreeDocument::FromText(options.file, doc.Render());
    tiz::ProfileDocument compacted;
    Check(SaveStoreInto(tree.Store(), compacted), options.file, "writing the loaded tree");
    if (compacted.Render() == doc.Render()) return false;
    if (!options.noBackup) {
      const fs::path backup = options.file + ".bak";
      WriteTreeFile(backup, doc);
    }
    doc = std::move(compacted);
    return true;
  });
  return kExitSuccess;
}

}  // namespace

Command AddCheckCommand(CLI::App &app) {
  auto options = std::make_shared<CheckOptions>();
  CLI::App *check = AddSubcommand(
      app, "check", "List what a load of a tree file would not restore, or restore otherwise",
      "One finding a line, FILE:LINE: what. Findings: sections that belong to no store a load\n"
      "reaches from the top (left from earlier saves or foreign), repeated sections and keys\n"
      "(a load reads the first), a Value left from a save under another type, a Size or Value\n"
      "that does not fit the Type, a Type that is no keyword, section names the Win32 profile\n"
      "functions read otherwise, malformed headers and lines.",
      "0 clean, 1 findings, 2 trouble (the file cannot be read) or bad usage");
  check->add_option("FILE", options->file, "Tree file")->required();
  return {check, [options] { return RunCheck(*options); }, kExitUsage};
}

Command AddCompactCommand(CLI::App &app) {
  auto options = std::make_shared<CompactOptions>();
  CLI::App *compact = AddSubcommand(
      app, "compact", "Rewrite a tree file with exactly what a load restores",
      "Loads the tree file as the library does and writes the file anew from the store: the\n"
      "sections a load leaves out, comments and unknown keys go. The old file is kept as\n"
      "FILE.bak unless --no-backup is given. A file that needs no change is left alone.");
  compact->add_option("FILE", options->file, "Tree file")->required();
  compact->add_flag("--no-backup", options->noBackup, "Keep no FILE.bak");
  return {compact, [options] { return RunCompact(*options); }};
}

}  // namespace tiztool
