// The test executable's global operator new and delete: malloc and free,
// with a per-thread countdown that makes one chosen allocation fail.
#include "AllocFailure.h"

#include <cstdlib>
#include <new>

namespace {

// Plain thread-locals with constant initialisation: reading them never
// allocates, which matters inside operator new.
constexpr long long kDisarmed = -1;
thread_local long long t_countdown = kDisarmed;
thread_local bool t_failed = false;

void *Allocate(std::size_t size) noexcept {
  if (t_countdown != kDisarmed && t_countdown-- == 0) {
    t_countdown = kDisarmed;
    t_failed = true;
    return nullptr;
  }
  return std::malloc(size != 0 ? size : 1);
}

void *AllocateOrThrow(std::size_t size) {
  void *p = Allocate(size);
  if (!p) throw std::bad_alloc();
  return p;
}

}  // namespace

namespace tiz_test {

void FailAllocationAfter(size_t n) {
  t_failed = false;
  t_countdown = static_cast<long long>(n);
}

void Disarm() { t_countdown = kDisarmed; }

bool AllocationFailed() { return t_failed; }

}  // namespace tiz_test

void *operator new(std::size_t size) { return AllocateOrThrow(size); }
void *operator new[](std::size_t size) { return AllocateOrThrow(size); }
void *operator new(std::size_t size, const std::nothrow_t &) noexcept { return Allocate(size); }
void *operator new[](std::size_t size, const std::nothrow_t &) noexcept { return Allocate(size); }

void operator delete(void *p) noexcept { std::free(p); }
void operator delete[](void *p) noexcept { std::free(p); }
void operator delete(void *p, std::size_t) noexcept { std::free(p); }
void operator delete[](void *p, std::size_t) noexcept { std::free(p); }
void operator delete(void *p, const std::nothrow_t &) noexcept { std::free(p); }
void operator delete[](void *p, const std::nothrow_t &) noexcept { std::free(p); }
