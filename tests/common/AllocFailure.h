// Makes one allocation of the calling thread fail on demand, to drive the
// library's out-of-memory paths. The test executable replaces the global
// operator new and delete with malloc-based versions that honour it.
#ifndef TIZ_TESTS_ALLOCFAILURE_H
#define TIZ_TESTS_ALLOCFAILURE_H

#include <cstddef>

namespace tiz_test {

// Lets the calling thread's next `n` allocations succeed and makes the one
// after them fail (operator new throws std::bad_alloc, the nothrow forms
// return null). The failure happens once; later allocations succeed again.
// Other threads are not affected.
void FailAllocationAfter(size_t n);

// Cancels a failure armed on the calling thread that has not happened yet.
void Disarm();

// True when the failure armed last on the calling thread has happened.
bool AllocationFailed();

// Arms FailAllocationAfter(n) for a scope and disarms on the way out, so a
// failed assertion never leaves a failure armed for the next test.
class ScopedAllocationFailure {
 public:
  explicit ScopedAllocationFailure(size_t n) { FailAllocationAfter(n); }
  ~ScopedAllocationFailure() { Disarm(); }
  ScopedAllocationFailure(const ScopedAllocationFailure &) = delete;
  ScopedAllocationFailure &operator=(const ScopedAllocationFailure &) = delete;
};

}  // namespace tiz_test

#endif
