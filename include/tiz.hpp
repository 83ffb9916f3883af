// tiz.hpp: a header-only C++17 layer over the C interface of tiz.h.
//
// It calls nothing but the exported TIZ_* functions, so it works the same
// against the static library, libtiz.so and tiz.dll. Include it and link
// tiz::tiz.
//
//   tiz::Store root = tiz::Store::create();          // TIZ_Create
//   root.set_dword("scan_duplex", "Attribute.Value", 1);
//   tiz::Store stage = tiz::Store::create();
//   root.set_child("Stage", "Deskew", stage);         // child link
//   auto duplex = stage.get_dword("scan_duplex", "Attribute.Value");
//   if (duplex.where == tiz::Found::in_ancestor) use(*duplex);
//
// Errors and lookups. A getter's answer "found here / in an ancestor /
// nowhere" is data, not a failure: it comes back in a Lookup<T>, whose
// `where` says which, and whose value is there only when it was found.
// Every negative result code is thrown as tiz::Error, which carries the
// code. Exceptions were chosen over a result object because a negative code
// means a broken precondition (an invalid handle, a wrong type, a bad name)
// or a failed file operation, which the code next to the call can rarely
// mend, while an error that is not looked at must not pass for a value; a
// caller who wants the code catches Error and reads code().
//
// Ownership. A Store owns exactly one reference of its store: copying adds a
// reference (TIZ_AddRef), moving transfers it, destruction gives it back
// (TIZ_Release). Getters that hand out a nested store return a Store that
// owns the reference the library added for the caller.
//
// Threads and lifetime follow tiz.h: every call takes the library's lock,
// and a structure's callables run under it.
#ifndef TIZ_HPP
#define TIZ_HPP

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "tiz.h"
#include "tiz_result.h"

namespace tiz {

// A negative result code of the C interface. what() names the function,
// the code and its meaning (tiz_result.h), and the setting where the call
// was about one: "TIZ_GetSettingConfidenceDword failed with result -313
// (...) for group "Job", item "Title"".
class Error : public std::runtime_error {
 public:
  Error(const char *function, int32_t code) : Error(code, Describe(function, code)) {}
  Error(const char *function, int32_t code, std::string_view group, std::string_view item)
      : Error(code, Describe(function, code) + " for group " + Quoted(group) + ", item " +
                        Quoted(item)) {}
  // A failure the header finds itself, with its own message.
  Error(int32_t code, const std::string &message) : std::runtime_error(message), code_(code) {}
  int32_t code() const noexcept { return code_; }

  // A text in double quotes, a NUL in it shown as \0.
  static std::string Quoted(std::string_view text) {
    std::string quoted = "\"";
    for (char c : text) quoted += c == '\0' ? std::string("\\0") : std::string(1, c);
    return quoted + "\"";
  }

 private:
  static std::string Describe(const char *function, int32_t code) {
    return std::string(function) + " failed with result " + std::to_string(code) + " (" +
           tiz_result_text(code) + ")";
  }

  int32_t code_;
};

// Where a getter found its setting.
enum class Found { here = TIZ_OK, in_ancestor = TIZ_FOUND_IN_ANCESTOR, absent = TIZ_NOT_FOUND };

// A getter's answer: where the setting was found and, unless absent, its
// value and confidence.
template <class T>
struct Lookup {
  Found where = Found::absent;
  T value{};
  int32_t confidence = 0;

  bool found() const noexcept { return where != Found::absent; }
  explicit operator bool() const noexcept { return found(); }
  // The value; throws an Error carrying TIZ_NOT_FOUND when it is absent.
  const T &operator*() const {
    if (!found()) throw Error("tiz::Lookup", TIZ_NOT_FOUND);
    return value;
  }
  const T *operator->() const { return &**this; }
  // The value, or `fallback` when absent.
  T value_or(T fallback) const { return found() ? value : std::move(fallback); }
};

namespace detail {

// The C interface takes NUL-terminated texts, so a text holding a NUL would
// be cut there, silently: refused instead. `what` names the text ("the
// group", "the file name", ...).
inline std::string CText(const char *function, const char *what, std::string_view text) {
  size_t nul = text.find('\0');
  if (nul != std::string_view::npos) {
    throw Error(TIZ_E_INVALID_ARG, std::string(function) + ": " + what + " " + Error::Quoted(text) +
                                       " holds a NUL at byte " + std::to_string(nul) +
                                       ", which the C interface would cut "
                                       "there");
  }
  return std::string(text);
}

// 0, 1 and 2 are answers; negative codes are thrown.
inline int32_t Check(const char *function, int32_t code) {
  if (code < 0) throw Error(function, code);
  return code;
}

// A setting's group and item as C texts, and the check of a call about it,
// whose Error names them.
class Names {
 public:
  Names(std::string_view group, std::string_view item)
      : group_(CText("tiz::Store", "the group", group)),
        item_(CText("tiz::Store", "the item", item)) {}
  const char *group() const { return group_.c_str(); }
  const char *item() const { return item_.c_str(); }
  // 0, 1 and 2 are answers; negative codes are thrown.
  int32_t Check(const char *function, int32_t code) const {
    if (code < 0) throw Error(function, code, group_, item_);
    return code;
  }

