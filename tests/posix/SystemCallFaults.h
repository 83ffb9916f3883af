// Failures of the C library's file and process calls, made on purpose: this
// test program defines those calls itself, so the library's POSIX layer,
// linked into it, calls these first. Each passes the call on to the C
// library unless a test has armed a fault for it.
#ifndef TIZ_TESTS_POSIX_SYSTEMCALLFAULTS_H
#define TIZ_TESTS_POSIX_SYSTEMCALLFAULTS_H

#include <cstddef>
#include <initializer_list>

namespace syscall_faults {

enum class Call {
  kOpen,
  kRead,
  kWrite,
  kFsync,
  kClose,
  kRename,
  kUnlink,
  kFstat,
  kStat,
  kLstat,
  kFchmod,
  kFchown,
  kFaccessat,
  kFlock,
  kOpendir,
  kKill,
  kCount
};

// After `skip` calls of `call` that pass, the next `times` fail with `error`.
struct Fault {
  Call call;
  int error;
  int times = 1;
  int skip = 0;
};

// Arms faults (at most one per call) for its lifetime and counts every call
// made meanwhile.
class Armed {
 public:
  Armed(std::initializer_list<Fault> faults);
  ~Armed();
  Armed(const Armed &) = delete;
  Armed &operator=(const Armed &) = delete;

  // Calls of `call` since arming, failed ones included.
  int Calls(Call call) const;
  // Lets each write put out at most `bytes` bytes (0: no limit).
  void ShortWrites(size_t bytes);
};

}  // namespace syscall_faults

#endif
