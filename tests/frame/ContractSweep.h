// Calls an export with every combination (or, past a bound, an even spread
// of the combinations) of bad and edge arguments: null pointers, the handle
// 0, a destroyed store's handle, stores of every kind, empty, missing and
// over-long names, settings of every type, damaged files, short buffers.
// Each argument is picked by its type and by the name the header gives it,
// and each call gets a fresh set of stores, torn down afterwards, so calls
// never see each other's effects. What it records is every result each
// export gave, with the first call that gave it.
#ifndef TIZ_TESTS_FRAME_CONTRACTSWEEP_H
#define TIZ_TESTS_FRAME_CONTRACTSWEEP_H

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "ScratchDirectory.h"
#include "talb310.h"
#include "tiz.h"

namespace tiz_test {

// Every result an export gave, with a call that gave it.
using ObservedResults = std::map<std::string, std::map<int32_t, std::string>>;

// What a structure's display callback of the sweep answers: a code of no
// meaning to the library, so that passing it through shows.
constexpr int32_t kDisplayCallbackAnswer = 42;

namespace sweep {

inline void TIZ_API KeepData(void *) {}
inline int32_t TIZ_API DisplayAnswer(void *, char *dest, int32_t len) {
  if (len > 0) dest[0] = '\0';
  return kDisplayCallbackAnswer;
}

inline uint32_t NewStore() {
  uint32_t h = 0;
  TIZ_Create(&h);
  return h;
}

// Gives back every reference to each store until it is gone, or until it
// can only go with its parent.
inline void ReleaseAll(const std::vector<uint32_t> &handles) {
  for (int pass = 0; pass < 3; ++pass) {
    for (uint32_t h : handles) {
      while (TIZ_Release(h) == TIZ_OK) {
      }
    }
  }
}

template <class T>
struct Choice {
  T value;
  std::string label;
};

constexpr const char kValue[] = "Attribute.Value";
constexpr size_t kRoom = 512;  // every buffer of the sweep; no length exceeds it

// The files of the file functions, written afresh before each call.
struct Files {
  std::string goodTree, badTree, goodSettings, badSettings;
};

// The stores, images, buffers and files one call sees.
class World {
 public:
  World(bool pageTrees, const Files *files) {
    std::memset(m_text, 0, sizeof m_text);
    std::memset(m_bytes, 7, sizeof m_bytes);
    m_root = NewStore();
    m_child = NewStore();
    m_plain = NewStore();
    uint32_t stale = NewStore();
    TIZ_Release(stale);
    m_image = TALB_CreateImage(1, 2);
    TIZ_SetSettingDword(m_root, "Dword", "", 7);
    TIZ_SetSettingDouble(m_root, "Double", "", 2.5);
    TIZ_SetSettingString(m_root, "String", "", "text");
    TIZ_SetSettingBuffer(m_root, "Buffer", "", m_bytes, 3);
    TIZ_SetSettingBuffer(m_root, "Empty", "", nullptr, 0);
    TIZ_SetSettingImage(m_root, "Image", "", m_image);
    TIZ_SetSettingStructure(m_root, "Struct", "", &m_structure, KeepData, DisplayAnswer);
    TIZ_SetSettingAttrStore(m_root, "Store", "", m_plain);
    TIZ_SetSettingAttrStoreChild(m_root, "Child", "", m_child);
    TIZ_SetSettingDword(m_child, "Own", "", 1);
    m_handles = {{0, "0"}, {stale, "destroyed"}, {m_root, "root"}, {m_child, "child"}};
    m_release = {m_root, m_plain, m_child};
    if (pageTrees) {
      BuildPageTrees();
    } else {
      m_handles.push_back({m_plain, "plain"});
    }
    if (files) {
      WriteFileText(m_dir->Path("good.tree"), files->goodTree);
      WriteFileText(m_dir->Path("bad.tree"), files->badTree);
      WriteFileText(m_dir->Path("good.settings"), files->goodSettings);
      WriteFileText(m_dir->Path("bad.settings"), files->badSettings);
    }
  }
  ~World() {
    for (uint32_t global : m_globals) TIZ_UtilDestroyImageTree(global);
    for (auto &out : m_out32) {
      if (IsStoreOut(out.first) && out.second) m_release.insert(m_release.begin(), out.second);
    }
    ReleaseAll(m_release);
    for (uint32_t image : m_images) TALB_ReleaseImage(image);
    TALB_ReleaseImage(m_image);
  }
  World(const World &) = delete;
  World &operator=(const World &) = delete;