 private:
  std::string group_, item_;
};

// Holds a structure value and the callables the setter was given. The
// library owns it through its release callback.
struct StructureBase {
  virtual ~StructureBase() = default;
  // Writes the display text into `dest` as the library's own displays do:
  // a bounded copy, 0 when it fits, 3 when cut.
  virtual int32_t Display(char *dest, int32_t len) const = 0;
  static constexpr uint32_t kTag = 0x7A697468;  // marks objects of this header
  uint32_t tag = kTag;
};

template <class T>
struct Structure final : StructureBase {
  Structure(T v, std::function<void(T &)> r, std::function<std::string(const T &)> d)
      : value(std::move(v)), release(std::move(r)), display(std::move(d)) {}
  ~Structure() override {
    // A release callable must not throw: the library cannot pass it on.
    try {
      if (release) release(value);
    } catch (...) {
    }
  }
  int32_t Display(char *dest, int32_t len) const override {
    std::string text = display ? display(value) : std::string();
    size_t room = static_cast<size_t>(len);
    size_t copied = text.size() < room ? text.size() : room;
    std::memcpy(dest, text.data(), copied);
    std::memset(dest + copied, 0, room - copied);
    return text.size() < room ? TIZ_OK : TIZ_TRUNCATED_DISPLAY;
  }
  T value;
  std::function<void(T &)> release;
  std::function<std::string(const T &)> display;
};

// The callbacks handed to the library: TIZ_API, so they are stdcall where
// the library's own functions are (32-bit Windows).
inline void TIZ_API ReleaseStructure(void *data) { delete static_cast<StructureBase *>(data); }

inline int32_t TIZ_API DisplayStructure(void *data, char *dest, int32_t len) {
  try {
    return static_cast<const StructureBase *>(data)->Display(dest, len);
  } catch (...) {
    // The display's result becomes TIZ_DisplayAttribute's: an error, not a
    // text that reads as fitting.
    return TIZ_E_INVALID_ARG;
  }
}

}  // namespace detail

class Store;

// The groups of one store, sorted, each once (TIZ_StartIteratorSorted and
// TIZ_IterateSetting), as they were when groups() was called. The store has
// one iteration cursor, which groups() runs to the end at once: the Groups
// is a snapshot, so loops over it may nest and interleave, also over the
// groups of the same store, and the store may change meanwhile. (Two
// threads must not take the groups of one store at the same moment: the
// cursor is the store's.)
class Groups {
 public:
  using value_type = std::string;
  using const_iterator = std::vector<std::string>::const_iterator;
  using iterator = const_iterator;

  const_iterator begin() const noexcept { return names_.begin(); }
  const_iterator end() const noexcept { return names_.end(); }
  size_t size() const noexcept { return names_.size(); }
  bool empty() const noexcept { return names_.empty(); }
  const std::string &operator[](size_t index) const { return names_[index]; }

 private:
  friend class Store;
  explicit Groups(uint32_t handle) {
    std::vector<char> buffer(256, '\0');
    detail::Check("TIZ_StartIteratorSorted", TIZ_StartIteratorSorted(handle));
    for (;;) {
      int32_t r = TIZ_IterateSetting(handle, buffer.data(), static_cast<uint32_t>(buffer.size()));
      if (r == TIZ_E_END_OF_ITERATION) return;
      detail::Check("TIZ_IterateSetting", r);
      if (!std::memchr(buffer.data(), '\0', buffer.size())) {
        // The group filled the buffer and may be cut. The cursor has moved
        // past it, so start again with more room and pass the groups
        // already taken.
        buffer.assign(buffer.size() * 2, '\0');
        detail::Check("TIZ_StartIteratorSorted", TIZ_StartIteratorSorted(handle));
        for (size_t i = 0; i < names_.size(); ++i) {
          detail::Check(
              "TIZ_IterateSetting",
              TIZ_IterateSetting(handle, buffer.data(), static_cast<uint32_t>(buffer.size())));
        }
        continue;
      }
      names_.emplace_back(buffer.data());
    }
  }

