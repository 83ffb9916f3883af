// Generated tree files read twice: through the platform's own profile
// functions (GetPrivateProfileSectionNamesA, GetPrivateProfileStringA,
// GetPrivateProfileStructA), walked by the rules of a tree load, and through
// TIZ_Deserialize. Both must give the same tree and the same result. And
// files that TIZ_Serialize writes must read back through the profile
// functions exactly as saved, wherever the layout can hold the text.
#include <gtest/gtest.h>
#include <windows.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "TreeFileGenerator.h"
#include "brlconfigio.h"
#include "tiz.h"

namespace {

using tiz_test::GenSetting;
using tiz_test::GenTree;
using tiz_test::Printable;

const char kPersistParameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
const char kMissing[] = "\x02missing\x02";
constexpr size_t kTypeTextSize = 256;
constexpr size_t kDoubleTextSize = 256;

// One loaded setting, as text that two readings can be compared by.
struct Loaded {
  std::string group, item;
  int32_t type = 0;
  uint32_t size = 0;
  std::string value;
  std::vector<Loaded> nested;
};

std::string Render(const std::vector<Loaded> &settings, int depth = 0) {
  std::string out;
  for (const Loaded &s : settings) {
    out += std::string(depth * 2, ' ') + Printable(s.group) + " / " + Printable(s.item) +
           " t=" + std::to_string(s.type) + " s=" + std::to_string(s.size) +
           " v=" + Printable(s.value, 200) + "\n";
    out += Render(s.nested, depth + 1);
  }
  return out;
}

std::string DoubleBits(double value) {
  unsigned long long bits;
  std::memcpy(&bits, &value, sizeof bits);
  char text[32];
  std::snprintf(text, sizeof text, "%016llX", bits);
  return text;
}

int32_t TypeCode(const std::string &keyword) {
  static const char *const kKeywords[] = {"UNDEFINED", "ATTRIBUTESTORE", "DWORD", "DOUBLE",
                                          "STRING",    "BUFFER",         "IMAGE", "USERDEFINED"};
  for (int32_t code = 1; code < 8; ++code)
    if (keyword == kKeywords[code]) return code;
  return 0;
}

// The decimal integers the library's profile helpers accept.
bool ParseInteger32(const std::string &text, uint32_t *bits) {
  size_t at = 0;
  bool negative = false;
  if (at < text.size() && (text[at] == '-' || text[at] == '+')) negative = text[at++] == '-';
  if (at == text.size()) return false;
  unsigned long long magnitude = 0;
  for (; at < text.size(); ++at) {
    if (text[at] < '0' || text[at] > '9') return false;
    magnitude = magnitude * 10 + static_cast<unsigned>(text[at] - '0');
    if (magnitude > 0xFFFFFFFFull) return false;
  }
  if (negative && magnitude > 0x80000000ull) return false;
  *bits = static_cast<uint32_t>(negative ? 0 - magnitude : magnitude);
  return true;
}

// A tree file read only through the platform's profile functions, walked as
// a tree load walks it.
class Win32Reading {
 public:
  explicit Win32Reading(std::string path) : m_path(std::move(path)) {
    std::vector<char> buffer(1 << 20);
    DWORD n = GetPrivateProfileSectionNamesA(buffer.data(), static_cast<DWORD>(buffer.size()),
                                             m_path.c_str());
    // Wine lists a section once for each of its headers; the library lists
    // a name once (ASCII letter case aside), where it first stands, and the
    // tree load has always walked that list. Kept so: a second header of a
    // name adds its keys to the first, and a load visits the name once.
    std::set<std::string> seen;
    for (const char *p = buffer.data(); p < buffer.data() + n && *p; p += std::strlen(p) + 1) {
      if (seen.insert(FoldedAscii(p)).second) m_names.emplace_back(p);
    }
    m_text.resize(4096);
  }

  // The settings loaded into a store named "Root", and the load's result.
  int32_t Load(std::vector<Loaded> *settings) {
    std::string root = "Root";
    bool owned = false;
    for (const std::string &name : m_names) {
      Parts parts;
      owned = owned || (Split(name, &parts) && parts.owner == root);
    }
    // A file saved from a store under another name loads under that name.
    Parts first;
    if (!owned && !m_names.empty() && Split(m_names.front(), &first)) root = first.owner;
    return LoadStore(root, settings);
  }

 private:
  struct Parts {
    std::string owner, group, item;
  };

