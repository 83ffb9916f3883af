// A full key (group 0x7F item, "Default" / "Value" for empty names) composed
// in the caller's own frame, with its hash. Readers use it in place of the
// store's key buffer: a getter that runs beside other readers must write
// nothing the store owns, and a key composed once serves every store of a
// parent chain, since the key does not depend on the store.
#ifndef TIZ_CORE_COMPOSEDKEY_H
#define TIZ_CORE_COMPOSEDKEY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace tiz {

class ComposedKey {
 public:
  // Neither name may be null. Very long names take a heap block (may throw).
  ComposedKey(const char *group, const char *item);
  ComposedKey(const ComposedKey &) = delete;
  ComposedKey &operator=(const ComposedKey &) = delete;

  std::string_view View() const { return {m_text, m_length}; }
  uint32_t Hash() const { return m_hash; }

 private:
  static constexpr size_t kLocalSize = 256;
  char m_local[kLocalSize];
  std::unique_ptr<char[]> m_heap;
  const char *m_text;
  size_t m_length;
  uint32_t m_hash;
};

}  // namespace tiz

#endif
