// tiz diff FILE1 FILE2: settings added, removed and changed, one a line.
#include <iostream>
#include <map>
#include <memory>
#include <vector>

#include "Commands.h"
#include "SettingPath.h"
#include "TreeDocument.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

// One setting of a tree, at its path: group/item, and for the settings of a
// nested store the path of the setting that holds it before that.
struct FlatSetting {
  std::string path;
  std::string type;
  std::string value;  // printable; empty for a nested store
  uint32_t size = 0;

  bool operator==(const FlatSetting &other) const {
    return type == other.type && value == other.value && size == other.size;
  }
  std::string Text() const { return value.empty() ? type : type + " " + value; }
};

void Flatten(const StoreView &store, const std::string &prefix, std::vector<FlatSetting> &out) {
  for (const SettingView &setting : store.settings) {
    FlatSetting flat;
    flat.path = prefix + PathComponent(setting.group) + "/" + PathComponent(setting.item);
    flat.type = TypeKeyword(setting.type);
    flat.size = setting.size;
    if (setting.type != TIZ_TYPE_ATTRIBUTESTORE) flat.value = ShownValue(setting);
    out.push_back(flat);
    if (setting.nested) Flatten(*setting.nested, flat.path + "/", out);
  }
}

std::vector<FlatSetting> FlatSettingsOf(const std::string &file) {
  std::vector<FlatSetting> settings;
  TreeDocument tree = TreeDocument::Open(file);
  tree.RequireCompleteLoad();
  Flatten(tree.Read(), "", settings);
  return settings;
}

struct DiffOptions {
  std::string first;
  std::string second;
};

int RunDiff(const DiffOptions &options) {
  std::vector<FlatSetting> before = FlatSettingsOf(options.first);
  std::vector<FlatSetting> after = FlatSettingsOf(options.second);
  std::map<std::string, const FlatSetting *> afterByPath, beforeByPath;
  for (const FlatSetting &setting : after) afterByPath.emplace(setting.path, &setting);
  for (const FlatSetting &setting : before) beforeByPath.emplace(setting.path, &setting);

  bool differ = false;
  for (const FlatSetting &old : before) {
    auto found = afterByPath.find(old.path);
    if (found == afterByPath.end()) {
      std::cout << "- " << old.path << ": " << old.Text() << '\n';
      differ = true;
    } else if (!(old == *found->second)) {
      std::cout << "~ " << old.path << ": " << old.Text() << " -> " << found->second->Text()
                << '\n';
      differ = true;
    }
  }
  for (const FlatSetting &added : after) {
    if (beforeByPath.count(added.path) == 0) {
      std::cout << "+ " << added.path << ": " << added.Text() << '\n';
      differ = true;
    }
  }
  return differ ? 1 : kExitSuccess;
}

}  // namespace

Command AddDiffCommand(CLI::App &app) {
  auto options = std::make_shared<DiffOptions>();
  CLI::App *diff = AddSubcommand(
      app, "diff", "List the settings added, removed and changed between two tree files",
      "One line per setting: \"- PATH: TYPE VALUE\" removed, \"~ PATH: TYPE OLD -> TYPE NEW\"\n"
      "changed, \"+ PATH: TYPE VALUE\" added. PATH is GROUP/ITEM, and for a setting of a\n"
      "nested store the path of the setting that holds the store before it: the PATH that\n"
      "get, set and delete take. Values are printed as get prints them.",
      "0 the same settings, 1 the files differ, 2 trouble or bad usage (like diff)");
  diff->add_option("FILE1", options->first, "Tree file before")->required();
  diff->add_option("FILE2", options->second, "Tree file after")->required();
  return {diff, [options] { return RunDiff(*options); }, kExitUsage};
}

}  // namespace tiztool
