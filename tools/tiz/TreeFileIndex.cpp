#include "TreeFileIndex.h"

#include <fstream>
#include <set>

#include "Failure.h"

namespace tiztool {

namespace {

constexpr char kSeparator = '\x7f';

// Blanks around names in a profile file: space and tab.
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string &text) {
  size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

// A name the layout cannot hold plainly (control bytes, ']', blanks at
// either end) is written between double quotes with the escapes \\, \n, \r
// and \xHH; a backslash that starts no escape stands for itself.
std::string DecodedName(const std::string &spelling) {
  if (spelling.size() < 2 || spelling.front() != '"' || spelling.back() != '"') return spelling;
  std::string name;
  for (size_t i = 1; i + 1 < spelling.size(); ++i) {
    char c = spelling[i];
    if (c == '\\' && i + 2 < spelling.size()) {
      char next = spelling[i + 1];
      if (next == '\\' || next == 'n' || next == 'r') {
        name += next == 'n' ? '\n' : next == 'r' ? '\r' : '\\';
        ++i;
        continue;
      }
      if (next == 'x' && i + 4 < spelling.size()) {
        int high = HexValue(spelling[i + 2]), low = HexValue(spelling[i + 3]);
        if (high >= 0 && low >= 0) {
          name += static_cast<char>(high * 16 + low);
          i += 3;
          continue;
        }
      }
    }
    name += c;
  }
  return name;
}

// The section name of a "[name]" header line, which runs to the line's last
// ']'; false for any other line.
bool SectionOfLine(const std::string &line, std::string *section) {
  std::string text = Trimmed(line);
  if (text.empty() || text.front() != '[') return false;
  size_t close = text.rfind(']');
  if (close == std::string::npos || close == 0) return false;
  *section = DecodedName(Trimmed(text.substr(1, close - 1)));
  return true;
}

// Section names match without regard to ASCII letter case, as the profile
// functions that write them do.
std::string Folded(std::string text) {
  for (char &c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

TreeFileIndex TreeFileIndex::Read(const std::filesystem::path &file) {
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Failure(file.string() + ": cannot open the file");

  TreeFileIndex index;
  std::set<std::string> seen;
  bool hasText = false, hasSection = false;
  std::string line, section;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (Trimmed(line).empty()) continue;
    hasText = true;
    if (!SectionOfLine(line, &section)) continue;
    hasSection = true;
    if (seen.insert(Folded(section)).second) index.AddSection(section);
  }
  if (hasText && !hasSection) throw Failure(file.string() + ": not a tree file (no sections)");
  return index;
}

void TreeFileIndex::AddSection(const std::string &section) {
  // store name, 0x7F, group, 0x7F, item: the item follows the last separator
  // and the group the one before it.
  size_t itemStart = section.rfind(kSeparator);
  if (itemStart == std::string::npos || itemStart == 0) return;
  size_t groupStart = section.rfind(kSeparator, itemStart - 1);
  if (groupStart == std::string::npos) return;
  keysByStore_[section.substr(0, groupStart)].push_back(
      {section.substr(groupStart + 1, itemStart - groupStart - 1), section.substr(itemStart + 1)});
}

const std::vector<SettingKey> &TreeFileIndex::KeysOf(const std::string &storeName) const {
  static const std::vector<SettingKey> kNone;
  auto found = keysByStore_.find(storeName);
  return found == keysByStore_.end() ? kNone : found->second;
}

}  // namespace tiztool