  static void SetDirectory(ScratchDirectory *dir) { m_dir = dir; }
  // What a pointer getter wrote to *pStatus.
  int32_t Status() const { return m_status; }

  template <class T>
  std::vector<Choice<T>> Pool(const std::string &name);

 private:
  static bool IsStoreOut(const std::string &name) {
    return name == "phAttrStore" || name == "phNested" || name == "phCurrentBag" ||
           name == "phPersistentBag" || name == "phParent";
  }

  // A global bag with its UI bag child-linked below it.
  uint32_t NewGlobal(uint32_t duplex) {
    uint32_t global = NewStore(), ui = NewStore();
    TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui);
    TIZ_SetSettingDword(global, "scan_duplex", kValue, duplex);
    m_globals.push_back(global);
    m_release.push_back(ui);
    m_release.push_back(global);
    return global;
  }

  // A built simplex page holding an image, a duplex page whose front side
  // has an appended bag and a saved tree, a global bag whose layout
  // settings hold other types, and one whose side shortcuts disagree.
  void BuildPageTrees() {
    uint32_t simplex = NewGlobal(0);
    uint32_t defaults = NewStore();
    m_release.push_back(defaults);
    TIZ_SetSettingAttrStoreChild(simplex, "defaults.bag", kValue, defaults);
    TIZ_UtilReInitImageTree(simplex);
    m_storedImage = TALB_CreateImage(3, 4);
    TIZ_UtilUpdateStoredImages(simplex, m_storedImage, 0);
    m_images.push_back(TALB_CreateImage(5, 6));
    TIZ_SetSettingImage(simplex, "Image.For_Y_Bitonal_Front", kValue, m_images.back());

    uint32_t duplex = NewGlobal(1), appended = 0, persistent = 0, current = 0;
    TIZ_UtilReInitImageTree(duplex);
    TIZ_UtilAppendNewCurrentBag(duplex, 1, &appended);
    TIZ_Release(appended);
    TIZ_UtilGetPersistentBag(duplex, 1, &persistent);
    TIZ_Release(persistent);
    TIZ_UtilSaveCurrentImageTree(duplex, persistent);
    TIZ_UtilGetCurrentBag(duplex, 1, &current);
    TIZ_Release(current);

    uint32_t broken = NewStore();
    m_globals.push_back(broken);
    m_release.push_back(broken);
    for (const char *group : {"ui.bag", "defaults.bag", "trap.bag", "Current.ImageStore",
                              "Current.Persistent_ImageStore", "Persistent_Back", "Image"}) {
      TIZ_SetSettingString(broken, group, kValue, "text");
    }
    TIZ_SetSettingString(broken, "scan_duplex", kValue, "text");

    uint32_t disagreeing = NewGlobal(1), lone = NewStore();
    m_release.push_back(lone);
    TIZ_SetSettingAttrStore(disagreeing, "Current.ImageStore", kValue, lone);

    m_handles.push_back({simplex, "simplex global bag"});
    m_handles.push_back({duplex, "duplex global bag"});
    m_handles.push_back({broken, "global bag of wrong types"});
    m_handles.push_back({disagreeing, "global bag with disagreeing sides"});
    m_handles.push_back({persistent, "persistent bag with a saved tree"});
    m_handles.push_back({current, "bag replacing a saved tree"});
  }

  char *Text(const std::string &name) {
    static const char *const kNames[] = {"dest", "buffer", "group", "item", "str"};
    size_t i = 0;
    while (i < 4 && name != kNames[i]) ++i;
    return m_text[i];
  }

