// Random trees of settings with awkward names and values, and random tree
// files as people edit them by hand, for the round-trip and the Win32
// comparison tests. The seed is fixed, so a failure repeats; the environment
// variable TIZ_GENERATOR_SEED sets another one.
#ifndef TIZ_TESTS_TREEFILEGENERATOR_H
#define TIZ_TESTS_TREEFILEGENERATOR_H

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tiz.h"

namespace tiz_test {

inline uint64_t GeneratorSeed() {
  const char *text = std::getenv("TIZ_GENERATOR_SEED");
  return text && *text ? std::strtoull(text, nullptr, 0) : 20261210u;
}

// Type codes of the C interface.
enum GenType : int32_t {
  kGenUndefined = 0,
  kGenStore = 1,
  kGenDword = 2,
  kGenDouble = 3,
  kGenString = 4,
  kGenBuffer = 5,
  kGenImage = 6,
  kGenUserDefined = 7,
};

struct GenSetting {
  std::string group, item;
  int32_t type = kGenDword;
  uint32_t dword = 0;              // DWORD, IMAGE, USERDEFINED
  double number = 0;               // DOUBLE
  std::string bytes;               // STRING (no NUL) or BUFFER
  std::vector<GenSetting> nested;  // ATTRIBUTESTORE
};
using GenTree = std::vector<GenSetting>;

// A text with every byte outside printable ASCII shown as \xHH, for messages.
inline std::string Printable(const std::string &text, size_t limit = 400) {
  std::string out;
  for (size_t i = 0; i < text.size() && i < limit; ++i) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    if (c >= 0x20 && c < 0x7F && c != '\\') {
      out += static_cast<char>(c);
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    }
  }
  if (text.size() > limit) out += "...(" + std::to_string(text.size()) + " bytes)";
  return out;
}

// The same line by line, the line breaks kept, for multi-line dumps.
inline std::string PrintableLines(const std::string &text) {
  std::string out;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    out += Printable(text.substr(start, end - start), 100000) + "\n";
    start = end + 1;
  }
  return out;
}

class TreeFileGenerator {
 public:
  explicit TreeFileGenerator(uint64_t seed = GeneratorSeed()) : m_random(seed) {}

  // A tree whose every name the tree-file layout can hold: no separator
  // byte, line break or NUL, and no blank or control byte at the end of an
  // item (a section header drops those). Values may be anything the C
  // interface carries.
  GenTree Tree(int depth = 2) {
    GenTree tree;
    int count = 1 + Below(depth == 2 ? 12 : 6);
    for (int i = 0; i < count; ++i) {
      GenSetting s;
      s.group = Name(i, false);
      s.item = Name(i, true);
      static const int32_t kTypes[] = {kGenDword,  kGenDouble, kGenString,
                                       kGenString, kGenBuffer, kGenStore};
      s.type = kTypes[Below(depth > 0 ? 6 : 5)];
      switch (s.type) {
        case kGenDword:
          s.dword = Dword();
          break;
        case kGenDouble:
          s.number = Double();
          break;
        case kGenString:
          s.bytes = Text(false);
          break;
        case kGenBuffer:
          s.bytes = Bytes();
          break;
        default:
          s.nested = Tree(depth - 1);
          break;
      }
      tree.push_back(std::move(s));
    }
    return tree;
  }

  // The bytes of a tree file as a person might have edited it: the sections
  // of a random tree (every type keyword, and words that are none), written
  // with line ends of every kind, byte order marks, blanks and control bytes
  // around names and values, quotes of both kinds, empty headers, duplicate
  // sections and keys, comments, stray lines, long lines and NUL bytes.
  std::string HandEditedFile() {
    std::vector<Line> lines;
    Sections("Root", Tree(2), &lines);
    // Stray lines anywhere.
    int extras = Below(4);
    for (int i = 0; i < extras; ++i) {
      static const char *const kStray[] = {
          "[]", "[  ]",           "; a comment",          "no equals sign",
          "=x", "[Root\x7FLone]", "[\"Root\x7FQ\x7FR\"]", "\x1A"};
      lines.insert(lines.begin() + Below(static_cast<int>(lines.size()) + 1),
                   Line{kStray[Below(8)], true});
    }
    std::string text;
    const int ends = Below(4);  // LF, CRLF, CR, mixed
    for (const Line &line : lines) {
      text += line.text;
      int end = ends == 3 ? Below(3) : ends;
      text += end == 0 ? "\n" : end == 1 ? "\r\n" : "\r";
    }
    switch (Below(6)) {
      case 0:
        return "\xEF\xBB\xBF" + text;
      case 1: {
        // Notepad's "Unicode": UTF-16LE with a byte order mark. Bytes above
        // ASCII would need the code page's table; such files stay narrow.
        for (char c : text)
          if (static_cast<unsigned char>(c) >= 0x80) return text;
        std::string wide = "\xFF\xFE";
        for (char c : text) {
          wide += c;
          wide += '\0';
        }
        return wide;
      }
      default:
        return text;
    }
  }

