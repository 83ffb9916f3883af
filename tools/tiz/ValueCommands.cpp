// tiz get FILE GROUP ITEM, tiz set FILE GROUP ITEM VALUE [--type TYPE],
// tiz delete FILE GROUP ITEM: one setting at the top of a tree file.
#include <iostream>
#include <memory>

#include "Commands.h"
#include "Failure.h"
#include "StorePrinters.h"
#include "TreeDocument.h"
#include "TreeFiles.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

struct SettingOptions {
  std::string file;
  std::string group;
  std::string item;
  std::string value;
  std::string type;
};

std::string SettingName(const SettingOptions &options) {
  return options.group + "/" + options.item;
}

void AddSettingArguments(CLI::App *command, SettingOptions &options) {
  command->add_option("FILE", options.file, "Tree file")->required();
  command->add_option("GROUP", options.group, "Group of the setting")->required();
  command->add_option("ITEM", options.item, "Item of the setting")->required();
}

int RunGet(const SettingOptions &options) {
  TreeDocument document = TreeDocument::Open(options.file);
  SettingView setting;
  int32_t result = ReadSetting(document.Store(), {options.group, options.item}, document.Index(),
                               document.FileName(), &setting);
  if (result != TIZ_OK) FailWithResult(options.file, "reading " + SettingName(options), result);
  if (setting.nested) {
    PrintStoreTree(std::cout, *setting.nested);
  } else {
    std::cout << ExactValue(setting) << '\n';
  }
  return kExitSuccess;
}

// The type to write: the one asked for, else the one the setting has, else
// the first of dword, double and string that reads the value.
std::string TypeToWrite(const SettingOptions &options, uint32_t store) {
  int32_t existing = 0;
  int32_t result =
      TIZ_GetSettingType(store, options.group.c_str(), options.item.c_str(), &existing);
  if (result == TIZ_OK && existing == TIZ_TYPE_ATTRIBUTESTORE) {
    throw Failure(options.file + ": " + SettingName(options) +
                  " holds a nested store; delete it first");
  }
  if (!options.type.empty()) return options.type;
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
        throw UsageError(SettingName(options) + " holds a value of type " + TypeKeyword(existing) +
                         "; give --type");
    }
  }
  if (ParseDword(options.value)) return "dword";
  if (ParseDouble(options.value)) return "double";
  return "string";
}

int32_t WriteValue(const SettingOptions &options, uint32_t store, const std::string &type) {
  const char *group = options.group.c_str();
  const char *item = options.item.c_str();
  if (type == "dword") {
    auto number = ParseDword(options.value);
    if (!number) throw UsageError("not a dword: " + options.value);
    return TIZ_SetSettingDword(store, group, item, *number);
  }
  if (type == "double") {
    auto number = ParseDouble(options.value);
    if (!number) throw UsageError("not a double: " + options.value);
    return TIZ_SetSettingDouble(store, group, item, *number);
  }
  if (type == "buffer") {
    auto bytes = BytesOfHex(options.value);
    if (!bytes) throw UsageError("not a buffer of hex digit pairs: " + options.value);
    // A tree file holds no value for an empty buffer and cannot load it.
    if (bytes->empty()) throw UsageError("a tree file cannot hold an empty buffer");
    return TIZ_SetSettingBuffer(store, group, item, bytes->data(),
                                static_cast<uint32_t>(bytes->size()));
  }
  return TIZ_SetSettingString(store, group, item, options.value.c_str());
}

int RunSet(const SettingOptions &options) {
  TreeDocument document = TreeDocument::OpenOrStart(options.file);
  uint32_t store = document.Store();
  std::string type = TypeToWrite(options, store);
  Check(WriteValue(options, store, type), options.file, "setting " + SettingName(options));
  SaveTreeFile(store, options.file);
  return kExitSuccess;
}

int RunDelete(const SettingOptions &options) {
  TreeDocument document = TreeDocument::Open(options.file);
  int32_t result = TIZ_DeleteSetting(document.Store(), options.group.c_str(), options.item.c_str());
  Check(result, options.file, "deleting " + SettingName(options));
  SaveTreeFile(document.Store(), options.file);
  return kExitSuccess;
}

}  // namespace

Command AddGetCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *get = AddSubcommand(
      app, "get", "Print the value of one setting",
      "A DWORD prints as an unsigned number, a DOUBLE as the shortest text that reads back as\n"
      "the same number, a STRING as it is, a BUFFER in hex, an IMAGE as its handle and a\n"
      "nested store as a tree, as show prints it.");
  AddSettingArguments(get, *options);
  return {get, [options] { return RunGet(*options); }};
}

Command AddSetCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *set = AddSubcommand(
      app, "set", "Change or add one setting",
      "Loads the tree file (a missing one starts empty), sets the value and saves the file\n"
      "again with the library. Without --type an existing setting keeps its type and a new one\n"
      "is a dword, a double or a string, whichever first reads VALUE. A dword is decimal, 0x\n"
      "hex or negative (-1 is 4294967295); a buffer is hex digit pairs.");
  AddSettingArguments(set, *options);
  set->add_option("VALUE", options->value, "New value")->required();
  set->add_option("--type", options->type, "Type to write")
      ->check(CLI::IsMember({"dword", "double", "string", "buffer"}));
  return {set, [options] { return RunSet(*options); }};
}

Command AddDeleteCommand(CLI::App &app) {
  auto options = std::make_shared<SettingOptions>();
  CLI::App *remove =
      AddSubcommand(app, "delete", "Delete one setting",
                    "Loads the tree file, deletes the setting and saves the file again with the\n"
                    "library; a setting that is not there is a failure (result 2).");
  AddSettingArguments(remove, *options);
  return {remove, [options] { return RunDelete(*options); }};
}

}  // namespace tiztool
