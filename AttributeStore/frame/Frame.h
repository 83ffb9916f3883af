// The call frame shared by the exports: the global lock (created on first
// use), the handle check, and the catch-all that turns any exception into a
// report to the support library and a result code.
//
// Every export is one call into this frame with the variant it needs and one
// call into a worker. The variants:
//
//   variant          lock       a caught exception      invalid handle
//   kStandard        exclusive  reported, its answer    -16
//   kReadOnly        shared     reported, its answer    -16
//   kUnreported      exclusive  -9, no report           -16
//   kIteratorStart   exclusive  -9, no report           2
//   kDisplay         exclusive  -9, no report           0
//   kSideImages      exclusive  reported, its answer    -108
//   (no frame)       none       (nothing throws)        (no handle)
//
//   kStandard       everything that changes a store, hands out a reference
//                   or runs caller code: store life, setters, the structure
//                   and nested-store getters, the pointer getters, deletion,
//                   cloning, iteration, tree and settings files, bags and
//                   sides, image trees, scanner flags and zoomed DPI
//   kReadOnly       the getters that only copy a value out (DWORD, byte,
//                   DOUBLE, STRING, BUFFER, IMAGE, size, type, confidence)
//   kUnreported     TIZ_GetParent (nothing in it throws);
//                   TIZ_UtilUpdateStoredImages and TIZ_UtilDeleteATImage,
//                   whose steps are framed and reported one by one
//   kIteratorStart  TIZ_StartIteratorSorted
//   kDisplay        TIZ_DisplayAttribute (buffer untouched on a bad handle)
//   kSideImages     TIZ_UtilDeleteYBitonalImage, TIZ_UtilDeleteYPlaneImage
//                   (the side test answers a bad handle)
//   no frame        the library-control exports, the text-record exports,
//                   TIZ_UtilGenerateBatchAttributeName
//
// An exception reaches a frame only from exhausted memory (or a caller's
// callback); the -9 of the unreported variants is their answer to that.
#ifndef TIZ_FRAME_FRAME_H
#define TIZ_FRAME_FRAME_H

#include <cstdint>
#include <utility>

#include "core/StoreHandles.h"
#include "platform/SharedRecursiveLock.h"
#include "support/FunctionRef.h"
#include "tiz.h"

namespace tiz::frame {

enum class LockMode { kExclusive, kShared };

struct Variant {
  LockMode lock;
  bool reportException;     // report under the export's name, return the answer
  int32_t exceptionResult;  // the result of a caught exception when not reported
  int32_t badHandleResult;
};

constexpr Variant kStandard{LockMode::kExclusive, true, 0, TIZ_E_INVALID_HANDLE};
constexpr Variant kReadOnly{LockMode::kShared, true, 0, TIZ_E_INVALID_HANDLE};
constexpr Variant kUnreported{LockMode::kExclusive, false, TIZ_E_NO_MEMORY_LINE,
                              TIZ_E_INVALID_HANDLE};
constexpr Variant kIteratorStart{LockMode::kExclusive, false, TIZ_E_NO_MEMORY_LINE, TIZ_NOT_FOUND};
constexpr Variant kDisplay{LockMode::kExclusive, false, TIZ_E_NO_MEMORY_LINE, 0};
constexpr Variant kSideImages{LockMode::kExclusive, true, 0, TIZ_E_NULL_POINTER};

// Creates the global lock (TIZ_InitCriticalSection, or the first export) and
// marks it deleted (TIZ_DeleteCriticalSection). The host calls these while
// no other thread is inside the library.
void CreateLock();
void DeleteLock();

// Formats "Catch in TIZ.DLL : <name>\r\n", hands it to the support library
// and returns that library's answer.
int32_t ReportException(const char *exportName) noexcept;

namespace detail {
// Set by the first export or TIZ_InitCriticalSection, before a second
// thread enters (the host's contract); read without a lock after that.
extern platform::SharedRecursiveLock *g_lock;
inline platform::SharedRecursiveLock &Lock() {
  if (!g_lock) CreateLock();
  return *g_lock;
}
}  // namespace detail

// Holds the global lock for a scope; creates it first if needed.
class LockScope {
 public:
  LockScope() { detail::Lock().Enter(); }
  ~LockScope() { detail::g_lock->Leave(); }
  LockScope(const LockScope &) = delete;
  LockScope &operator=(const LockScope &) = delete;
};

// Holds the global lock in the variant's mode. Shared mode is for getters
// that only read: no value handed out by reference, no caller code run, no
// state of the library changed (not even a scratch buffer). A thread that
// holds the lock exclusively re-enters it freely in either mode.
class FrameLock {
 public:
  explicit FrameLock(LockMode mode) : m_mode(mode) {
    if (m_mode == LockMode::kShared)
      m_token = detail::Lock().EnterShared();
    else
      detail::Lock().Enter();
  }
  ~FrameLock() {
    if (m_mode == LockMode::kShared)
      detail::g_lock->LeaveShared(m_token);
    else
      detail::g_lock->Leave();
  }
  FrameLock(const FrameLock &) = delete;
  FrameLock &operator=(const FrameLock &) = delete;

