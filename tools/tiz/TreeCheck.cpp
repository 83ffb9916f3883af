#include "TreeCheck.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <optional>
#include <set>
#include <unordered_map>

#include "AsciiText.h"
#include "StoreKeys.h"
#include "StoreRef.h"
#include "TreeDocument.h"
#include "ValueText.h"
#include "tiz.h"

namespace tiztool {

namespace {

using tiz::inspect::LoadNote;

// The names of the stores a load of the file made and kept: a place that
// names a shared store must be one of them, and a section owned by any other
// name went with a store the load dropped.
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

const KeyLineAt *FirstKey(const SectionAt &section, std::string_view key) {
  for (const KeyLineAt &line : section.keys) {
    if (tiz::inspect::SectionNamesEqual(line.key, key)) return &line;
  }
  return nullptr;
}

bool IsQuoted(std::string_view spelling) {
  return spelling.size() >= 2 && spelling.front() == '"' && spelling.back() == '"';
}

using tiz::inspect::RestoredSection;

// A number as the C library reads it whole: 1e999 reads as inf.
std::optional<double> WholeNumber(const std::string &text) {
  const char *start = text.c_str();
  char *end = nullptr;
  double value = std::strtod(start, &end);
  if (end == start || *end != '\0') return std::nullopt;
  return value;
}

// The value a load restores, as show prints it.
std::string RestoredValue(const RestoredSection &restored) {
  SettingView view;
  view.type = restored.type;
  switch (restored.type) {
    case TIZ_TYPE_STRING:
      return restored.value.empty() ? "an empty text" : "the text " + TerminalText(restored.value);
    case TIZ_TYPE_BUFFER:
      return "the buffer " + restored.value;
    case TIZ_TYPE_DOUBLE:
      view.real = WholeNumber(restored.value).value_or(0);
      break;
    default:
      view.number = ParseDword(restored.value).value_or(0);
      break;
  }
  return ShownValue(view);
}

// Whether a load restores the value the file spells: the same text, or the
// same number spelled otherwise (-1 for 4294967295, 2.5 for 2.5E+000).
bool SpellsRestoredValue(const std::string &spelled, const RestoredSection &restored) {
  if (spelled == restored.value) return true;
  switch (restored.type) {
    case TIZ_TYPE_STRING:
      return false;
    case TIZ_TYPE_BUFFER:
      return EqualsIgnoringCase(spelled, restored.value);
    case TIZ_TYPE_DOUBLE: {
      std::optional<double> file = WholeNumber(spelled), loaded = WholeNumber(restored.value);
      return file && loaded && (*file == *loaded || (std::isnan(*file) && std::isnan(*loaded)));
    }
    default: {
      std::optional<uint32_t> file = ParseDword(spelled);
      return file && file == ParseDword(restored.value);
    }
  }
}

bool ReadsAsNumber(const std::string &spelled, int32_t type) {
  if (type == TIZ_TYPE_STRING || type == TIZ_TYPE_BUFFER) return true;
  return type == TIZ_TYPE_DOUBLE ? WholeNumber(spelled).has_value()
                                 : ParseDword(spelled).has_value();
}

class Checker {
 public:
  Checker(const TreeDocument &tree, std::vector<Finding> &out) : m_tree(tree), m_out(out) {
    CollectStoreNames(tree.Store(), m_stores);
    for (const LoadNote &note : tree.LoadNotes()) m_notes.emplace(note.sectionLine, &note);
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
    // What the reader said of the section while it loaded; reads reach only
    // the first section of a name.
    const LoadNote *note = NoteOf(section.listed ? &section : repeats);
    if (note && note->code == TIZ_E_BAD_SECTION) {
      // Every section of such a name is another program's or damaged.
      Add(section.line,
          "section " + shown + " " + note->reason +
              ", so it belongs to no store (another program's section, or a damaged name); a "
              "load answers " +
              std::to_string(note->code) + " for it and loads everything else",
          note->code);
      return;
    }
    if (!section.listed && !repeats) {
      Add(section.line, "section " + shown +
                            " has no name, which the Win32 profile functions ignore; a load "
                            "leaves it and its keys out");
      return;
    }
    if (repeats) note = nullptr;
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
    std::string_view owner;
    if ((note && note->code == TIZ_OK) ||
        (!note && tiz::inspect::OwnerOfSection(section.name, &owner) &&
         m_stores.count(std::string(owner)) == 0)) {
      // Of no store the load made, or of one it dropped with a section that
      // failed.
      Add(section.line, "section " + shown + " belongs to no store a load reaches from " +
                            Shown(m_tree.TopName()) + "; a load leaves it out");
      return;
    }
    if (section.name != tiz::inspect::TrimBlanks(section.name)) {
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
    if (note) {
      const KeyLineAt *key = note->key.empty() ? nullptr : FirstKey(section, note->key);
      Add(key ? key->line : section.line,
          "section " + shown + " " + note->reason + "; a load drops the setting", note->code);
      return;
    }
    CheckRestored(section, shown);
  }

  const LoadNote *NoteOf(const SectionAt *section) const {
    if (!section) return nullptr;
    auto found = m_notes.find(section->line);
    return found == m_notes.end() ? nullptr : found->second;
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

  // The keys of a section that loads, against what a save writes of the
  // setting the load restores: each difference is something the load
  // restores otherwise than the file says.
  void CheckRestored(const SectionAt &section, const std::string &shown) {
    RestoredSection restored = tiz::inspect::RestoreSection(m_tree.Text(), section.number);
    if (restored.result != TIZ_OK) return;  // the load's notes name it
    const KeyLineAt *sizeKey = FirstKey(section, tiz::inspect::kSizeKey);
    const KeyLineAt *typeKey = FirstKey(section, tiz::inspect::kTypeKey);
    const KeyLineAt *valueKey = FirstKey(section, tiz::inspect::kValueKey);
    const std::string type = TypeKeyword(restored.type);
    if (typeKey && typeKey->value != restored.typeKeyword) {
      Add(typeKey->line, "section " + shown + " has Type " + TerminalText(typeKey->value) +
                             (restored.type == TIZ_TYPE_UNDEFINED
                                  ? ", which is no type keyword (they are upper case); a load "
                                    "restores a setting without a value"
                                  : "; a load restores Type " + type));
    }
    if (!sizeKey) {
      Add(section.line, "section " + shown + " has no Size; a load restores Size " + restored.size);
    } else if (sizeKey->value != restored.size &&
               (!ParseDword(sizeKey->value) ||
                ParseDword(sizeKey->value) != ParseDword(restored.size))) {
      std::string text = "section " + shown + " has Size " + sizeKey->value;
      if (restored.type == TIZ_TYPE_STRING)
        text += " for a text of " + std::to_string(restored.value.size()) + " bytes";
      Add(sizeKey->line, text + "; a load restores Size " + restored.size);
    }
    if (restored.type == TIZ_TYPE_ATTRIBUTESTORE) CheckStorePlace(section, shown);
    if (valueKey && !restored.hasValue) {
      Add(valueKey->line, "section " + shown + " of type " + type +
                              " holds a Value, left from a save under another type; a load "
                              "ignores it");
    } else if (!valueKey && restored.hasValue) {
      Add(section.line,
          "section " + shown + " has no Value; a load restores " + RestoredValue(restored));
    } else if (valueKey && !SpellsRestoredValue(valueKey->value, restored)) {
      Add(valueKey->line,
          "section " + shown + " has the Value " + TerminalText(valueKey->value) +
              (ReadsAsNumber(valueKey->value, restored.type) ? std::string()
                                                             : ", which is no number") +
              "; a load restores " + RestoredValue(restored));
    }
  }

  // A later place of a shared store names the place of its first; a place
  // that holds no store of the file gets an empty one on load.
  void CheckStorePlace(const SectionAt &section, const std::string &shown) {
    const KeyLineAt *same = FirstKey(section, tiz::inspect::kSameStoreKey);
    if (!same) return;
    const std::string target(tiz::inspect::TrimBlanks(same->value));
    if (!m_stores.count(target)) {
      Add(same->line, "section " + shown + " names the place " + Shown(target) +
                          " for its store, which holds no store of the file; a load puts "
                          "an empty store here");
    }
  }

  const TreeDocument &m_tree;
  std::vector<Finding> &m_out;
  std::set<std::string> m_stores;
  std::unordered_map<size_t, const LoadNote *> m_notes;  // by the header's line
};

}  // namespace

std::vector<Finding> CheckTree(const TreeDocument &tree) {
  std::vector<Finding> findings;
  Checker(tree, findings).Run();
  return findings;
}

}  // namespace tiztool