  int Below(int n) { return static_cast<int>(m_random() % static_cast<uint64_t>(n)); }

 private:
  struct Line {
    std::string text;
    bool stray = false;
  };

  bool OneIn(int n) { return Below(n) == 0; }

  // Names unique within a store even without regard to letter case: the
  // position sits in the middle.
  std::string Name(int index, bool isItem) {
    static const char kAwkward[] = " \t\"'\\[]=;#%$.,:\x01\x08\x1A\xE9\xFF";
    std::string name;
    int before = Below(5), after = Below(5);
    for (int i = 0; i < before; ++i)
      name += OneIn(2) ? static_cast<char>('a' + Below(26)) : kAwkward[Below(sizeof kAwkward - 1)];
    name += std::to_string(index);
    for (int i = 0; i < after; ++i)
      name += OneIn(2) ? static_cast<char>('A' + Below(26)) : kAwkward[Below(sizeof kAwkward - 1)];
    if (isItem) {
      while (!name.empty() &&
             (static_cast<unsigned char>(name.back()) <= ' ' || name.back() == '\x1A'))
        name.pop_back();
      name += 'z';
    }
    return name;
  }

  uint32_t Dword() {
    static const uint32_t kEdges[] = {0, 1, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
    return OneIn(3) ? kEdges[Below(5)] : static_cast<uint32_t>(m_random());
  }

  double Double() {
    static const double kEdges[] = {
        0.0, -0.0, 1.0 / 3, 123456789.5, 1e-310, 1.7976931348623157e308, -2.2250738585072014e-308};
    if (OneIn(3)) return kEdges[Below(7)];
    // Any finite bit pattern.
    for (;;) {
      uint64_t bits = m_random();
      double value;
      std::memcpy(&value, &bits, sizeof value);
      if (value == value && value - value == 0) return value;
    }
  }

  // Text without NUL: quotes, backslashes, blanks and control bytes at
  // either end, line breaks (unless `oneLine`), sometimes over 64 KiB.
  std::string Text(bool oneLine) {
    static const char *const kPieces[] = {"\"",
                                          "'",
                                          "\\",
                                          "\\n",
                                          "\\\\server\\share",
                                          "C:\\new\\rates",
                                          " ",
                                          "\t",
                                          "\x01",
                                          "\x1A",
                                          "=",
                                          ";",
                                          "[",
                                          "]",
                                          "\xE9t\xE9",
                                          "abc",
                                          "x\x7Fy"};
    static const char *const kBreaks[] = {"\r\n", "\n", "\r", "\n\r"};
    std::string text;
    if (OneIn(12)) return text;
    int pieces = 1 + Below(8);
    for (int i = 0; i < pieces; ++i) {
      if (!oneLine && OneIn(8))
        text += kBreaks[Below(4)];
      else
        text += kPieces[Below(sizeof kPieces / sizeof *kPieces)];
    }
    if (OneIn(4)) text = (OneIn(2) ? "\"" : "'") + text + (OneIn(2) ? "\"" : "'");
    if (OneIn(30)) text += std::string(70000 + Below(5000), 'L');
    return text;
  }

  std::string Bytes() {
    if (OneIn(8)) return std::string();
    std::string bytes(static_cast<size_t>(OneIn(20) ? 40000 + Below(1000) : Below(64)), '\0');
    for (char &b : bytes) b = static_cast<char>(OneIn(4) ? 0 : m_random());
    return bytes;
  }

  // Blanks and control bytes that may surround a name or a value.
  std::string Padding() {
    static const char *const kPads[] = {"", "", "", " ", "\t", "  \t", "\x0B", "\x0C", "\x1A"};
    return kPads[Below(sizeof kPads / sizeof *kPads)];
  }

  std::string KeyLine(const char *key, const std::string &value) {
    std::string k = key;
    if (OneIn(6)) k = OneIn(2) ? "size" : "VALUE";
    if (std::strcmp(key, "Value") != 0 || k == "size") k = key;
    return Padding() + k + Padding() + "=" + Padding() + value + Padding();
  }

  static std::string Hex(const std::string &bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    unsigned sum = 0;
    for (char c : bytes) {
      unsigned char b = static_cast<unsigned char>(c);
      out += kDigits[b >> 4];
      out += kDigits[b & 15];
      sum += b;
    }
    out += kDigits[(sum >> 4) & 15];
    out += kDigits[sum & 15];
    return out;
  }

  std::string ValueText(const GenSetting &s, std::string *type, std::string *size) {
    char text[64];
    switch (s.type) {
      case kGenDword:
      case kGenImage:
      case kGenUserDefined:
        *size = "4";
        std::snprintf(text, sizeof text, OneIn(3) ? "%d" : "%u", s.dword);
        return text;
      case kGenDouble: {
        *size = "8";
        static const char *const kFormats[] = {"%e", "%.17g", "%.16e", "%.3f"};
        std::snprintf(text, sizeof text, kFormats[Below(4)], s.number);
        return text;
      }
      case kGenString: {
        *size = std::to_string(s.bytes.size() + 1);
        std::string value = s.bytes;
        if (OneIn(5))
          value.insert(static_cast<size_t>(Below(static_cast<int>(value.size()) + 1)), 1, '\0');
        if (OneIn(4)) {
          const char *quote = OneIn(3) ? "'" : "\"";
          value = quote + value + (OneIn(4) ? "" : quote);
        }
        return value;
      }
      case kGenBuffer: {
        *size = std::to_string(s.bytes.size());
        std::string hex = s.bytes.empty() && OneIn(2) ? std::string() : Hex(s.bytes);
        if (!hex.empty() && OneIn(10)) hex[0] = hex[0] == 'A' ? 'B' : 'A';  // a wrong checksum
        return hex;
      }
      default:
        *size = "4";
        return std::string();
    }
  }

  void Sections(const std::string &owner, const GenTree &tree, std::vector<Line> *lines) {
    for (GenSetting s : tree) {
      const std::string name = owner + '\x7F' + s.group + '\x7F' + s.item;
      if (s.type == kGenString) s.bytes = Text(true);
      if (s.type == kGenDword && OneIn(4)) s.type = OneIn(2) ? kGenImage : kGenUserDefined;
      std::string type, size;
      std::string value = ValueText(s, &type, &size);
      static const char *const kKeywords[] = {"UNDEFINED", "ATTRIBUTESTORE", "DWORD",
                                              "DOUBLE",    "STRING",         "BUFFER",
                                              "IMAGE",     "USERDEFINED"};
      type = kKeywords[s.type];
      if (OneIn(15)) type = OneIn(3) ? "dword" : OneIn(2) ? "COLOUR" : "";
      if (OneIn(12)) size = " " + size + "\t";
      std::string header = "[" + Padding() + name + Padding() + "]";
      if (OneIn(15)) header = Padding() + header + Padding() + "; note";
      lines->push_back({header});
      std::vector<Line> keys = {{KeyLine("Size", size)}, {KeyLine("Type", type)}};
      if (s.type != kGenStore && !(s.type == kGenBuffer && value.empty() && OneIn(2)))
        keys.push_back({KeyLine("Value", value)});
      if (OneIn(6)) std::swap(keys[0], keys[Below(static_cast<int>(keys.size()))]);
      if (OneIn(8)) keys.push_back({KeyLine("Value", "second")});  // a duplicate key
      for (Line &k : keys) lines->push_back(std::move(k));
      if (OneIn(10)) {  // the section once more, later keys ignored or not
        lines->push_back({"[" + name + "]"});
        lines->push_back({KeyLine("Type", "STRING")});
      }
      if (s.type == kGenStore) Sections(name, s.nested, lines);
    }
  }

  std::mt19937_64 m_random;
};

// Fills `store` with the tree through the C interface. Nested stores are
// plain links, as a load makes them, and each is linked before it is filled:
// it takes its name from the place it is linked to, and the stores below it
// build theirs on that name.
inline void FillStore(uint32_t store, const GenTree &tree) {
  for (const GenSetting &s : tree) {
    const char *g = s.group.c_str(), *i = s.item.c_str();
    switch (s.type) {
      case kGenDword:
        TIZ_SetSettingDword(store, g, i, s.dword);
        break;
      case kGenDouble:
        TIZ_SetSettingDouble(store, g, i, s.number);
        break;
      case kGenString:
        TIZ_SetSettingString(store, g, i, s.bytes.c_str());
        break;
      case kGenBuffer:
        TIZ_SetSettingBuffer(store, g, i, s.bytes.data(), static_cast<uint32_t>(s.bytes.size()));
        break;
      case kGenStore: {
        uint32_t nested = 0;
        if (TIZ_Create(&nested) != 0) break;
        TIZ_SetSettingAttrStore(store, g, i, nested);
        FillStore(nested, s.nested);
        break;
      }
      default:
        break;
    }
  }
}

// A new store holding the tree. Its nested stores live on with the one
// reference their creation gave them: release the whole tree in the end.
inline uint32_t BuildStore(const GenTree &tree) {
  uint32_t store = 0;
  if (TIZ_Create(&store) == 0) FillStore(store, tree);
  return store;
}

}  // namespace tiz_test

#endif