 private:
  LockMode m_mode;
  platform::SharedRecursiveLock::SharedToken m_token{};
};

// Runs `body` (no handle) inside the variant's frame.
template <class Body>
int32_t Run(const Variant &variant, const char *exportName, Body &&body) noexcept {
  FrameLock lock(variant.lock);
  try {
    return body();
  } catch (...) {
    return variant.reportException ? ReportException(exportName) : variant.exceptionResult;
  }
}

// Runs `body(store)` inside the variant's frame once the handle names a live
// store.
template <class Body>
int32_t OnStore(const Variant &variant, const char *exportName, uint32_t handle,
                Body &&body) noexcept {
  return Run(variant, exportName, [&]() -> int32_t {
    CAttributeStore *store = LookupStore(handle);
    if (!store) return variant.badHandleResult;
    return body(store);
  });
}

// The same after an argument check that comes before the handle check (a
// null out pointer of some exports): `refusal`, when non-zero, is the result.
// A refusal touches no state, so it needs no lock.
template <class Body>
int32_t OnStore(const Variant &variant, const char *exportName, uint32_t handle, Body &&body,
                int32_t refusal) noexcept {
  if (refusal) return refusal;
  return OnStore(variant, exportName, handle, std::forward<Body>(body));
}

// The same with two handles, both checked before the body runs.
template <class Body>
int32_t OnStores(const Variant &variant, const char *exportName, uint32_t first, uint32_t second,
                 Body &&body) noexcept {
  return Run(variant, exportName, [&]() -> int32_t {
    CAttributeStore *firstStore = LookupStore(first);
    CAttributeStore *secondStore = LookupStore(second);
    if (!firstStore || !secondStore) return variant.badHandleResult;
    return body(firstStore, secondStore);
  });
}

// `result` when `pointer` is null, else 0: the argument check that some
// exports make before the handle check.
inline int32_t RefuseNull(const void *pointer, int32_t result) { return pointer ? 0 : result; }
inline int32_t RefuseNull(const void *first, const void *second, int32_t result) {
  return first && second ? 0 : result;
}

// One step of a worker that runs the library's own operations in turn (the
// stored images): framed as the export of that name frames it alone.
int32_t RunStep(const char *exportName, uint32_t handle,
                FunctionRef<int32_t(CAttributeStore *)> step) noexcept;

// The pointer getters answer with a pointer and report their code through
// *pStatus (when given): the pointer only for 0 and 1, else null.
inline void *PointerResult(int32_t status, void *pointer, int32_t *pStatus) {
  if (pStatus) *pStatus = status;
  return status == 0 || status == TIZ_FOUND_IN_ANCESTOR ? pointer : nullptr;
}

}  // namespace tiz::frame

#endif
