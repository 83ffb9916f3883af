// Makes system calls of the calling thread fail on demand, to drive the
// POSIX file table's error paths that no real file system produces at will:
// an interrupted call, a disk error on flush or close, a file system without
// locks. The test executable defines these functions itself; each passes
// through to the C library unless a failure is armed for it.
#ifndef TIZ_TESTS_SYSCALLFAULTS_H
#define TIZ_TESTS_SYSCALLFAULTS_H

#ifndef _WIN32

namespace tiz_test {

enum class Syscall { kOpen, kRead, kWrite, kFstat, kFsync, kClose, kFlock, kKill, kCount };

// The calling thread's next `count` calls of `call` fail with `error` and do
// nothing else, except close, which releases the descriptor first (as close
// does whatever it reports). Later calls pass through again.
void FailSyscall(Syscall call, int error, int count = 1);

// How many of the failures armed last for `call` on this thread happened.
int SyscallFailures(Syscall call);

// Arms a failure for a scope and disarms it on the way out.
class ScopedSyscallFault {
 public:
  ScopedSyscallFault(Syscall call, int error, int count = 1) : m_call(call) {
    FailSyscall(call, error, count);
  }
  ~ScopedSyscallFault() { FailSyscall(m_call, 0, 0); }
  ScopedSyscallFault(const ScopedSyscallFault &) = delete;
  ScopedSyscallFault &operator=(const ScopedSyscallFault &) = delete;

 private:
  Syscall m_call;
};

}  // namespace tiz_test

#endif

#endif
