#include "TreeCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <set>
#include <unordered_map>

#include "StoreInternals.h"
#include "StoreRef.h"
#include "TreeDocument.h"
#include "ValueText.h"
#include "persist/ProfileNames.h"
#include "persist/ProfileText.h"
#include "persist/TreeSections.h"
#include "tiz.h"

namespace tiztool {

namespace {

// The names of the stores a load of the file made: the sections owned by
// any other name belong to no store the load reaches.
void CollectStoreNames(uint32_t store, std::set<std::string> &names) {
  if (!names.insert(NameOfStore(store)).second) return;
  for (const SettingKey &key : KeysOfStore(store)) {
    int32_t type = 0;
    if (TIZ_GetSettingType(store, key.group.c_str(), key.item.c_str(), &type) != TIZ_OK ||
        type != TIZ_TYPE_ATTRIBUTESTORE)
      continue;
    uint32_t nested = 0;
    if (TIZ_GetSettingAttrStore(store, key.group.c_str(), key.item.c_str(), &nested) != TIZ_OK)
      continue;
    StoreRef reference(nested);
    if (nested != 0) CollectStoreNames(nested, names);
  }
}

std::string Shown(const std::string &name) {
  std::string path = name;
  std::replace(path.begin(), path.end(), '\x7f', '/');
  return "[" + TerminalText(path) + "]";
}

const KeyLineAt *FirstKey(const SectionAt &section, const std::string &key) {
  for (const KeyLineAt &line : section.keys) {
    if (tiz::ProfileNamesEqual(line.key, key)) return &line;
  }
  return nullptr;
}

uint32_t SizeOfType(int32_t type) {
  switch (type) {
    case TIZ_TYPE_DWORD:
    case TIZ_TYPE_IMAGE:
    case TIZ_TYPE_USERDEFINED:
    case TIZ_TYPE_ATTRIBUTESTORE:
      return 4;
    case TIZ_TYPE_DOUBLE:
      return 8;
    default:
      return 0;  // STRING and BUFFER: by their value
  }
}

bool IsQuoted(std::string_view spelling) {
  return spelling.size() >= 2 && spelling.front() == '"' && spelling.back() == '"';
}

bool IsNumberText(const std::string &text) {
  const char *start = text.c_str();
  char *end = nullptr;
  std::strtod(start, &end);
  while (end && (*end == ' ' || *end == '\t')) ++end;
  return end != start && end && *end == '\0';
}

class Checker {
 public:
  Checker(const TreeDocument &tree, std::vector<Finding> &out) : m_tree(tree), m_out(out) {
    CollectStoreNames(tree.Store(), m_stores);
  }

  void Run() {
    const TreeLayout &layout = m_tree.Layout();
    for (size_t line : layout.brokenHeaders) {
      Add(line,
          "a '[' starts no section header (no closing ']'); a load reads the line as "
          "part of the section above");
    }
    std::unordered_map<std::string_view, const SectionAt *, FoldedNameHash, FoldedNameEqual> first;
    first.reserve(layout.sections.size());
    for (const SectionAt &section : layout.sections) {
      if (section.listed) first.emplace(section.name, &section);
    }
    for (const SectionAt &section : layout.sections) {
      CheckSection(section, section.listed ? nullptr : first[section.name]);
    }
    std::stable_sort(m_out.begin(), m_out.end(),
                     [](const Finding &a, const Finding &b) { return a.line < b.line; });
  }

 private:
  void Add(size_t line, std::string text, int32_t loadResult = 0) {
    m_out.push_back({line, std::move(text), loadResult});
  }

  void CheckSection(const SectionAt &section, const SectionAt *repeats) {
    const std::string shown = Shown(section.name);
    tiz::NameParts parts;
    if (!tiz::SplitSectionName(section.name, &parts)) {
      Add(section.line,
          "section " + shown +
              " lacks its store, group or item part, so it belongs to no store (another "
              "program's section, or a damaged name); a load answers -180 for it and "
              "loads everything else",
          TIZ_E_BAD_SECTION);
      return;
    }
    if (repeats && repeats->name != section.name) {
      // Two settings of one store whose names differ only in letter case
      // share one section: the later save overwrote the other's keys.
      Add(section.line, "section " + shown + " is the section " + Shown(repeats->name) +
                            " of line " + std::to_string(repeats->line) +
                            " in other letter case (section names ignore case, so settings "
                            "named so share one section); a load reads only that one");
      return;
    }
    if (repeats) {
      Add(section.line, "section " + shown + " repeats the section of line " +
                            std::to_string(repeats->line) + "; a load reads only that one");
      return;
    }
    if (m_stores.count(std::string(parts.owner)) == 0) {
      Add(section.line, "section " + shown + " belongs to no store a load reaches from " +
                            Shown(m_tree.TopName()) + "; a load leaves it out");
      return;
    }
    if (section.name != tiz::TrimProfileBlanks(section.name)) {
      Add(section.line, "section " + shown +
                            " begins or ends with blanks, which the Win32 profile functions "
                            "trim from the name");
    } else if (IsQuoted(section.spelling)) {
      // Earlier versions of the library quoted some names; the quotes are
      // part of the name for every reader now.
      Add(section.line, "section " + shown +
                            " is spelled in quotes, which a load and the Win32 profile "
                            "functions read as part of the name");
    }
    for (size_t line : section.otherLines)
      Add(line, "a line in " + shown + " is no key=value line; a load ignores it");
    CheckKeys(section, shown);
    CheckValue(section, shown);
  }

