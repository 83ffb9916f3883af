// What the library is measured against, all composing the key per call as
// the library does:
//  (a) std::unordered_map behind a std::mutex: the practical floor;
//  (b) boost::property_tree with "group.item" paths: what a C++ user would
//      reach for instead;
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

inline std::string ComposeKey(const char *group, const char *item) {
  std::string key(group);
  key.push_back('\x7F');
  key.append(item);
  return key;
}

class MapBaseline {
 public:
  void SetDword(const char *g, const char *i, uint32_t v) {
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
    map_[std::move(key)] = v;
  }
  bool GetDword(const char *g, const char *i, uint32_t *v) {
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(key);
    if (it == map_.end()) return false;
    *v = std::get<uint32_t>(it->second);
    return true;
  }
  void SetString(const char *g, const char *i, const char *s) {
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
    map_[std::move(key)] = std::string(s);
  }
  bool GetString(const char *g, const char *i, char *dest, size_t len) {
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = map_.find(key);
    if (it == map_.end()) return false;
    const std::string &s = std::get<std::string>(it->second);
    CopyBounded(dest, s, len);
    return true;
  }

 private:
  std::mutex mutex_;
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
  static std::string Path(const char *g, const char *i) {
    std::string path(g);
    path.push_back('.');
    path.append(i);
    return path;
  }
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
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
    return FindIn(key, Bucket(key));
  }
  Node *Upsert(const char *g, const char *i) {
    std::string key = ComposeKey(g, i);
    std::lock_guard<std::mutex> lock(mutex_);
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
  std::vector<Node *> buckets_ = std::vector<Node *>(1009, nullptr);
};

}  // namespace bench

#endif
