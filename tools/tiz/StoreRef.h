// Owns one reference to a store and gives it back on destruction.
#ifndef TIZ_TOOL_STOREREF_H
#define TIZ_TOOL_STOREREF_H

#include <cstdint>

namespace tiztool {

class StoreRef {
 public:
  StoreRef() = default;
  // Takes over a reference the caller already holds (from a getter).
  explicit StoreRef(uint32_t handle) : m_handle(handle) {}
  ~StoreRef();
  StoreRef(StoreRef &&other) noexcept : m_handle(other.Detach()) {}
  StoreRef &operator=(StoreRef &&other) noexcept;
  StoreRef(const StoreRef &) = delete;
  StoreRef &operator=(const StoreRef &) = delete;

  // A new root store; throws Failure when the library refuses.
  static StoreRef Create();

  uint32_t Get() const { return m_handle; }
  // Gives up the reference without releasing it (its new owner does).
  uint32_t Detach();

 private:
  uint32_t m_handle = 0;
};

}  // namespace tiztool

#endif
