#include "StorePrinters.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "CodePageText.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

constexpr size_t kIndentStep = 2;

// Columns line up on the terminal, where a UTF-8 character is one column.
size_t Columns(const std::string &text) {
  size_t columns = 0;
  for (char c : text) columns += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return columns;
}

struct Row {
  std::string group, item, type, value;
};

void PrintSettings(std::ostream &out, const StoreView &store, size_t indent, ValueStyle style) {
  const std::string margin(indent, ' ');
  if (store.shownAbove) {
    out << margin << "(the same store as above)\n";
    return;
  }
  if (store.settings.empty()) {
    out << margin << "(no settings)\n";
    return;
  }
  std::vector<Row> rows;
  size_t groupWidth = 0, itemWidth = 0, typeWidth = 0;
  for (const SettingView &setting : store.settings) {
    // A nested store's display text is its name, which is its place in the
    // tree: the settings printed below it say more.
    std::string value;
    if (setting.type != TIZ_TYPE_ATTRIBUTESTORE)
      value = style == ValueStyle::kDisplay ? DisplayedValue(setting) : ShownValue(setting);
    Row row{TerminalText(setting.group), TerminalText(setting.item), TypeKeyword(setting.type),
            value};
    groupWidth = std::max(groupWidth, Columns(row.group));
    itemWidth = std::max(itemWidth, Columns(row.item));
    typeWidth = std::max(typeWidth, row.type.size());
    rows.push_back(std::move(row));
  }
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row &row = rows[i];
    std::string line = margin + row.group + std::string(groupWidth - Columns(row.group) + 2, ' ') +
                       row.item + std::string(itemWidth - Columns(row.item) + 2, ' ') + row.type;
    if (!row.value.empty()) line += std::string(typeWidth - row.type.size() + 2, ' ') + row.value;
    out << line << '\n';
    if (store.settings[i].nested)
      PrintSettings(out, *store.settings[i].nested, indent + kIndentStep, style);
  }
}

nlohmann::ordered_json ValueJson(const SettingView &setting) {
  switch (setting.type) {
    case TIZ_TYPE_DWORD:
    case TIZ_TYPE_IMAGE:
      return setting.number;
    case TIZ_TYPE_DOUBLE:
      // JSON has no NaN or infinity: they stay apart as strings.
      if (!std::isfinite(setting.real)) return ExactValue(setting);
      return setting.real;
    case TIZ_TYPE_STRING:
      return Utf8FromCodePage(setting.bytes);
    case TIZ_TYPE_BUFFER:
      return HexOf(setting.bytes);
    case TIZ_TYPE_ATTRIBUTESTORE:
      return setting.nested ? StoreJson(*setting.nested) : nlohmann::ordered_json();
    default:
      return nullptr;
  }
}

}  // namespace

void PrintStoreTree(std::ostream &out, const StoreView &store, ValueStyle style) {
  // The name of a nested store is the path of section names that leads to
  // it, joined by the byte 0x7F.
  std::string path = store.name;
  std::replace(path.begin(), path.end(), '\x7f', '/');
  out << TerminalText(path) << '\n';
  PrintSettings(out, store, kIndentStep, style);
}

nlohmann::ordered_json StoreJson(const StoreView &store) {
  nlohmann::ordered_json settings = nlohmann::ordered_json::array();
  for (const SettingView &setting : store.settings) {
    settings.push_back({{"group", Utf8FromCodePage(setting.group)},
                        {"item", Utf8FromCodePage(setting.item)},
                        {"type", TypeKeyword(setting.type)},
                        {"size", setting.size},
                        {"value", ValueJson(setting)}});
  }
  nlohmann::ordered_json object = {{"name", Utf8FromCodePage(store.name)},
                                   {"settings", std::move(settings)}};
  if (store.shownAbove) object["shownAbove"] = true;
  return object;
}

void PrintStoreJson(std::ostream &out, const StoreView &store) {
  // Texts are converted from the code page; anything still no UTF-8 becomes
  // U+FFFD rather than making the output invalid JSON.
  out << StoreJson(store).dump(2, ' ', false, nlohmann::ordered_json::error_handler_t::replace)
      << '\n';
}

void PrintStore(std::ostream &out, const StoreView &store, bool json, ValueStyle style) {
  if (json) {
    PrintStoreJson(out, store);
  } else {
    PrintStoreTree(out, store, style);
  }
}

}  // namespace tiztool
