#include "persist/TextArena.h"

namespace tiz {

namespace {

// Blocks double up to this size, so small documents stay small.
constexpr size_t kLargestBlock = 1 << 20;

}  // namespace

char *TextArena::Allocate(size_t size) {
  if (size > left_) {
    size_t blockSize = size > nextBlockSize_ ? size : nextBlockSize_;
    std::unique_ptr<char[]> block(new char[blockSize]);
    blocks_.push_back(std::move(block));
    if (nextBlockSize_ < kLargestBlock) nextBlockSize_ *= 2;
    free_ = blocks_.back().get();
    left_ = blockSize;
  }
  char *room = free_;
  free_ += size;
  left_ -= size;
  return room;
}

}  // namespace tiz
