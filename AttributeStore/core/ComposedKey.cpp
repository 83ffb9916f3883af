#include "core/ComposedKey.h"

#include <cstring>

#include "core/KeyIndex.h"

namespace tiz {

ComposedKey::ComposedKey(const char *group, const char *item) {
  const char *g = *group ? group : "Default";
  const char *i = *item ? item : "Value";
  const size_t gl = std::strlen(g), il = std::strlen(i);
  length_ = gl + 1 + il;
  char *out = local_;
  if (length_ + 1 > kLocalSize) {
    heap_.reset(new char[length_ + 1]);
    out = heap_.get();
  }
  std::memcpy(out, g, gl);
  out[gl] = '\x7F';
  std::memcpy(out + gl + 1, i, il);
  out[length_] = '\0';
  text_ = out;
  hash_ = HashKey(View());
}

}  // namespace tiz
