#include "persist/TextArena.h"

namespace tiz {

namespace {

// Blocks double up to this size, so small documents stay small.
constexpr size_t kLargestBlock = 1 << 20;

}  // namespace

char *TextArena::Allocate(size_t size) {
  if (size > m_left) {
    size_t blockSize = size > m_nextBlockSize ? size : m_nextBlockSize;
    std::unique_ptr<char[]> block(new char[blockSize]);
    m_blocks.push_back(std::move(block));
    if (m_nextBlockSize < kLargestBlock) m_nextBlockSize *= 2;
    m_free = m_blocks.back().get();
    m_left = blockSize;
  }
  char *room = m_free;
  m_free += size;
  m_left -= size;
  return room;
}

}  // namespace tiz
