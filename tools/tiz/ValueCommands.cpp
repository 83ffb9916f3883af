// tiz get FILE SETTING, tiz set FILE SETTING VALUE [--type TYPE] [--create],
// tiz delete FILE SETTING: one setting of a tree file, at the top or in a
// nested store. SETTING is GROUP ITEM, or a path as diff prints it.
#include <iostream>
#include <memory>

#include "AsciiText.h"
#include "CodePageText.h"
#include "Commands.h"
#include "Failure.h"
#include "SettingPath.h"
#include "StoreKeys.h"
#include "StorePrinters.h"
#include "TreeDocument.h"
#include "TreeFileEdit.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

struct SettingOptions {
  std::string file;
  std::vector<std::string> arguments;  // PATH or GROUP ITEM, then VALUE for set
  std::string type;
  bool create = false;

  // For set: the value is the last argument.
  SettingPath Path(bool withValue) const {
    std::vector<std::string> names = arguments;
    if (withValue) names.pop_back();
    return ParseSettingPath(names);
  }
  std::string Value() const { return CodePageFromUtf8(arguments.back()); }
};

void AddSettingArguments(CLI::App *command, SettingOptions &options, bool withValue) {
  command->add_option("FILE", options.file, "Tree file")->required();
  if (withValue) {
    command->add_option("SETTING", options.arguments, "PATH VALUE, or GROUP ITEM VALUE")
        ->required()
        ->expected(2, 3);
  } else {
    command->add_option("SETTING", options.arguments, "PATH, or GROUP ITEM")
        ->required()
        ->expected(1, 2);
  }
}

// Reads the setting the path names; a failure names the path.
void ReadNamedSetting(const TreeDocument &tree, const SettingPath &path, SettingView *setting) {
  StoreRef holder = StoreHolding(tree.Store(), path, tree.FileName());
  int32_t result = ReadSetting(holder.Get(), path.key, tree.FileName(), setting);
  if (result != TIZ_OK) FailWithResult(tree.FileName(), "reading " + path.Text(), result);
}

int RunGet(const SettingOptions &options) {
  SettingPath path = options.Path(false);
  TreeDocument tree = TreeDocument::Open(options.file);
  tree.RequireCompleteLoad();
  SettingView setting;
  ReadNamedSetting(tree, path, &setting);
  if (setting.nested) {
    PrintStoreTree(std::cout, *setting.nested);
  } else if (setting.type == TIZ_TYPE_UNDEFINED) {
    // No value: its type says so, as show's type column does.
    std::cout << TypeKeyword(setting.type) << '\n';
  } else {
    std::cout << Utf8FromCodePage(ExactValue(setting)) << '\n';
  }
  return kExitSuccess;
}

std::string TypeAsked(const SettingOptions &options) {
  std::string type = options.type;
  for (char &c : type) c = LowerAscii(c);
  return type;
}

void CheckValueOfType(const std::string &type, const std::string &value) {
  if (type == "dword" && !ParseDword(value)) throw UsageError("not a dword: " + value);
  if (type == "double" && !ParseDouble(value)) throw UsageError("not a double: " + value);
  if (type == "buffer") {
    auto bytes = BytesOfHex(value);
    if (!bytes) throw UsageError("not a buffer of hex digit pairs: " + value);
    // A tree file holds no value for an empty buffer and cannot load it.
    if (bytes->empty()) throw UsageError("a tree file cannot hold an empty buffer");
  }
}

// The type to write: the one asked for, else the one the setting has, else
// the first of dword, double and string that reads the value.
std::string TypeToWrite(const SettingOptions &options, const SettingPath &path, uint32_t store,
                        const std::string &value) {
  int32_t existing = 0;
  const char *group = path.key.group.c_str(), *item = path.key.item.c_str();
  int32_t result = TIZ_GetSettingType(store, group, item, &existing);
  if (result == TIZ_OK && existing == TIZ_TYPE_ATTRIBUTESTORE) {
    throw Failure(options.file + ": " + path.Text() + " holds a nested store; delete it first");
  }
  if (!options.type.empty()) return TypeAsked(options);
  if (result == TIZ_OK) {
    switch (existing) {
      case TIZ_TYPE_DWORD:
        return "dword";
      case TIZ_TYPE_DOUBLE:
        return "double";
      case TIZ_TYPE_STRING:
        return "string";
      case TIZ_TYPE_BUFFER:
        return "buffer";
      default:
        throw UsageError(path.Text() + " holds a value of type " + TypeKeyword(existing) +
                         "; give --type");
    }
  }
  if (ParseDword(value)) return "dword";
  if (ParseDouble(value)) return "double";
  return "string";
}