  std::vector<std::string> names_;
};

class Store {
 public:
  // No store: every call but reset() and detach() throws
  // Error(TIZ_E_INVALID_HANDLE).
  Store() noexcept = default;
  // A new, empty store (TIZ_Create).
  static Store create() {
    uint32_t handle = 0;
    detail::Check("TIZ_Create", TIZ_Create(&handle));
    return adopt(handle);
  }
  // Takes over one reference the caller owns (from TIZ_Create, a getter, or
  // TIZ_AddRef); 0 makes an empty Store.
  static Store adopt(uint32_t handle) noexcept { return Store(handle, Adopt{}); }
  // Adds a reference of its own to a handle the caller keeps.
  static Store share(uint32_t handle) {
    detail::Check("TIZ_AddRef", TIZ_AddRef(handle));
    return adopt(handle);
  }

  Store(const Store &other) : handle_(other.handle_) {
    if (handle_) detail::Check("TIZ_AddRef", TIZ_AddRef(handle_));
  }
  Store(Store &&other) noexcept : handle_(std::exchange(other.handle_, 0)) {}
  Store &operator=(const Store &other) {
    if (this != &other) *this = Store(other);
    return *this;
  }
  Store &operator=(Store &&other) noexcept {
    if (this != &other) {
      reset();
      handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
  }
  ~Store() { reset(); }

  // The handle, for calls into tiz.h; the Store keeps its reference.
  uint32_t handle() const noexcept { return handle_; }
  explicit operator bool() const noexcept { return handle_ != 0; }
  // Hands the reference to the caller, who must TIZ_Release it.
  uint32_t detach() noexcept { return std::exchange(handle_, 0); }
  // Gives the reference back now.
  void reset() noexcept {
    if (handle_) TIZ_Release(std::exchange(handle_, 0));
  }

  // --- values --------------------------------------------------------------
  // Setters write into this store only; `confidence` defaults to 100, as the
  // plain C setters set it.

  void set_dword(std::string_view group, std::string_view item, uint32_t value,
                 int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    n.Check("TIZ_SetSettingConfidenceDword",
            TIZ_SetSettingConfidenceDword(handle_, n.group(), n.item(), confidence, value));
  }
  void set_double(std::string_view group, std::string_view item, double value,
                  int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    n.Check("TIZ_SetSettingConfidenceDouble",
            TIZ_SetSettingConfidenceDouble(handle_, n.group(), n.item(), confidence, value));
  }
  void set_string(std::string_view group, std::string_view item, std::string_view text,
                  int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    std::string value = detail::CText("tiz::Store::set_string", "the text", text);
    n.Check(
        "TIZ_SetSettingConfidenceString",
        TIZ_SetSettingConfidenceString(handle_, n.group(), n.item(), confidence, value.c_str()));
  }
  void set_buffer(std::string_view group, std::string_view item, const void *data, size_t size,
                  int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    n.Check("TIZ_SetSettingConfidenceBuffer",
            TIZ_SetSettingConfidenceBuffer(handle_, n.group(), n.item(), confidence,
                                           size ? data : nullptr, static_cast<uint32_t>(size)));
  }
  void set_buffer(std::string_view group, std::string_view item, const std::vector<uint8_t> &bytes,
                  int32_t confidence = kDefaultConfidence) {
    set_buffer(group, item, bytes.data(), bytes.size(), confidence);
  }
  // The setting owns the image from then on (see tiz.h).
  void set_image(std::string_view group, std::string_view item, uint32_t image,
                 int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    // The plain form keeps the pipeline's trace line.
    int32_t r =
        confidence == kDefaultConfidence
            ? TIZ_SetSettingImage(handle_, n.group(), n.item(), image)
            : TIZ_SetSettingConfidenceImage(handle_, n.group(), n.item(), confidence, image);
    n.Check("TIZ_SetSettingImage", r);
  }
  // A plain link: the setting names `nested`, which keeps its own life.
  void set_store(std::string_view group, std::string_view item, const Store &nested,
                 int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    n.Check("TIZ_SetSettingConfidenceAttrStore",
            TIZ_SetSettingConfidenceAttrStore(handle_, n.group(), n.item(), confidence,
                                              nested.handle_));
  }
  // A child link: `nested` falls back to this store and goes with it. The
  // Store `nested` keeps its own reference.
  void set_child(std::string_view group, std::string_view item, const Store &nested,
                 int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    n.Check("TIZ_SetSettingConfidenceAttrStoreChild",
            TIZ_SetSettingConfidenceAttrStoreChild(handle_, n.group(), n.item(), confidence,
                                                   nested.handle_));
  }
  // A structure value: the store keeps `value` until the setting is replaced
  // or deleted or the store destroyed, then calls `release` on it (if given)
  // and destroys it. `display` makes the text of TIZ_DisplayAttribute. Both
  // callables run under the library's lock and must not throw.
  template <class T>
  void set_structure(std::string_view group, std::string_view item, T value,
                     std::function<void(T &)> release = {},
                     std::function<std::string(const T &)> display = {},
                     int32_t confidence = kDefaultConfidence) {
    Names n(group, item);
    auto holder = std::make_unique<detail::Structure<T>>(std::move(value), std::move(release),
                                                         std::move(display));
    detail::StructureBase *base = holder.get();
    int32_t r = TIZ_SetSettingStructure(handle_, n.group(), n.item(), base,
                                        &detail::ReleaseStructure, &detail::DisplayStructure);
    if (r < 0) {
      // Not stored: the library called nothing, the holder is still ours;
      // it goes without calling `release`, as the data stays the caller's.
      holder->release = nullptr;
      n.Check("TIZ_SetSettingStructure", r);
    }
    holder.release();
    if (confidence != kDefaultConfidence) set_confidence(group, item, confidence);
  }

  Lookup<uint32_t> get_dword(std::string_view group, std::string_view item) const {
    return Read<uint32_t>("TIZ_GetSettingConfidenceDword", group, item,
                          [&](const char *g, const char *i, int32_t *c, uint32_t *v) {
                            return TIZ_GetSettingConfidenceDword(handle_, g, i, c, v);
                          });
  }
  Lookup<double> get_double(std::string_view group, std::string_view item) const {
    return Read<double>("TIZ_GetSettingConfidenceDouble", group, item,
                        [&](const char *g, const char *i, int32_t *c, double *v) {
                          return TIZ_GetSettingConfidenceDouble(handle_, g, i, c, v);
                        });
  }
  // The image handle only: the setting keeps owning the image.
  Lookup<uint32_t> get_image(std::string_view group, std::string_view item) const {
    return Read<uint32_t>("TIZ_GetSettingConfidenceImage", group, item,
                          [&](const char *g, const char *i, int32_t *c, uint32_t *v) {
                            return TIZ_GetSettingConfidenceImage(handle_, g, i, c, v);
                          });
  }
  Lookup<std::string> get_string(std::string_view group, std::string_view item) const {
    Names n(group, item);
    Lookup<std::string> out;
    std::vector<char> room(64, '\0');
    for (;;) {
      int32_t r = TIZ_GetSettingConfidenceString(handle_, n.group(), n.item(), &out.confidence,
                                                 room.data(), static_cast<int32_t>(room.size()));
      if (r == TIZ_E_TOO_SMALL) {
        room.assign(Size(n, room.size()), '\0');
        continue;
      }
      if (Answer(out, n, "TIZ_GetSettingConfidenceString", r)) {
        out.value.assign(room.data());
        // A setting without a value answers before its type is looked at.
        if (out.value.empty()) Confirm(n, TIZ_TYPE_STRING, &out.confidence);
      }
      return out;
    }
  }
  Lookup<std::vector<uint8_t>> get_buffer(std::string_view group, std::string_view item) const {
    Names n(group, item);
    Lookup<std::vector<uint8_t>> out;
    std::vector<uint8_t> room(64);
    for (;;) {
      int32_t len = static_cast<int32_t>(room.size());
      int32_t r = TIZ_GetSettingConfidenceBuffer(handle_, n.group(), n.item(), &out.confidence,
                                                 room.data(), &len);
      if (r == TIZ_E_TOO_SMALL) {
        room.resize(Size(n, room.size()));
        continue;
      }
      if (Answer(out, n, "TIZ_GetSettingConfidenceBuffer", r)) {
        // An empty buffer answers without touching the length, and before
        // its type is looked at.
        if (len == static_cast<int32_t>(room.size()) &&
            Confirm(n, TIZ_TYPE_BUFFER, &out.confidence) == 0)
          len = 0;
        room.resize(static_cast<size_t>(len));
        out.value = std::move(room);
      }
      return out;
    }
  }
  // The nested store, with a reference of its own. The library does not tell
  // a store found in an ancestor from one found here: both read as here. A
  // setting whose store is gone reads as an empty Store.
  Lookup<Store> get_store(std::string_view group, std::string_view item) const {
    Names n(group, item);
    Lookup<Store> out;
    uint32_t nested = 0;
    int32_t r =
        TIZ_GetSettingConfidenceAttrStore(handle_, n.group(), n.item(), &out.confidence, &nested);
    if (Answer(out, n, "TIZ_GetSettingConfidenceAttrStore", r)) out.value = adopt(nested);
    return out;
  }
  // The value a set_structure<T> stored. Only for settings set through this
  // header with the same T: Error(TIZ_E_WRONG_TYPE) otherwise, as far as it
  // can tell (a structure set through the C interface is not recognised).
  template <class T>
  Lookup<T *> get_structure(std::string_view group, std::string_view item) const {
    Lookup<void *> raw = get_structure_data(group, item);
    Lookup<T *> out;
    out.where = raw.where;
    out.confidence = raw.confidence;
    if (raw.found() && raw.value) {
      auto *base = static_cast<detail::StructureBase *>(raw.value);
      auto *typed = base->tag == detail::StructureBase::kTag
                        ? dynamic_cast<detail::Structure<T> *>(base)
                        : nullptr;
      if (!typed) throw Error("tiz::Store::get_structure", TIZ_E_WRONG_TYPE, group, item);
      out.value = &typed->value;
    }
    return out;
  }
  // The data pointer of any structure setting, as TIZ_GetSettingStructure
  // gives it.
  Lookup<void *> get_structure_data(std::string_view group, std::string_view item) const {
    return Read<void *>("TIZ_GetSettingConfidenceStructure", group, item,
                        [&](const char *g, const char *i, int32_t *c, void **v) {
                          return TIZ_GetSettingConfidenceStructure(handle_, g, i, c, v);
                        });
  }

  // A TIZ_TYPE_* code, the size in bytes, the confidence: any type.
  Lookup<int32_t> type_of(std::string_view group, std::string_view item) const {
    return Read<int32_t>("TIZ_GetSettingType", group, item,
                         [&](const char *g, const char *i, int32_t *c, int32_t *v) {
                           int32_t r = TIZ_GetSettingType(handle_, g, i, v);
                           return r < 0 || r == TIZ_NOT_FOUND ? r
                                                              : TIZ_GetConfidence(handle_, g, i, c);
                         });
  }
  Lookup<uint32_t> size_of(std::string_view group, std::string_view item) const {
    return Read<uint32_t>(
        "TIZ_GetSettingSize", group, item,
        [&](const char *g, const char *i, int32_t *c, uint32_t *v) {
          int32_t r = TIZ_GetSettingSize(handle_, g, i, v);
          return r < 0 || r == TIZ_NOT_FOUND ? r : TIZ_GetConfidence(handle_, g, i, c);
        });
  }
  // Changes the confidence of a setting of this store; false when this store
  // lacks it.
  bool set_confidence(std::string_view group, std::string_view item, int32_t confidence) {
    Names n(group, item);
    return n.Check("TIZ_SetConfidence",
                   TIZ_SetConfidence(handle_, n.group(), n.item(), confidence)) == TIZ_OK;
  }
  // Deletes a setting of this store; false when this store lacks it. A
  // nested-store setting destroys the store it holds (see tiz.h).
  bool remove(std::string_view group, std::string_view item) {
    Names n(group, item);
    return n.Check("TIZ_DeleteSetting", TIZ_DeleteSetting(handle_, n.group(), n.item())) == TIZ_OK;
  }
  // The text of TIZ_DisplayAttribute, whole.
  Lookup<std::string> display(std::string_view group, std::string_view item) const {
    Names n(group, item);
    Lookup<std::string> out;
    // TIZ_DisplayAttribute answers 0 for an invalid handle.
    if (!handle_) throw Error("TIZ_DisplayAttribute", TIZ_E_INVALID_HANDLE, group, item);
    std::vector<char> room(128, '\0');
    for (;;) {
      int32_t r = TIZ_DisplayAttribute(handle_, n.group(), n.item(), room.data(),
                                       static_cast<int32_t>(room.size()));
      // A structure's own display may keep answering "cut": its text is
      // taken as it is beyond 1 MB.
      if (r == TIZ_TRUNCATED_DISPLAY && room.size() < (size_t{1} << 20)) {
        room.assign(room.size() * 2, '\0');
        continue;
      }
      int32_t conf = 0;
      if (Answer(out, n, "TIZ_DisplayAttribute", r)) {
        out.value.assign(room.data());
        TIZ_GetConfidence(handle_, n.group(), n.item(), &conf);
        out.confidence = conf;
      }
      return out;
    }
  }

  // --- the tree --------------------------------------------------------------

  // The store this one is child-linked to, with a reference of its own; an
  // empty Store when there is none.
  Store parent() const {
    uint32_t p = 0;
    detail::Check("TIZ_GetParent", TIZ_GetParent(handle_, &p));
    return p ? share(p) : Store();
  }
  // A copy of this store and the tree below it (TIZ_Clone), owning one
  // reference. Images and structures are shared with this store.
  Store clone() const {
    Store copy = create();
    detail::Check("TIZ_Clone", TIZ_Clone(handle_, copy.handle_));
    // The copy has taken this store's reference count, which counts this
    // Store's reference and any other holder's. Cloning an empty store into
    // it sets the count alone (see tiz.h), so the copy owns just ours.
    Store empty = create();
    detail::Check("TIZ_Clone", TIZ_Clone(empty.handle_, copy.handle_));
    return copy;
  }
  Groups groups() const { return Groups(handle_); }

  // --- files -------------------------------------------------------------------

  // Tree files: the last component of `name`, in TIZ_PERSIST_DIR.
  void save(std::string_view name) const {
    std::string n = detail::CText("tiz::Store::save", "the file name", name);
    detail::Check("TIZ_Serialize", TIZ_Serialize(handle_, n.c_str()));
  }
  // Throws the last failing section's code; the other sections have loaded.
  void load(std::string_view name) {
    std::string n = detail::CText("tiz::Store::load", "the file name", name);
    detail::Check("TIZ_Deserialize", TIZ_Deserialize(handle_, n.c_str()));
  }
  // A settings file (docs/settings-file.md).
  void load_settings(std::string_view name) {
    std::string n = detail::CText("tiz::Store::load_settings", "the file name", name);
    detail::Check("TIZ_LoadSettings", TIZ_LoadSettings(handle_, n.c_str()));
  }

  static constexpr int32_t kDefaultConfidence = 100;

 private:
  struct Adopt {};
  Store(uint32_t handle, Adopt) noexcept : handle_(handle) {}

  using Names = detail::Names;

  // Fills `out.where` from a getter's result; true when a value was read.
  template <class T>
  static bool Answer(Lookup<T> &out, const Names &n, const char *function, int32_t r) {
    n.Check(function, r);
    out.where = static_cast<Found>(r);
    return r != TIZ_NOT_FOUND;
  }

  // For a value read empty: the setting's size when it is of `type`, with
  // its confidence; Error(TIZ_E_WRONG_TYPE) when it is of another.
  uint32_t Confirm(const Names &n, int32_t type, int32_t *confidence) const {
    int32_t actual = 0;
    uint32_t size = 0;
    n.Check("TIZ_GetSettingType", TIZ_GetSettingType(handle_, n.group(), n.item(), &actual));
    if (actual != type) throw Error("tiz::Store", TIZ_E_WRONG_TYPE, n.group(), n.item());
    n.Check("TIZ_GetSettingSize", TIZ_GetSettingSize(handle_, n.group(), n.item(), &size));
    n.Check("TIZ_GetConfidence", TIZ_GetConfidence(handle_, n.group(), n.item(), confidence));
    return size;
  }

  // The size a cut string or buffer needs, at least one more than tried.
  size_t Size(const Names &n, size_t tried) const {
    uint32_t size = 0;
    n.Check("TIZ_GetSettingSize", TIZ_GetSettingSize(handle_, n.group(), n.item(), &size));
    return size > tried ? size : tried * 2;
  }

  template <class T, class Get>
  Lookup<T> Read(const char *function, std::string_view group, std::string_view item,
                 Get &&get) const {
    Names n(group, item);
    Lookup<T> out;
    T value{};
    int32_t r = get(n.group(), n.item(), &out.confidence, &value);
    if (Answer(out, n, function, r)) out.value = value;
    return out;
  }

  uint32_t handle_ = 0;
};

// --- the scanning pipeline's image tree (TIZ_Util*) ---------------------------

// The page tree below a global bag: per page side a persistent bag and a
// chain of current bags (see tiz.h). `current_side` true names the side
// being processed, false the other. Bags come back as Stores owning one
// reference each; every negative result is thrown as Error.
class ImageTree {
 public:
  // The tree of `global`, a store holding the setting "ui.bag" (a store)
  // that the image trees hang below. The ImageTree shares the global bag.
  explicit ImageTree(Store global) : global_(std::move(global)) {}

