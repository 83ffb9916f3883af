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
    blocks_ = std::move(other.blocks_);
    free_ = std::exchange(other.free_, nullptr);
    left_ = std::exchange(other.left_, 0);
    nextBlockSize_ = other.nextBlockSize_;
    return *this;
  }

  // Room for `size` bytes, for the caller to fill.
  char *Allocate(size_t size);

 private:
  std::vector<std::unique_ptr<char[]>> blocks_;
  char *free_ = nullptr;
  size_t left_ = 0;
  size_t nextBlockSize_ = 4096;
};

}  // namespace tiz

#endif
