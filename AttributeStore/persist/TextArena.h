// Storage for the texts a document makes (edited lines, decoded names):
// copies go into large blocks, so thousands of lines cost a few allocations,
// and a text stays in place until the arena goes, moves included.
#ifndef TIZ_PERSIST_TEXTARENA_H
#define TIZ_PERSIST_TEXTARENA_H

#include <cstddef>
#include <memory>
#include <utility>
#include <vector>

namespace tiz {

class TextArena {
 public:
  TextArena() = default;
  // A moved-from arena starts afresh instead of sharing the free room.
  TextArena(TextArena &&other) noexcept { *this = std::move(other); }
  TextArena &operator=(TextArena &&other) noexcept {
    m_blocks = std::move(other.m_blocks);
    m_free = std::exchange(other.m_free, nullptr);
    m_left = std::exchange(other.m_left, 0);
    m_nextBlockSize = other.m_nextBlockSize;
    return *this;
  }

  // Room for `size` bytes, for the caller to fill.
  char *Allocate(size_t size);

 private:
  std::vector<std::unique_ptr<char[]>> m_blocks;
  char *m_free = nullptr;
  size_t m_left = 0;
  size_t m_nextBlockSize = 4096;
};

}  // namespace tiz

#endif
