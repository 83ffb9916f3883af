#include "core/ComposedKey.h"

#include <cstring>

#include "core/KeyIndex.h"
#include "core/Names.h"

namespace tiz {

ComposedKey::ComposedKey(const char *group, const char *item) {
  const char *g = *group ? group : "Default";
  const char *i = *item ? item : "Value";
  const size_t gl = std::strlen(g), il = std::strlen(i);
  m_length = gl + 1 + il;
  char *out = m_local;
  if (m_length + 1 > kLocalSize) {
    m_heap.reset(new char[m_length + 1]);
    out = m_heap.get();
  }
  std::memcpy(out, g, gl);
  out[gl] = kKeySeparator;
  std::memcpy(out + gl + 1, i, il);
  out[m_length] = '\0';
  m_text = out;
  m_hash = HashKey(View());
}

}  // namespace tiz