  static std::string FoldedAscii(std::string name) {
    for (size_t at = 0; at < name.size(); ++at) {
      if (name[at] >= 'A' && name[at] <= 'Z') name[at] = static_cast<char>(name[at] - 'A' + 'a');
      if (IsDBCSLeadByte(static_cast<BYTE>(name[at]))) ++at;
    }
    return name;
  }

  // The last `separator` byte of name[0, end) that stands at index 1 or
  // later and is no trail byte of a double-byte character, or npos.
  static size_t LastSeparator(const std::string &name, size_t end, char separator) {
    size_t found = std::string::npos;
    for (size_t at = 0; at < end; ++at) {
      if (name[at] == separator && at >= 1) found = at;
      if (IsDBCSLeadByte(static_cast<BYTE>(name[at]))) ++at;
    }
    return found;
  }

  // A section name split as the library splits names: the item after the
  // last 0x7F (else the last 0xB3); the group after the 0x7F before it, with
  // the owner path before that, or the whole rest under the owner "Root".
  static bool Split(const std::string &name, Parts *parts) {
    size_t last = LastSeparator(name, name.size(), '\x7F');
    if (last == std::string::npos) last = LastSeparator(name, name.size(), '\xB3');
    if (last == std::string::npos) return false;
    size_t before = LastSeparator(name, last, '\x7F');
    parts->owner = before == std::string::npos ? "Root" : name.substr(0, before);
    parts->group = before == std::string::npos ? name.substr(0, last)
                                               : name.substr(before + 1, last - before - 1);
    parts->item = name.substr(last + 1);
    return !parts->group.empty() && !parts->item.empty();
  }

  // The key's whole text, or false when the section has no such key.
  // The buffer grows while the text fills it (the platform then cuts it).
  bool Text(const std::string &section, const char *key, std::string *text) {
    DWORD n = 0;
    for (;;) {
      n = GetPrivateProfileStringA(section.c_str(), key, kMissing, &m_text[0],
                                   static_cast<DWORD>(m_text.size()), m_path.c_str());
      if (n + 1 < m_text.size() || m_text.size() >= (1u << 24)) break;
      m_text.resize(m_text.size() * 2);
    }
    text->assign(m_text.data(), n);
    return *text != kMissing;
  }

  int32_t Integer(const std::string &section, const char *key, uint32_t *value) {
    std::string text;
    *value = 0;
    if (!Text(section, key, &text)) return 0;
    return ParseInteger32(text, value) ? 0 : TIZ_E_INVALID_ARG;
  }

  // A text read into a buffer of `room` bytes.
  int32_t Bounded(const std::string &section, const char *key, uint64_t room, std::string *text) {
    if (!Text(section, key, text)) text->clear();
    return text->size() < room ? 0 : TIZ_E_TOO_SMALL;
  }

  int32_t LoadStore(const std::string &owner, std::vector<Loaded> *settings) {
    int32_t remembered = 0;
    std::set<std::string> keys;
    for (const std::string &name : m_names) {
      Parts parts;
      if (!Split(name, &parts)) {
        remembered = TIZ_E_BAD_SECTION;
        continue;
      }
      if (parts.owner != owner) continue;
      Loaded setting;
      setting.group = parts.group;
      setting.item = parts.item;
      if (int32_t r = LoadSetting(name, &setting)) {
        remembered = r;
        continue;
      }
      if (keys.insert(parts.group + '\x7F' + parts.item).second)
        settings->push_back(std::move(setting));
    }
    return remembered;
  }

  int32_t LoadSetting(const std::string &section, Loaded *s) {
    if (int32_t r = Integer(section, "Size", &s->size)) return r;
    std::string text;
    if (int32_t r = Bounded(section, "Type", kTypeTextSize, &text)) return r;
    if (text.empty()) return TIZ_E_EMPTY_TYPE;
    s->type = TypeCode(text);
    switch (s->type) {
      case tiz_test::kGenStore:
        return LoadStore(section, &s->nested);
      case tiz_test::kGenDword:
      case tiz_test::kGenImage:
      case tiz_test::kGenUserDefined: {
        uint32_t word = 0;
        if (int32_t r = Integer(section, "Value", &word)) return r;
        // A structure number read from a file refers to no object of this
        // process: the library keeps it for the next save but hands out
        // no pointer for it.
        s->value = std::to_string(s->type == tiz_test::kGenUserDefined ? 0 : word);
        return 0;
      }
      case tiz_test::kGenDouble:
        if (int32_t r = Bounded(section, "Value", kDoubleTextSize, &text)) return r;
        s->value = DoubleBits(std::atof(text.c_str()));
        return 0;
      case tiz_test::kGenString:
        if (int32_t r = Bounded(section, "Value", uint64_t{s->size} + 1, &text)) return r;
        s->value = text.substr(0, std::strlen(text.c_str()));
        s->size = static_cast<uint32_t>(s->value.size() + 1);
        return 0;
      case tiz_test::kGenBuffer: {
        if (s->size == 0) return 0;
        if (s->size > (1u << 24)) return TIZ_E_READ_BUFFER;
        std::string bytes(s->size, '\0');
        if (!GetPrivateProfileStructA(section.c_str(), "Value", &bytes[0], s->size, m_path.c_str()))
          return TIZ_E_READ_BUFFER;
        s->value = bytes;
        return 0;
      }
      default:
        return 0;
    }
  }

