// What the library is measured against. Each is written as a careful user
// would write it: the key is composed into one buffer reused from call to
// call (as the library composes into its own frame), so no baseline pays an
// allocation per call that the library does not.
//  (a) std::unordered_map<std::string, variant> behind a std::mutex, the key
//      group 0x7F item composed into a reused std::string under the mutex, a
//      string value assigned in place: the practical floor;
//  (b) boost::property_tree with "group.item" paths composed the same way:
//      what a C++ user would reach for instead;
//  (c) a fixed table of 1009 buckets of linked entries compared byte by byte,
//      with no stored hash: the naive table, to show the cliff avoided.
#ifndef TIZ_BENCH_BASELINES_H
#define TIZ_BENCH_BASELINES_H

#include <boost/property_tree/ptree.hpp>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <variant>
#include <vector>

namespace bench {

using Value = std::variant<uint32_t, std::string>;

// The bounded, NUL-padded copy the library's string getter makes.
inline void CopyBounded(char *dest, const std::string &text, size_t len) {
  size_t n = text.size() < len ? text.size() : len;
  std::memcpy(dest, text.data(), n);
  std::memset(dest + n, 0, len - n);
  if (len > 0 && text.size() >= len) dest[len - 1] = '\0';
}

// Composes group 0x7F item into `key`, whose capacity is kept between calls.
inline const std::string &ComposeKey(std::string &key, const char *group, const char *item,
                                     char separator = '\x7F') {
  key.assign(group);
  key.push_back(separator);
  key.append(item);
  return key;
}

class MapBaseline {
 public:
  void SetDword(const char *g, const char *i, uint32_t v) {
    std::lock_guard<std::mutex> lock(mutex_);
    map_[ComposeKey(key_, g, i)] = v;
  }
  bool GetDword(const char *g, const char *i, uint32_t *v) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(ComposeKey(key_, g, i));
    if (it == map_.end()) return false;
    *v = std::get<uint32_t>(it->second);
    return true;
  }
  void SetString(const char *g, const char *i, const char *s) {
    std::lock_guard<std::mutex> lock(mutex_);
    Value &value = map_[ComposeKey(key_, g, i)];
    // A string held already takes the new text in its own buffer.
    if (auto *text = std::get_if<std::string>(&value))
      text->assign(s);
    else
      value = std::string(s);
  }
  bool GetString(const char *g, const char *i, char *dest, size_t len) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(ComposeKey(key_, g, i));
    if (it == map_.end()) return false;
    const std::string &s = std::get<std::string>(it->second);
    CopyBounded(dest, s, len);
    return true;
  }

 private:
  std::mutex mutex_;
  std::string key_;  // the composed key, reused under the mutex
  std::unordered_map<std::string, Value> map_;
};

class PtreeBaseline {
 public:
  void SetDword(const char *g, const char *i, uint32_t v) { tree_.put(Path(g, i), v); }
  bool GetDword(const char *g, const char *i, uint32_t *v) {
    auto got = tree_.get_optional<uint32_t>(Path(g, i));
    if (!got) return false;
    *v = *got;
    return true;
  }
  void SetString(const char *g, const char *i, const char *s) { tree_.put(Path(g, i), s); }
  bool GetString(const char *g, const char *i, char *dest, size_t len) {
    auto got = tree_.get_optional<std::string>(Path(g, i));
    if (!got) return false;
    CopyBounded(dest, *got, len);
    return true;
  }
  boost::property_tree::ptree &Tree() { return tree_; }

 private:
  const std::string &Path(const char *g, const char *i) { return ComposeKey(path_, g, i, '.'); }
  std::string path_;  // the composed path, reused
  boost::property_tree::ptree tree_;
};

class LiteralTableBaseline {
 public:
  ~LiteralTableBaseline() {
    for (Node *head : buckets_) {
      while (head) {
        Node *next = head->next;
        delete head;
        head = next;
      }
    }
  }
  void SetDword(const char *g, const char *i, uint32_t v) { Upsert(g, i)->dword = v; }
  bool GetDword(const char *g, const char *i, uint32_t *v) {
    Node *n = Find(g, i);
    if (!n) return false;
    *v = n->dword;
    return true;
  }
  void SetString(const char *g, const char *i, const char *s) { Upsert(g, i)->text = s; }
  bool GetString(const char *g, const char *i, char *dest, size_t len) {
    Node *n = Find(g, i);
    if (!n) return false;
    CopyBounded(dest, n->text, len);
    return true;
  }

 private:
  struct Node {
    std::string key;
    uint32_t dword = 0;
    std::string text;
    Node *next = nullptr;
  };
  static int Bucket(const std::string &key) {
    int32_t sum = 0;
    for (char c : key) sum += static_cast<signed char>(c);
    return (sum < 0 ? -sum : sum) % 1009;
  }
  Node *FindIn(const std::string &key, int bucket) {
    for (Node *n = buckets_[bucket]; n; n = n->next)
      if (std::strcmp(n->key.c_str(), key.c_str()) == 0) return n;
    return nullptr;
  }
  Node *Find(const char *g, const char *i) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string &key = ComposeKey(key_, g, i);
    return FindIn(key, Bucket(key));
  }
  Node *Upsert(const char *g, const char *i) {
    std::lock_guard<std::mutex> lock(mutex_);
    const std::string &key = ComposeKey(key_, g, i);
    int bucket = Bucket(key);
    if (Node *n = FindIn(key, bucket)) return n;
    Node *fresh = new Node();
    fresh->key = key;
    Node **tail = &buckets_[bucket];
    while (*tail) tail = &(*tail)->next;
    *tail = fresh;
    return fresh;
  }
  std::mutex mutex_;
  std::string key_;  // the composed key, reused under the mutex
  std::vector<Node *> buckets_ = std::vector<Node *>(1009, nullptr);
};

}  // namespace bench

#endif
