#include "core/Iteration.h"

#include <cstring>
#include <string>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "support/Text.h"
#include "tiz.h"

namespace tiz {

namespace {

// Byte order, bytes taken as unsigned, a prefix before its extensions. The
// separator 0x7F sorts above letters and digits: "abc" 0x7F "y" comes before
// "ab" 0x7F "x".
bool KeyLess(const KeyEntry *attr, const KeyEntry *b) noexcept {
  size_t n = attr->keyLen < b->keyLen ? attr->keyLen : b->keyLen;
  int c = std::memcmp(attr->Key(), b->Key(), n);
  return c != 0 ? c < 0 : attr->keyLen < b->keyLen;
}

// Merges two sorted chains linked through `next`; ties keep the left first.
KeyEntry *Merge(KeyEntry *left, KeyEntry *right) noexcept {
  KeyEntry head{};
  KeyEntry *tail = &head;
  while (left && right) {
    KeyEntry *&from = KeyLess(right, left) ? right : left;
    tail->next = from;
    tail = from;
    from = from->next;
  }
  tail->next = left ? left : right;
  return head.next;
}

// Stable merge sort of a chain of `count` entries linked through `next`.
KeyEntry *SortChain(KeyEntry *first, size_t count) noexcept {
  if (count < 2) {
    if (first) first->next = nullptr;
    return first;
  }
  size_t half = count / 2;
  KeyEntry *second = first;
  for (size_t i = 0; i < half; ++i) second = second->next;
  KeyEntry *left = SortChain(first, half);  // cuts the chain behind the half
  KeyEntry *right = SortChain(second, count - half);
  return Merge(left, right);
}

void SortKeyList(KeyList &list) noexcept {
  KeyEntry *first = SortChain(list.head, list.size);
  KeyEntry *prev = nullptr;
  for (KeyEntry *e = first; e; e = e->next) {
    e->prev = prev;
    prev = e;
  }
  list.head = first;
  list.tail = prev;
}

}  // namespace

int32_t StartIteratorSorted(CAttributeStore *store) noexcept {
  SortKeyList(store->m_keyList);
  store->m_cursor = store->m_keyList.head;
  return 0;
}

int32_t IterateSetting(CAttributeStore *store, char *buffer, uint32_t len) {
  // Bounded: a group that filled the whole buffer last time has no NUL.
  const char *end = static_cast<const char *>(std::memchr(buffer, '\0', len));
  std::string previous(static_cast<const char *>(buffer), end ? end : buffer + len);
  std::string next;
  int32_t result = TIZ_E_END_OF_ITERATION;
  while (store->m_cursor) {
    KeyEntry *e = store->m_cursor;
    store->m_cursor = e->next;
    std::string group = GroupOfName(e->KeyView());
    if (!EqualsIgnoringAsciiCase(group, previous)) {
      next.swap(group);
      result = 0;
      break;
    }
  }
  size_t copied = next.size() < len ? next.size() : len;
  std::memcpy(buffer, next.data(), copied);
  std::memset(buffer + copied, 0, len - copied);
  return result;
}

}  // namespace tiz
