#include "SettingPath.h"

#include "AsciiText.h"
#include "CodePageText.h"
#include "Failure.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

// Undoes the escapes Printable writes: \\, \t, \n, \r and \xNN.
std::string Unescaped(const std::string &text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    char next = text[i + 1];
    if (next == '\\' || next == 't' || next == 'n' || next == 'r') {
      out += next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
      ++i;
    } else if (next == 'x' && i + 3 < text.size() && HexDigit(text[i + 2]) >= 0 &&
               HexDigit(text[i + 3]) >= 0) {
      out += static_cast<char>(HexDigit(text[i + 2]) * 16 + HexDigit(text[i + 3]));
      i += 3;
    } else {
      out += c;
    }
  }
  return out;
}

void RequireName(const std::string &name, const char *what) {
  if (name.empty()) throw UsageError(std::string("an empty ") + what + " names no setting");
}

std::string Joined(const std::vector<SettingKey> &keys, size_t count) {
  std::string text;
  for (size_t i = 0; i < count; ++i) {
    if (i) text += '/';
    text += PathComponent(keys[i].group) + "/" + PathComponent(keys[i].item);
  }
  return text;
}

}  // namespace

std::string PathComponent(const std::string &name) {
  std::string shown = TerminalText(name);
  std::string out;
  for (char c : shown) {
    if (c == '/') {
      out += "\\x2F";
    } else {
      out += c;
    }
  }
  return out;
}

std::string SettingPath::Text() const {
  std::vector<SettingKey> all = holders;
  all.push_back(key);
  return Joined(all, all.size());
}

SettingPath ParseSettingPath(const std::vector<std::string> &arguments) {
  SettingPath path;
  if (arguments.size() == 2) {
    path.key = {CodePageFromUtf8(arguments[0]), CodePageFromUtf8(arguments[1])};
    RequireName(path.key.group, "group");
    RequireName(path.key.item, "item");
    return path;
  }
  if (arguments.size() != 1) throw UsageError("give a PATH, or a GROUP and an ITEM");
  std::vector<std::string> names;
  const std::string &text = arguments[0];
  size_t start = 0;
  for (;;) {
    size_t slash = text.find('/', start);
    names.push_back(Unescaped(CodePageFromUtf8(text.substr(start, slash - start))));
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  if (names.size() % 2 != 0)
    throw UsageError("a path is GROUP/ITEM, with GROUP/ITEM/ before it for each nested store: " +
                     text);
  for (size_t i = 0; i < names.size(); i += 2) {
    RequireName(names[i], "group");
    RequireName(names[i + 1], "item");
    path.holders.push_back({names[i], names[i + 1]});
  }
  path.key = path.holders.back();
  path.holders.pop_back();
  return path;
}

StoreRef StoreHolding(uint32_t top, const SettingPath &path, const std::string &file) {
  StoreRef current;
  uint32_t store = top;
  for (size_t i = 0; i < path.holders.size(); ++i) {
    const SettingKey &holder = path.holders[i];
    int32_t type = 0;
    int32_t result = TIZ_GetSettingType(store, holder.group.c_str(), holder.item.c_str(), &type);
    if (result == TIZ_OK && type != TIZ_TYPE_ATTRIBUTESTORE)
      throw Failure(file + ": " + Joined(path.holders, i + 1) + " holds no nested store");
    if (result != TIZ_OK) FailWithResult(file, "finding " + Joined(path.holders, i + 1), result);
    uint32_t nested = 0;
    Check(TIZ_GetSettingAttrStore(store, holder.group.c_str(), holder.item.c_str(), &nested), file,
          "reading " + Joined(path.holders, i + 1));
    current = StoreRef(nested);
    if (nested == 0) throw Failure(file + ": " + Joined(path.holders, i + 1) + " holds no store");
    store = nested;
  }
  if (path.holders.empty()) {
    // The caller keeps its own reference to the top store.
    TIZ_AddRef(top);
    current = StoreRef(top);
  }
  return current;
}

}  // namespace tiztool
