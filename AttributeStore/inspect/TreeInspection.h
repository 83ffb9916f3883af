// The tool's one way into the library beyond the C interface: what `tiz`
// reads and changes of tree files, settings files and stores, in one place.
// It sits beside the exports as an entry point: every call that touches a
// store holds the library's lock as an export does, and files are read,
// loaded, saved and edited by the library's own profile engine, tree reader
// and writer, so that the tool shows and changes a file exactly as the
// library reads and writes it. The header needs nothing of the library's
// internals: the tool sees this header and tiz.h only.
#ifndef TIZ_INSPECT_TREEINSPECTION_H
#define TIZ_INSPECT_TREEINSPECTION_H

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tiz {
class ProfileDocument;
}

namespace tiz::inspect {

// A tree file's text in the library's profile engine. An edit changes the
// sections it writes and leaves every other byte as it was read.
class TreeText {
 public:
  TreeText();
  explicit TreeText(std::string text);
  TreeText(TreeText &&) noexcept;
  TreeText &operator=(TreeText &&) noexcept;
  ~TreeText();

  // The text with its edits.
  std::string Render() const;
  // An empty text that is written as this one is: in its encoding, behind
  // its UTF-8 byte order mark.
  TreeText EmptyLike() const;

 private:
  friend struct TreeTextAccess;
  std::unique_ptr<ProfileDocument> m_doc;
};

// Where things stand in a tree file, as the profile engine sees it: every
// section header with its line number, duplicates included, the key lines
// below it, and the lines it reads as neither (a '[' that opens no header, a
// line without '='), which a load passes over. Lines count from 1.
struct KeyLineAt {
  std::string key;    // trimmed, as spelled
  std::string value;  // decoded
  size_t line = 0;
};

struct SectionAt {
  uint32_t number = 0;  // the profile engine's own, which RestoreSection takes
  std::string name;     // decoded
  std::string spelling;
  size_t line = 0;
  bool listed = false;  // the first of its name, which reads reach
  std::vector<KeyLineAt> keys;
  std::vector<size_t> otherLines;  // neither key, comment nor blank
};

struct TreeLayout {
  std::vector<SectionAt> sections;  // in file order, duplicates included
  // Lines that start like a header but are none ('[' without a ']').
  std::vector<size_t> brokenHeaders;
  // Lines a save never writes and a load passes over: comments anywhere,
  // and any text before the first header.
  std::vector<size_t> asides;
};

TreeLayout ReadLayout(const TreeText &text);

// The keys of a setting's section, as the tree reader and writer name them.
extern const std::string_view kSizeKey;
extern const std::string_view kTypeKey;
extern const std::string_view kValueKey;
extern const std::string_view kSameStoreKey;

// The path of the store a section's setting belongs to; false when the name
// lacks its store, group or item part (the section belongs to no store).
bool OwnerOfSection(std::string_view name, std::string_view *owner);
// Section names compare as the profile engine compares them: ASCII letter
// case aside.
bool SectionNamesEqual(std::string_view a, std::string_view b);
size_t SectionNameHash(std::string_view name);
// A name or value without the blanks at its ends, as the engine reads it.
std::string_view TrimBlanks(std::string_view text);

// A setting's group and item, as a store files them.
struct SettingKey {
  std::string group;
  std::string item;
};

// The keys of the store's own settings in key-list order (the C interface's
// iteration lists groups only). 0, or TIZ_E_INVALID_HANDLE.
int32_t KeysOfStore(uint32_t store, std::vector<SettingKey> *keys);
// The store's name: "Root" for a root store, the section name of the setting
// it was last linked under for a nested one. 0, or TIZ_E_INVALID_HANDLE.
int32_t NameOfStore(uint32_t store, std::string *name);

// What a load says of one section beyond its result: a section that fails
// (its code, the key at fault or empty for the whole section, and why, in
// words that follow the section's name: "has no Type"), or one that belongs
// to no store the load reaches, which the load leaves out.
struct LoadNote {
  size_t sectionLine = 0;  // the header's line
  int32_t code = 0;        // 0 for a section of no store
  std::string key;
  std::string reason;
};

// The library's load of the text into `store`, renamed `name` first: 0, or
// the code of the last failing section. With `notes`, what the reader itself
// reports while it loads, in no particular order. Exhausted memory throws
// std::bad_alloc.
int32_t LoadTree(uint32_t store, const std::string &name, const TreeText &text,
                 std::vector<LoadNote> *notes = nullptr);
// The library's save of `store` and everything below it into `text`.
int32_t SaveTree(uint32_t store, TreeText &text);
// The library's writing of one setting's section (Size, Type, Value) under
// the store's name; the text's other sections stay as they are.
// TIZ_NOT_FOUND when the store does not hold the setting.
int32_t SaveSetting(uint32_t store, const SettingKey &key, TreeText &text);

// What a load restores of one section (a SectionAt's number), as a save
// writes it: the section read alone by the tree reader and written back by
// the tree writer. `result` is
// the load's code for the section (the rest is then empty); a key a save
// does not write is missing (has* false).
struct RestoredSection {
  int32_t result = 0;
  int32_t type = 0;  // TIZ_TYPE_*
  std::string size, typeKeyword, value;
  bool hasValue = false;
};
RestoredSection RestoreSection(const TreeText &text, uint32_t section);

// Removes what a setting of the store named `storeName` has in the text: its
// section, repeats of it included, and for a nested store the sections of
// every store below it.
void RemoveSettingSections(TreeText &text, const std::string &storeName, const SettingKey &key);

// The library's locked edit of a tree file: under the file's lock, as the
// library's saves take it, the file is read (a missing one as empty), `edit`
// changes a copy of its text and answers whether to write it, and the file
// is then replaced at once. A link is edited through. An exception from
// `edit` leaves the file as it was and is thrown on once the lock is let go.
// 0, or the code of the read or the replace.
int32_t EditTreeFile(const std::string &path, const std::function<bool(TreeText &)> &edit);

// Replaces the file with `bytes` at once, as a save does; false on failure.
bool ReplaceFile(const std::string &path, std::string_view bytes);

// Settings files, line by line as the library's load reads them.
bool IsSettingsComment(std::string_view line);
// The line's fields (group, value, item, type word, count) as views into
// `line`, the missing ones empty; the number it has.
constexpr size_t kSettingsLineFields = 5;
size_t SplitSettingsLine(std::string_view line, std::string_view (&fields)[kSettingsLineFields]);
// The names a store files a setting under: "Default" for an empty group,
// "Value" for an empty item.
SettingKey StoredKeyOf(std::string_view group, std::string_view item);

// Applies settings lines to a store one by one, as the library's load of a
// settings file does (blanks before a line already skipped), under the lock.
class SettingsLineLoader {
 public:
  SettingsLineLoader();
  ~SettingsLineLoader();
  int32_t Apply(uint32_t store, std::string_view line);

 private:
  struct Texts;
  std::unique_ptr<Texts> m_texts;
};

}  // namespace tiz::inspect

#endif
