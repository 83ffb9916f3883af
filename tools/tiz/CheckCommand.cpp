// tiz check FILE, tiz compact FILE [--no-backup]
#include <filesystem>
#include <iostream>
#include <memory>
#include <system_error>

#include "Commands.h"
#include "Failure.h"
#include "SettingsCheck.h"
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

// The first line holding a control byte that no text file holds (a tab and
// line ends aside); 0 when none does.
size_t FirstLineWithControlBytes(std::string_view text) {
  size_t line = 1;
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (byte == '\n') ++line;
    if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r') return line;
  }
  return 0;
}

// A file without a section header is no tree file: checked as the settings
// file it may be. Bytes no text holds make it neither.
int CheckOtherFile(const std::string &file) {
  std::string text = ReadWholeTreeFile(file);
  std::cout << file << ": not a tree file (no section header)";
  if (size_t line = FirstLineWithControlBytes(text)) {
    std::cout << "\n"
              << file << ":" << line
              << ": the line holds control bytes, which neither a tree file nor a settings "
                 "file holds\n";
    return kExitFailure;
  }
  std::vector<SettingsLineNote> notes = CheckSettingsText(text);
  if (notes.empty()) {
    // A settings file the library reads as it says: no finding.
    std::cout << "; a settings file that loads as its lines say\n";
    return kExitSuccess;
  }
  std::cout << "; as a settings file:\n";
  for (const SettingsLineNote &note : notes) {
    std::cout << file << ":" << note.line << ": the line ";
    if (note.result != 0) {
      std::cout << "fails with " << DescribeResult(note.result)
                << "; a load of the settings file stops there\n";
    } else {
      std::cout << note.change << '\n';
    }
  }
  return kExitFailure;
}

int RunCheck(const CheckOptions &options) {
  TreeDocument tree = TreeDocument::Open(options.file);
  if (!tree.HoldsSectionsOrNothing()) return CheckOtherFile(options.file);
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

// The library's save of what a load of `tree` restores, into a new text
// that keeps the file's encoding and its UTF-8 byte order mark.
tiz::inspect::TreeText Rewritten(const TreeDocument &tree, const tiz::inspect::TreeText &text) {
  tiz::inspect::TreeText rewritten = text.EmptyLike();
  Check(tiz::inspect::SaveTree(tree.Store(), rewritten), tree.FileName(),
        "writing the loaded tree");
  return rewritten;
}

int RunCompact(const CompactOptions &options) {
  // Compacting keeps only what a load restores: what a failing load drops is
  // dropped here too, which `check` names first.
  EditTreeFile(options.file, false, [&](tiz::inspect::TreeText &doc) {
    TreeDocument tree = TreeDocument::FromText(options.file, doc.Render());
    tiz::inspect::TreeText compacted = Rewritten(tree, doc);
    // A file that already holds just what a save writes stays as it is,
    // byte for byte, whatever order its sections are in.
    if (tree.LoadResult() == TIZ_OK &&
        HoldsExactlyWhatASaveWrites(tree.Layout(), ReadLayout(compacted)))
      return false;
    if (!options.noBackup) {
      const fs::path backup = options.file + ".bak";
      CopyTreeFile(options.file, backup);
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
      "functions read otherwise (two that differ only in letter case are one section: two\n"
      "settings of one store so named share it), malformed headers and lines. A file without\n"
      "a section header is no tree file, which is a finding unless it is a settings file\n"
      "that loads as its lines say: its failing line and each line the load takes as\n"
      "something else (an empty field, an unknown type word, a value that is no number, an\n"
      "unclosed quote) are named as tiz load names them.",
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
      "FILE.bak unless --no-backup is given. A file that needs no change (it holds just what\n"
      "a save writes, in any order of sections) is left alone, byte for byte; a rewrite keeps\n"
      "the file's UTF-8 byte order mark and its encoding.");
  compact->add_option("FILE", options->file, "Tree file")->required();
  compact->add_flag("--no-backup", options->noBackup, "Keep no FILE.bak");
  return {compact, [options] { return RunCompact(*options); }};
}

}  // namespace tiztool