int32_t WriteValue(const SettingPath &path, uint32_t store, const std::string &type,
                   const std::string &value) {
  const char *group = path.key.group.c_str();
  const char *item = path.key.item.c_str();
  if (type == "dword") {
    auto number = ParseDword(value);
    if (!number) throw UsageError("not a dword: " + value);
    return TIZ_SetSettingDword(store, group, item, *number);
  }
  if (type == "double") {
    auto number = ParseDouble(value);
    if (!number) throw UsageError("not a double: " + value);
    return TIZ_SetSettingDouble(store, group, item, *number);
  }
  if (type == "buffer") {
    auto bytes = BytesOfHex(value);
    if (!bytes) throw UsageError("not a buffer of hex digit pairs: " + value);
    // A tree file holds no value for an empty buffer and cannot load it.
    if (bytes->empty()) throw UsageError("a tree file cannot hold an empty buffer");
    return TIZ_SetSettingBuffer(store, group, item, bytes->data(),
                                static_cast<uint32_t>(bytes->size()));
  }
  return TIZ_SetSettingString(store, group, item, value.c_str());
}

// The tree file's store as loaded from the text the edit works on.
TreeDocument LoadForEdit(const std::string &file, const tiz::inspect::TreeText &doc) {
  TreeDocument tree = TreeDocument::FromText(file, doc.Render());
  tree.RequireCompleteLoad();
  return tree;
}

int RunSet(const SettingOptions &options) {
  SettingPath path = options.Path(true);
  std::string value = options.Value();
  // A value that cannot be of the type asked for is bad usage, whatever the file holds.
  if (!options.type.empty()) CheckValueOfType(TypeAsked(options), value);
  EditTreeFile(options.file, options.create, [&](tiz::inspect::TreeText &doc) {
    TreeDocument tree = LoadForEdit(options.file, doc);
    StoreRef holder = StoreHolding(tree.Store(), path, options.file);
    std::string type = TypeToWrite(options, path, holder.Get(), value);
    Check(WriteValue(path, holder.Get(), type, value), options.file, "setting " + path.Text());
    // Only the setting's own section is written; the rest of the file stays.
    Check(tiz::inspect::SaveSetting(holder.Get(), path.key, doc), options.file,
          "writing " + path.Text());
    // A new file is written even when the value is what it says.
    return true;
  });
  return kExitSuccess;
}

int RunDelete(const SettingOptions &options) {
  SettingPath path = options.Path(false);
  EditTreeFile(options.file, false, [&](tiz::inspect::TreeText &doc) {
    TreeDocument tree = LoadForEdit(options.file, doc);
    StoreRef holder = StoreHolding(tree.Store(), path, options.file);
    int32_t type = 0;
    int32_t result =
        TIZ_GetSettingType(holder.Get(), path.key.group.c_str(), path.key.item.c_str(), &type);
    if (result != TIZ_OK) FailWithResult(options.file, "deleting " + path.Text(), result);
    tiz::inspect::RemoveSettingSections(doc, NameOfStore(holder.Get()), path.key);
    return true;
  });
  return kExitSuccess;
}

}  // namespace

Command AddGetCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *get = AddSubcommand(
      app, "get", "Print the value of one setting",
      "SETTING is GROUP ITEM, or a PATH as diff prints it (Stage/Deskew/Crop/Width for the\n"
      "setting Crop/Width of the store held by Stage/Deskew). A DWORD prints as an unsigned\n"
      "number, a DOUBLE as the shortest text that reads back as the same number, a STRING as\n"
      "it is (in UTF-8), a BUFFER in hex, an IMAGE as its handle, a nested store as a tree,\n"
      "as show prints it, and a setting without a value as its type, UNDEFINED.");
  AddSettingArguments(get, *options, false);
  return {get, [options] { return RunGet(*options); }};
}

Command AddSetCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *set = AddSubcommand(
      app, "set", "Change or add one setting",
      "Changes the file in place: only the setting's section is written, every other line\n"
      "stays as it was. SETTING is GROUP ITEM or a PATH, as for get. Without --type an\n"
      "existing setting keeps its type and a new one is a dword, a double or a string,\n"
      "whichever first reads VALUE. A dword is decimal, 0x hex or negative (-1 is\n"
      "4294967295); a buffer is hex digit pairs. A file that does not exist is made only\n"
      "with --create. A file that does not load completely is not changed.");
  AddSettingArguments(set, *options, true);
  set->add_option("--type", options->type, "Type to write: dword, double, string or buffer")
      ->transform(CLI::IsMember({"dword", "double", "string", "buffer"}, CLI::ignore_case));
  set->add_flag("--create", options->create, "Make the file when it does not exist");
  return {set, [options] { return RunSet(*options); }};
}

Command AddDeleteCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *remove =
      AddSubcommand(app, "delete", "Delete one setting",
                    "Removes the setting's section from the file, and for a nested store the\n"
                    "sections of everything below it; every other line stays as it was.\n"
                    "SETTING is GROUP ITEM or a PATH, as for get. A setting that is not there\n"
                    "is a failure (result 2).");
  AddSettingArguments(remove, *options, false);
  return {remove, [options] { return RunDelete(*options); }};
}

}  // namespace tiztool
