// A profile (INI) file held in memory: "[name]" section headers followed by
// "key=value" lines. Edits change single lines and leave every other line as
// it was read, lines the layout does not know (comments, text before the
// first section, malformed lines) included; new sections go to the end.
//
// Section and key names compare without regard to ASCII case. A file may
// hold the same section name twice: as on the platform, reads and writes
// then reach the first, and the name is listed once, at the first one's
// place, since the later ones cannot be told apart from it.
#ifndef TIZ_PERSIST_PROFILEDOCUMENT_H
#define TIZ_PERSIST_PROFILEDOCUMENT_H

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "persist/ProfileText.h"

namespace tiz {

class ProfileDocument {
 public:
  ProfileDocument();
  explicit ProfileDocument(std::string_view text);
  // The index refers into the sections: moving keeps them in place, copying
  // would not.
  ProfileDocument(ProfileDocument &&) = default;
  ProfileDocument &operator=(ProfileDocument &&) = default;
  ProfileDocument(const ProfileDocument &) = delete;
  ProfileDocument &operator=(const ProfileDocument &) = delete;

  // The distinct section names in file order, spelled as the file first
  // spells them.
  size_t SectionCount() const { return listed_.size(); }
  const std::string &SectionName(size_t index) const { return sections_[listed_[index]].name; }

  // The decoded value of `key` in section `section`; false when either is
  // missing.
  bool FindValue(std::string_view section, std::string_view key, std::string *value) const;
  // Writes `key`, overwriting its line in place or adding it at the end of
  // the section; a missing section is added at the end of the file. The key
  // name must be plain: no '=', '[' at its start, control bytes or blanks at
  // either end (the caller's keys are fixed words).
  void SetValue(std::string_view section, std::string_view key, std::string_view value);
  // Removes the key's line; nothing happens when it is not there.
  void RemoveKey(std::string_view section, std::string_view key);

  // True once an edit was made.
  bool Modified() const { return modified_; }
  // The file's text, with the edits.
  std::string Render() const;

 private:
  enum class LineEnd : uint8_t { kNone, kLf, kCrLf };
  struct Line {
    std::string text;  // without its line end
    LineEnd end;
  };
  struct Section {
    std::string name;         // empty for the lines before the first header
    std::vector<Line> lines;  // the header first, except for those lines
  };
  struct NameHash {
    size_t operator()(std::string_view name) const { return ProfileNameHash(name); }
  };
  struct NameEqual {
    bool operator()(std::string_view a, std::string_view b) const {
      return ProfileNamesEqual(a, b);
    }
  };

  void AddLine(std::string_view text, LineEnd end);
  // The number of the first section of that name, or -1.
  int64_t FindSection(std::string_view name) const;
  Section &FindOrAddSection(std::string_view name);
  // Index of the key's line in the section, or npos.
  static size_t FindKeyLine(const Section &section, std::string_view key);

  // A deque keeps the sections in place, so the index can refer to their names.
  std::deque<Section> sections_;
  std::vector<uint32_t> listed_;
  std::unordered_map<std::string_view, uint32_t, NameHash, NameEqual> index_;
  bool modified_ = false;
};

}  // namespace tiz

#endif