  const Store &global_bag() const noexcept { return global_; }

  // A fresh tree for a new page; the previous page's bags are destroyed.
  void start_page() { Check("TIZ_UtilReInitImageTree", TIZ_UtilReInitImageTree(Handle())); }
  Store current_bag(bool current_side = true) const {
    uint32_t bag = 0;
    Check("TIZ_UtilGetCurrentBag", TIZ_UtilGetCurrentBag(Handle(), current_side, &bag));
    return Store::adopt(bag);
  }
  Store persistent_bag(bool current_side = true) const {
    uint32_t bag = 0;
    Check("TIZ_UtilGetPersistentBag", TIZ_UtilGetPersistentBag(Handle(), current_side, &bag));
    return Store::adopt(bag);
  }
  // A new bag, child-linked below the side's current bag, which becomes the
  // current one.
  Store append_bag(bool current_side = true) {
    uint32_t bag = 0;
    Check("TIZ_UtilAppendNewCurrentBag", TIZ_UtilAppendNewCurrentBag(Handle(), current_side, &bag));
    return Store::adopt(bag);
  }
  bool front_is_current() const {
    uint32_t front = 0;
    Check("TIZ_UtilIsCurrentFront", TIZ_UtilIsCurrentFront(Handle(), &front));
    return front != 0;
  }
  static bool is_back_side_bag(const Store &bag) {
    uint32_t back = 0;
    detail::Check("TIZ_UtilIsABackSideBag", TIZ_UtilIsABackSideBag(bag.handle(), &back));
    return back != 0;
  }
  void set_side(bool front) { Check("TIZ_UtilSetSide", TIZ_UtilSetSide(Handle(), front)); }
  // Sets the side's chain below `bag` aside, and brings it back.
  void save_chain(const Store &bag) {
    Check("TIZ_UtilSaveCurrentImageTree", TIZ_UtilSaveCurrentImageTree(Handle(), bag.handle()));
  }
  void restore_chain(const Store &bag) {
    Check("TIZ_UtilRestoreSavedImageTree", TIZ_UtilRestoreSavedImageTree(Handle(), bag.handle()));
  }
  // Records `image` in a new current bag; the tree owns the image from then on.
  void store_image(uint32_t image, bool cached) {
    Check("TIZ_UtilUpdateStoredImages", TIZ_UtilUpdateStoredImages(Handle(), image, cached));
  }
  static void delete_at_image(const Store &bag) {
    detail::Check("TIZ_UtilDeleteATImage", TIZ_UtilDeleteATImage(bag.handle()));
  }
  void delete_y_bitonal_image() {
    Check("TIZ_UtilDeleteYBitonalImage", TIZ_UtilDeleteYBitonalImage(Handle()));
  }
  void delete_y_plane_image() {
    Check("TIZ_UtilDeleteYPlaneImage", TIZ_UtilDeleteYPlaneImage(Handle()));
  }
  bool black_background() const {
    uint32_t value = 0;
    Check("TIZ_UtilGetScannerIsBlackBackground",
          TIZ_UtilGetScannerIsBlackBackground(Handle(), &value));
    return value != 0;
  }
  // In the UI bag, or as the default in the defaults bag.
  void set_black_background(bool black, bool as_default = false) {
    if (as_default) {
      Check("TIZ_UtilSetScannerIsBlackBackgroundDefault",
            TIZ_UtilSetScannerIsBlackBackgroundDefault(Handle(), black));
    } else {
      Check("TIZ_UtilSetScannerIsBlackBackground",
            TIZ_UtilSetScannerIsBlackBackground(Handle(), black));
    }
  }
  // The scanner resolution flag for a zoomed scan, and the zoom that brings
  // it to the destination resolution (TIZ_UtilGetZoomedBICDPI).
  struct ZoomedDpi {
    uint32_t dpi_flag = 0;
    uint32_t zoom = 0;
  };
  ZoomedDpi zoomed_dpi(uint32_t dpi_mask) const {
    ZoomedDpi out;
    Check("TIZ_UtilGetZoomedBICDPI",
          TIZ_UtilGetZoomedBICDPI(Handle(), dpi_mask, &out.dpi_flag, &out.zoom));
    return out;
  }
  // Destroys the tree and the global bag itself at once: every Store of its
  // bags turns invalid (its calls throw), and global_bag() is empty.
  void destroy() {
    Check("TIZ_UtilDestroyImageTree", TIZ_UtilDestroyImageTree(Handle()));
    global_.detach();  // destroyed, not to be released
  }

