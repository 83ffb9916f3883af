#include "StorePrinters.h"

#include <algorithm>
#include <string>

#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

constexpr size_t kIndentStep = 2;

struct Row {
  std::string group, item, type, value;
};

void PrintSettings(std::ostream &out, const StoreView &store, size_t indent) {
  const std::string margin(indent, ' ');
  if (store.settings.empty()) {
    out << margin << "(no settings)\n";
    return;
  }
  std::vector<Row> rows;
  size_t groupWidth = 0, itemWidth = 0, typeWidth = 0;
  for (const SettingView &setting : store.settings) {
    // A nested store's display text is its name, which is its place in the
    // tree: the settings printed below it say more.
    Row row{Printable(setting.group), Printable(setting.item), TypeKeyword(setting.type),
            setting.type == TIZ_TYPE_ATTRIBUTESTORE ? std::string() : DisplayedValue(setting)};
    groupWidth = std::max(groupWidth, row.group.size());
    itemWidth = std::max(itemWidth, row.item.size());
    typeWidth = std::max(typeWidth, row.type.size());
    rows.push_back(std::move(row));
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row &row = rows[i];
    std::string line = margin + row.group + std::string(groupWidth - row.group.size() + 2, ' ') +
                       row.item + std::string(itemWidth - row.item.size() + 2, ' ') + row.type;
    if (!row.value.empty()) line += std::string(typeWidth - row.type.size() + 2, ' ') + row.value;
    out << line << '\n';
    if (store.settings[i].nested)
      PrintSettings(out, *store.settings[i].nested, indent + kIndentStep);
  }
}

nlohmann::ordered_json ValueJson(const SettingView &setting) {
  switch (setting.type) {
    case TIZ_TYPE_DWORD:
    case TIZ_TYPE_IMAGE:
      return setting.number;
    case TIZ_TYPE_DOUBLE:
      return setting.real;
    case TIZ_TYPE_STRING:
      return setting.bytes;
    case TIZ_TYPE_BUFFER:
      return HexOf(setting.bytes);
    case TIZ_TYPE_ATTRIBUTESTORE:
      return setting.nested ? StoreJson(*setting.nested) : nlohmann::ordered_json();
    default:
      return nullptr;
  }
}

}  // namespace

void PrintStoreTree(std::ostream &out, const StoreView &store) {
  // The name of a nested store is the path of section names that leads to
  // it, joined by the byte 0x7F.
  std::string path = store.name;
  std::replace(path.begin(), path.end(), '\x7f', '/');
  out << Printable(path) << '\n';
  PrintSettings(out, store, kIndentStep);
}

nlohmann::ordered_json StoreJson(const StoreView &store) {
  nlohmann::ordered_json settings = nlohmann::ordered_json::array();
  for (const SettingView &setting : store.settings) {
    settings.push_back({{"group", setting.group},
                        {"item", setting.item},
                        {"type", TypeKeyword(setting.type)},
                        {"size", setting.size},
                        {"value", ValueJson(setting)}});
  }
  return {{"name", store.name}, {"settings", std::move(settings)}};
}

void PrintStoreJson(std::ostream &out, const StoreView &store) {
  // Texts are in the library's code page; bytes that are not UTF-8 become
  // U+FFFD rather than making the output invalid JSON.
  out << StoreJson(store).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
      << '\n';
}

void PrintStore(std::ostream &out, const StoreView &store, bool json) {
  if (json) {
    PrintStoreJson(out, store);
  } else {
    PrintStoreTree(out, store);
  }
}

}  // namespace tiztool