  static inline ScratchDirectory *m_dir = nullptr;
  uint32_t m_root = 0, m_child = 0, m_plain = 0, m_image = 0, m_storedImage = 0;
  std::vector<Choice<uint32_t>> m_handles;
  std::vector<uint32_t> m_release, m_globals, m_images;
  std::map<std::string, uint32_t> m_out32;
  std::map<std::string, int32_t> m_outInt32;
  int32_t m_lengths[4] = {-1, 0, 2, static_cast<int32_t>(kRoom)};
  int32_t m_status = 12345;  // a pointer getter that writes no status shows
  uint8_t m_byte = 0;
  double m_double = 0;
  void *m_pointer = nullptr;
  int m_structure = 0;
  char m_text[5][kRoom];
  unsigned char m_bytes[kRoom];
};

template <>
inline std::vector<Choice<uint32_t>> World::Pool<uint32_t>(const std::string &name) {
  if (name == "hImage") {
    return {{0, "no image"},
            {m_image, "an image"},
            {m_storedImage, "the current image"},
            {0x7777, "an unknown image"}};
  }
  if (name[0] == 'h') return m_handles;
  if (name == "len") return {{0, "0"}, {3, "3"}, {kRoom, "room"}};
  if (name == "size") return {{0, "0"}, {8, "8"}, {kRoom, "room"}};
  if (name == "fieldLen") return {{0, "0"}, {4, "4"}, {kRoom, "room"}};
  if (name == "bCurrentSide") return {{0, "0"}, {1, "1"}, {2, "2"}};
  if (name == "dwDpiMask") return {{0, "0"}, {0x100, "unknown bits"}, {0x28, "300|200 dpi"}};
  if (name == "enabled") return {{0, "0"}};
  return {{0, "0"}, {1, "1"}};
}

template <>
inline std::vector<Choice<int32_t>> World::Pool<int32_t>(const std::string &name) {
  if (name == "conf") return {{100, "100"}, {-5, "-5"}};
  if (name == "len") {
    return {{-1, "-1"}, {0, "0"}, {1, "1"}, {5, "5"}, {static_cast<int32_t>(kRoom), "room"}};
  }
  if (name == "index") return {{-1, "-1"}, {0, "0"}, {1, "1"}, {7, "7"}};
  return {{0, "0"}};
}

template <>
inline std::vector<Choice<double>> World::Pool<double>(const std::string &) {
  return {{2.5, "2.5"}};
}

template <>
inline std::vector<Choice<const char *>> World::Pool<const char *>(const std::string &name) {
  static const std::string kLong(300, 'L');
  if (name == "group") {
    std::vector<Choice<const char *>> names{{nullptr, "null"}, {"", "empty"}};
    for (const char *group : {"Dword", "Double", "String", "Buffer", "Empty", "Image", "Struct",
                              "Store", "Child", "Own", "Missing"}) {
      names.push_back({group, group});
    }
    names.push_back({kLong.c_str(), "300 bytes"});
    return names;
  }
  if (name == "item") return {{nullptr, "null"}, {"", "empty"}, {"Other", "Other"}};
  if (name == "fileName") {
    return {{nullptr, "null"},
            {"", "empty"},
            {"good.tree", "good.tree"},
            {"bad.tree", "bad.tree"},
            {"missing.tree", "missing.tree"},
            {"dir/", "dir/"},
            {kLong.c_str(), "300 bytes"},
            {"good.settings", "good.settings"},
            {"bad.settings", "bad.settings"}};
  }
  if (name == "text") {
    return {{nullptr, "null"},
            {"", "empty"},
            {"Scan Speed 0 12\nJob Title 1 Front page\n", "two records"},
            {"g i x 1\n", "a kind that is no number"},
            {"abc", "no line feed"}};
  }
  return {{nullptr, "null"}, {"x", "x"}};
}

template <>
inline std::vector<Choice<char *>> World::Pool<char *>(const std::string &name) {
  return {{nullptr, "null"}, {Text(name), "buffer"}};
}

template <>
inline std::vector<Choice<void *>> World::Pool<void *>(const std::string &name) {
  if (name == "data") return {{nullptr, "null"}, {&m_structure, "data"}};
  return {{nullptr, "null"}, {Text(name), "buffer"}};
}

template <>
inline std::vector<Choice<const void *>> World::Pool<const void *>(const std::string &name) {
  if (name == "value") return {{nullptr, "null"}, {"12\0\0", "a number that is also a text"}};
  return {{nullptr, "null"}, {m_bytes, "bytes"}};
}

template <>
inline std::vector<Choice<uint32_t *>> World::Pool<uint32_t *>(const std::string &name) {
  return {{nullptr, "null"}, {&m_out32[name], "out"}};
}

template <>
inline std::vector<Choice<int32_t *>> World::Pool<int32_t *>(const std::string &name) {
  if (name == "pLen") {
    return {{nullptr, "null"},
            {&m_lengths[0], "-1"},
            {&m_lengths[1], "0"},
            {&m_lengths[2], "2"},
            {&m_lengths[3], "room"}};
  }
  if (name == "pStatus") return {{nullptr, "null"}, {&m_status, "out"}};
  return {{nullptr, "null"}, {&m_outInt32[name], "out"}};
}

template <>
inline std::vector<Choice<uint8_t *>> World::Pool<uint8_t *>(const std::string &) {
  return {{nullptr, "null"}, {&m_byte, "out"}};
}

template <>
inline std::vector<Choice<double *>> World::Pool<double *>(const std::string &) {
  return {{nullptr, "null"}, {&m_double, "out"}};
}

template <>
inline std::vector<Choice<void **>> World::Pool<void **>(const std::string &) {
  return {{nullptr, "null"}, {&m_pointer, "out"}};
}

template <>
inline std::vector<Choice<TIZ_RELEASE_FN>> World::Pool<TIZ_RELEASE_FN>(const std::string &) {
  return {{nullptr, "null"}, {KeepData, "a callback"}};
}

template <>
inline std::vector<Choice<TIZ_DISPLAY_FN>> World::Pool<TIZ_DISPLAY_FN>(const std::string &) {
  return {{nullptr, "null"}, {DisplayAnswer, "a callback"}};
}

template <class R, class... A, size_t... I>
int32_t CallWith(R(TIZ_API *fn)(A...), World &world, const std::vector<std::string> &names,
                 const size_t *picks, std::string *call, bool *answered,
                 std::index_sequence<I...>) {
  auto pools = std::make_tuple(world.template Pool<A>(names[I])...);
  (void)pools;  // a function without parameters uses none
  *call = "(";
  ((*call += (I ? ", " : "") + names[I] + "=" + std::get<I>(pools)[picks[I]].label), ...);
  *call += ")";
  R r = fn(std::get<I>(pools)[picks[I]].value...);
  *answered = true;
  if constexpr (std::is_pointer_v<R>) {
    // The pointer getters answer through *pStatus.
    (void)r;
    auto status = std::find(names.begin(), names.end(), "pStatus");
    size_t at = static_cast<size_t>(status - names.begin());
    size_t pick = 0;
    ((I == at ? (pick = picks[I], 0) : 0), ...);
    *answered = pick != 0;
    return world.Status();
  } else {
    return static_cast<int32_t>(r);
  }
}

template <class R, class... A>
int32_t CallOnce(const std::vector<std::string> &names, R(TIZ_API *fn)(A...), World &world,
                 const size_t *picks, std::string *call, bool *answered) {
  return CallWith(fn, world, names, picks, call, answered, std::index_sequence_for<A...>{});
}

template <class... A, size_t... I>
std::vector<size_t> PoolSizes(World &world, const std::vector<std::string> &names,
                              std::index_sequence<I...>) {
  return {world.template Pool<A>(names[I]).size()...};
}

// At most this many calls per export; past it, an even spread.
constexpr size_t kMaxCalls = 10000;

template <class R, class... A>
void Sweep(const std::string &exportName, const std::vector<std::string> &names,
           R(TIZ_API *fn)(A...), const Files *files, ObservedResults *observed) {
  bool pageTrees = std::any_of(names.begin(), names.end(), [](const std::string &n) {
    return n == "hGlobalBag" || n == "hBag";
  });
  bool withFiles = std::find(names.begin(), names.end(), "fileName") != names.end();
  std::vector<size_t> sizes;
  {
    World probe(pageTrees, nullptr);
    sizes = PoolSizes<A...>(probe, names, std::index_sequence_for<A...>{});
  }
  size_t total = 1;
  for (size_t s : sizes) total *= s;
  size_t stride = 1, calls = total;
  if (total > kMaxCalls) {
    calls = kMaxCalls;
    for (size_t prime : {7919u, 7907u, 7901u}) {
      if (total % prime != 0) {
        stride = prime;
        break;
      }
    }
  }
  for (size_t n = 0; n < calls; ++n) {
    size_t combination = n * stride % total;
    size_t picks[sizeof...(A) + 1] = {};
    for (size_t i = 0; i < sizes.size(); ++i) {
      picks[i] = combination % sizes[i];
      combination /= sizes[i];
    }
    std::string call;
    bool answered = false;
    int32_t result;
    {
      World world(pageTrees, withFiles ? files : nullptr);
      result = CallOnce(names, fn, world, picks, &call, &answered);
    }
    if (answered) (*observed)[exportName].emplace(result, exportName + call);
  }
}

}  // namespace sweep

}  // namespace tiz_test

#endif