 private:
  uint32_t Handle() const noexcept { return global_.handle(); }
  static void Check(const char *function, int32_t code) { detail::Check(function, code); }

  Store global_;
};

// --- text records (UtilAttribute_*) ---------------------------------------------

// One record: a setting's group and item with a DWORD or a text. Names hold
// no blank or line feed, texts no line feed (Error otherwise).
struct Record {
  std::string group;
  std::string item;
  bool is_dword = false;
  uint32_t dword = 0;
  std::string text;

  static Record of_dword(std::string group, std::string item, uint32_t value) {
    return Record{std::move(group), std::move(item), true, value, {}};
  }
  static Record of_text(std::string group, std::string item, std::string value) {
    return Record{std::move(group), std::move(item), false, 0, std::move(value)};
  }
};

// The record text of `records`, one line each (UtilAttribute_Pack).
inline std::string pack_records(const std::vector<Record> &records) {
  std::vector<char> room(256, '\0');
  for (const Record &record : records) {
    const char *function = "UtilAttribute_Pack";
    std::string group = detail::CText(function, "the group", record.group);
    std::string item = detail::CText(function, "the item", record.item);
    std::string text = detail::CText(function, "the text", record.text);
    const void *value = record.is_dword ? static_cast<const void *>(&record.dword)
                                        : static_cast<const void *>(text.c_str());
    for (;;) {
      int32_t r = UtilAttribute_Pack(room.data(), static_cast<uint32_t>(room.size()), group.c_str(),
                                     item.c_str(), record.is_dword, value);
      if (r != TIZ_E_TOO_SMALL) {
        if (r < 0) throw Error(function, r, group, item);
        break;
      }
      room.resize(room.size() * 2, '\0');  // the text so far stays
    }
  }
  return std::string(room.data());
}

// The number of complete records in `text` (UtilAttribute_Count).
inline size_t count_records(std::string_view text) {
  std::string whole = detail::CText("UtilAttribute_Count", "the record text", text);
  return static_cast<size_t>(
      detail::Check("UtilAttribute_Count", UtilAttribute_Count(whole.c_str())));
}

// Every record of `text` (UtilAttribute_UnpackOneAttribute); Error with
// TIZ_E_NO_RECORD for a record that cannot be read.
inline std::vector<Record> unpack_records(std::string_view text) {
  const char *function = "UtilAttribute_UnpackOneAttribute";
  std::string whole = detail::CText(function, "the record text", text);
  size_t count = count_records(whole);
  std::vector<Record> records;
  records.reserve(count);
  std::vector<char> group(64), item(64), str(64);
  for (size_t index = 0; index < count; ++index) {
    for (;;) {
      uint32_t kind = 0, dword = 0;
      int32_t r = UtilAttribute_UnpackOneAttribute(
          whole.c_str(), static_cast<int32_t>(index), static_cast<uint32_t>(group.size()),
          group.data(), item.data(), &kind, &dword, str.data());
      if (r == TIZ_E_TOO_SMALL && group.size() <= whole.size()) {
        // Every field is a part of the text: room for the whole text fits.
        size_t room = group.size() * 2 > whole.size() + 1 ? whole.size() + 1 : group.size() * 2;
        group.assign(room, '\0');
        item.assign(room, '\0');
        str.assign(room, '\0');
        continue;
      }
      detail::Check(function, r);
      records.push_back(kind == 0 ? Record::of_dword(group.data(), item.data(), dword)
                                  : Record::of_text(group.data(), item.data(), str.data()));
      break;
    }
  }
  return records;
}

// --- logging ----------------------------------------------------------------------

// Turns the library's trace lines on or off (TIZ_InitLogging).
inline void set_logging(bool enabled) {
  detail::Check("TIZ_InitLogging", TIZ_InitLogging(enabled ? 1 : 0));
}
// Tells the library which thread scans (TIZ_SetScanningThreadID), as the
// host does; the library keeps no use for it.
inline void set_scanning_thread(uint32_t thread_id) {
  detail::Check("TIZ_SetScanningThreadID", TIZ_SetScanningThreadID(thread_id));
}

}  // namespace tiz

#endif  // TIZ_HPP