  std::string m_path;
  std::vector<std::string> m_names;
  std::string m_text;
};

// What the library's store holds under the keys of `expected`, and whether
// its groups are those of `expected`.
std::vector<Loaded> ReadStore(uint32_t store, const std::vector<Loaded> &expected) {
  std::vector<Loaded> out;
  std::set<std::string> groups;
  for (const Loaded &want : expected) {
    Loaded got;
    got.group = want.group;
    got.item = want.item;
    const char *g = want.group.c_str(), *i = want.item.c_str();
    std::string lower = want.group;
    for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    groups.insert(lower);
    if (TIZ_GetSettingType(store, g, i, &got.type) != 0) {
      got.type = -1;  // missing
      out.push_back(got);
      continue;
    }
    TIZ_GetSettingSize(store, g, i, &got.size);
    switch (got.type) {
      case tiz_test::kGenStore: {
        uint32_t nested = 0;
        if (TIZ_GetSettingAttrStore(store, g, i, &nested) == 0 && nested) {
          got.nested = ReadStore(nested, want.nested);
          TIZ_Release(nested);
        }
        break;
      }
      case tiz_test::kGenDword: {
        uint32_t word = 0;
        TIZ_GetSettingDword(store, g, i, &word);
        got.value = std::to_string(word);
        break;
      }
      case tiz_test::kGenImage: {
        uint32_t word = 0;
        TIZ_GetSettingImage(store, g, i, &word);
        got.value = std::to_string(word);
        break;
      }
      case tiz_test::kGenUserDefined: {
        void *data = nullptr;
        TIZ_GetSettingStructure(store, g, i, &data);
        got.value = std::to_string(static_cast<uint32_t>(reinterpret_cast<uintptr_t>(data)));
        break;
      }
      case tiz_test::kGenDouble: {
        double number = 0;
        TIZ_GetSettingDouble(store, g, i, &number);
        got.value = DoubleBits(number);
        break;
      }
      case tiz_test::kGenString: {
        uint32_t size = 0;
        int32_t status = 0;
        if (const char *text = TIZ_GetCharPointer(store, g, i, &size, &status)) got.value = text;
        break;
      }
      case tiz_test::kGenBuffer: {
        uint32_t size = 0;
        int32_t status = 0;
        const void *bytes = TIZ_GetVoidPointer(store, g, i, &size, &status);
        if (bytes) got.value.assign(static_cast<const char *>(bytes), size);
        break;
      }
      default:
        break;
    }
    out.push_back(std::move(got));
  }
  // Groups the library loaded that the platform's reading does not have.
  char group[4096] = {};
  if (TIZ_StartIteratorSorted(store) == 0) {
    while (TIZ_IterateSetting(store, group, sizeof group) == 0) {
      std::string lower = group;
      for (char &c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
      if (!groups.count(lower)) {
        Loaded extra;
        extra.group = group;
        extra.item = "(a group the platform does not read)";
        extra.type = -2;
        out.push_back(extra);
      }
    }
  }
  return out;
}

// The settings of a generated tree as a load must give them back.
std::vector<Loaded> AsLoaded(const GenTree &tree, bool *layoutHoldsIt) {
  std::vector<Loaded> out;
  for (const GenSetting &s : tree) {
    Loaded l;
    l.group = s.group;
    l.item = s.item;
    l.type = s.type;
    switch (s.type) {
      case tiz_test::kGenStore:
        l.size = 4;
        l.nested = AsLoaded(s.nested, layoutHoldsIt);
        break;
      case tiz_test::kGenDword:
        l.size = 4;
        l.value = std::to_string(s.dword);
        break;
      case tiz_test::kGenDouble:
        l.size = 8;
        l.value = DoubleBits(s.number);
        break;
      case tiz_test::kGenString:
        l.size = static_cast<uint32_t>(s.bytes.size() + 1);
        l.value = s.bytes;
        // A line break cannot stand in a profile value.
        if (s.bytes.find_first_of("\r\n") != std::string::npos) *layoutHoldsIt = false;
        break;
      case tiz_test::kGenBuffer:
        l.size = static_cast<uint32_t>(s.bytes.size());
        l.value = s.bytes;
        break;
    }
    out.push_back(std::move(l));
  }
  return out;
}

class WinProfileDifferential : public ::testing::Test {
 protected:
  // The full path of a tree file of this name, where the library puts it.
  static std::string PathOf(const std::string &fileName) {
    EXPECT_EQ(BCIO_SetConfigParameterDest(kPersistParameter, 2, fileName.c_str()), 0);
    uint32_t reserved = 0;
    char configured[260] = {};
    uint32_t size = sizeof configured;
    EXPECT_EQ(BCIO_GetConfigParameterDest(kPersistParameter, &reserved, configured, &size), 0);
    char full[MAX_PATH] = {};
    GetFullPathNameA(configured, sizeof full, full, nullptr);
    return full;
  }

  static void WriteBytes(const std::string &path, const std::string &bytes) {
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());  // drop the cache
    FILE *f = std::fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
};

TEST_F(WinProfileDifferential, HandEditedFilesReadAsThePlatformReadsThem) {
  tiz_test::TreeFileGenerator generator;
  const uint64_t seed = tiz_test::GeneratorSeed();
  int differences = 0;
  for (int round = 0; round < 300 && differences < 10; ++round) {
    const std::string name = "Differential" + std::to_string(round) + ".ini";
    const std::string path = PathOf(name);
    const std::string file = generator.HandEditedFile();
    // A UTF-8 byte order mark: Windows reads the file's bytes in the ANSI
    // code page, so its first line starts with the mark's three bytes; the
    // library skips the mark and reads the rest as Windows does. Wine
    // instead decodes such a file as UTF-8 (bytes that are no UTF-8 become
    // '?'). The platform's reading is therefore taken of the bytes after the
    // mark.
    const bool utf8Mark = file.compare(0, 3, "\xEF\xBB\xBF") == 0;
    WriteBytes(path, utf8Mark ? file.substr(3) : file);

    std::vector<Loaded> platform;
    const int32_t platformResult = Win32Reading(path).Load(&platform);
    if (utf8Mark) WriteBytes(path, file);
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    const int32_t libraryResult = TIZ_Deserialize(store, name.c_str());
    const std::string library = Render(ReadStore(store, platform));
    const std::string expected = Render(platform);
    if (libraryResult != platformResult || library != expected) {
      ++differences;
      ADD_FAILURE() << "seed " << seed << ", file " << round << ":\n"
                    << Printable(file, 20000) << "\nthe platform reads (result " << platformResult
                    << "):\n"
                    << expected << "the library reads (result " << libraryResult << "):\n"
                    << library;
    }
    TIZ_Release(store);
    DeleteFileA(path.c_str());
  }
}

TEST_F(WinProfileDifferential, LibraryFilesReadBackThroughThePlatformAsSaved) {
  tiz_test::TreeFileGenerator generator;
  const uint64_t seed = tiz_test::GeneratorSeed();
  int differences = 0;
  for (int round = 0; round < 150 && differences < 10; ++round) {
    const std::string name = "Written" + std::to_string(round) + ".ini";
    const std::string path = PathOf(name);
    DeleteFileA(path.c_str());
    WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
    const GenTree tree = generator.Tree();
    bool layoutHoldsIt = true;
    const std::string expected = Render(AsLoaded(tree, &layoutHoldsIt));
    uint32_t store = tiz_test::BuildStore(tree);
    ASSERT_EQ(TIZ_Serialize(store, name.c_str()), 0);
    std::vector<Loaded> platform;
    const int32_t platformResult = Win32Reading(path).Load(&platform);
    if (layoutHoldsIt && (platformResult != 0 || Render(platform) != expected)) {
      ++differences;
      FILE *f = std::fopen(path.c_str(), "rb");
      std::string file;
      if (f) {
        char chunk[4096];
        size_t n;
        while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) file.append(chunk, n);
        std::fclose(f);
      }
      ADD_FAILURE() << "seed " << seed << ", tree " << round << ":\nsaved:\n"
                    << expected << "the file:\n"
                    << Printable(file, 20000) << "\nthe platform reads (result " << platformResult
                    << "):\n"
                    << Render(platform);
    }
    TIZ_Release(store);
    DeleteFileA(path.c_str());
  }
}

}  // namespace