  void CheckKeys(const SectionAt &section, const std::string &shown) {
    for (const KeyLineAt &key : section.keys) {
      const KeyLineAt *first = FirstKey(section, key.key);
      if (first != &key) {
        Add(key.line, "key " + TerminalText(key.key) + " in " + shown + " repeats line " +
                          std::to_string(first->line) + "; a load reads only that one");
      }
    }
  }

  void CheckValue(const SectionAt &section, const std::string &shown) {
    int32_t type = 0;
    uint32_t size = 0;
    int32_t result = ReadSectionAsLoaded(m_tree.Document(), section.name, &type, &size);
    const KeyLineAt *sizeKey = FirstKey(section, tiz::kSizeKey);
    const KeyLineAt *typeKey = FirstKey(section, tiz::kTypeKey);
    const KeyLineAt *valueKey = FirstKey(section, tiz::kValueKey);
    size_t valueLine = valueKey ? valueKey->line : section.line;
    if (result != TIZ_OK) {
      std::string why;
      size_t line = section.line;
      switch (result) {
        case TIZ_E_EMPTY_TYPE:
          why = "has no Type";
          if (typeKey) line = typeKey->line;
          break;
        case TIZ_E_READ_BUFFER:
          why = valueKey ? "has a buffer Value that does not match its Size or its checksum"
                         : "has no Value for its buffer";
          line = valueLine;
          break;
        case TIZ_E_TOO_SMALL:
          why = "has a Value longer than its Size allows";
          line = valueLine;
          break;
        case TIZ_E_INVALID_ARG:
          why = "has a Size or Value that is no 32-bit number";
          line = sizeKey ? sizeKey->line : valueLine;
          break;
        default:
          why = "cannot be read";
          break;
      }
      Add(line, "section " + shown + " " + why + "; a load drops the setting", result);
      return;
    }
    if (!typeKey) return;  // not reached: no Type fails above
    if (type == TIZ_TYPE_UNDEFINED && typeKey->value != "UNDEFINED") {
      Add(typeKey->line, "section " + shown + " has Type " + TerminalText(typeKey->value) +
                             ", which is no type keyword (they are upper case); a load "
                             "restores a setting without a value");
    }
    if (!sizeKey) {
      Add(section.line, "section " + shown + " has no Size; a load restores Size 0");
    } else if (uint32_t expected = SizeOfType(type); expected != 0 && size != expected) {
      Add(sizeKey->line, "section " + shown + " has Size " + sizeKey->value + ", but a " +
                             TypeKeyword(type) + " has Size " + std::to_string(expected));
    }
    if (type == TIZ_TYPE_ATTRIBUTESTORE) CheckStorePlace(section, shown);
    bool takesValue = type != TIZ_TYPE_UNDEFINED && type != TIZ_TYPE_ATTRIBUTESTORE;
    if (!takesValue && valueKey) {
      Add(valueKey->line, "section " + shown + " of type " + TypeKeyword(type) +
                              " holds a Value, left from a save under another type; a load "
                              "ignores it");
    }
    if (takesValue && !valueKey && type != TIZ_TYPE_BUFFER) {
      Add(section.line, "section " + shown + " has no Value; a load restores " +
                            (type == TIZ_TYPE_STRING ? "an empty text" : "0"));
    }
    if (type == TIZ_TYPE_STRING && sizeKey && sizeKey->value != std::to_string(size)) {
      Add(sizeKey->line, "section " + shown + " has Size " + sizeKey->value + " for a text of " +
                             std::to_string(size - 1) + " bytes; a load restores Size " +
                             std::to_string(size));
    }
    if (type == TIZ_TYPE_DOUBLE && valueKey && !IsNumberText(valueKey->value)) {
      Add(valueKey->line, "section " + shown + " has the Value " + TerminalText(valueKey->value) +
                              ", which is no number; a load "
                              "restores what its first digits "
                              "say, or 0");
    }
  }

  // A later place of a shared store names the place of its first; a place
  // that holds no store of the file gets an empty one on load.
  void CheckStorePlace(const SectionAt &section, const std::string &shown) {
    const KeyLineAt *same = FirstKey(section, tiz::kSameStoreKey);
    if (!same) return;
    const std::string target(tiz::TrimProfileBlanks(same->value));
    if (!m_stores.count(target)) {
      Add(same->line, "section " + shown + " names the place " + Shown(target) +
                          " for its store, which holds no store of the file; a load puts "
                          "an empty store here");
    }
  }

  const TreeDocument &m_tree;
  std::vector<Finding> &m_out;
  std::set<std::string> m_stores;
};

}  // namespace

std::vector<Finding> CheckTree(const TreeDocument &tree) {
  std::vector<Finding> findings;
  Checker(tree, findings).Run();
  return findings;
}

}  // namespace tiztool
