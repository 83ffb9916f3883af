#include "core/ComposedKey.h"

#include "core/KeyIndex.h"
#include "core/Names.h"

namespace tiz {

ComposedKey::ComposedKey(const char *group, const char *item) {
  const KeyNames names = KeyNamesOf(group, item);
  char *out = m_local;
  if (names.Length() + 1 > kLocalSize) {
    m_heap.reset(new char[names.Length() + 1]);
    out = m_heap.get();
  }
  const std::string_view key = WriteKey(names, out);
  m_text = key.data();
  m_length = key.size();
  m_hash = HashKey(key);
}

}  // namespace tiz
