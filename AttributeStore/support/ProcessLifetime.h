// The one way to make an object that lives for the whole process: built in
// static storage on first use and never destroyed, so callers that come late
// (static destructors of a host, release callbacks at exit) still find it,
// and building it never needs the heap.
#ifndef TIZ_SUPPORT_PROCESSLIFETIME_H
#define TIZ_SUPPORT_PROCESSLIFETIME_H

#include <new>
#include <utility>

namespace tiz {

// Use as a function-local static: `static ProcessLifetime<T> object;`.
template <class T>
class ProcessLifetime {
 public:
  template <class... Args>
  explicit ProcessLifetime(Args &&...args) {
    new (m_storage) T(std::forward<Args>(args)...);
  }
  // Trivial on purpose: the object is never destroyed.
  ~ProcessLifetime() = default;
  ProcessLifetime(const ProcessLifetime &) = delete;
  ProcessLifetime &operator=(const ProcessLifetime &) = delete;

  T *Get() { return std::launder(reinterpret_cast<T *>(m_storage)); }

 private:
  alignas(T) unsigned char m_storage[sizeof(T)];
};

}  // namespace tiz

#endif
