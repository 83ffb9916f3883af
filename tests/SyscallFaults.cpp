// The system calls that SyscallFaults.h lets a test make fail. Defined in the
// executable, they take the place of the C library's for the whole process
// (the library under test included); the C library's own is found behind
// them with RTLD_NEXT.
#include "SyscallFaults.h"

#ifndef _WIN32

#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>

namespace tiz_test {

namespace {

constexpr int kCalls = static_cast<int>(Syscall::kCount);

struct Armed {
  int error[kCalls];
  int remaining[kCalls];
  int happened[kCalls];
};
thread_local Armed g_armed{};

// True when the call is to fail now; errno is then set.
bool Fails(Syscall call) {
  const int i = static_cast<int>(call);
  if (g_armed.remaining[i] <= 0) return false;
  --g_armed.remaining[i];
  ++g_armed.happened[i];
  errno = g_armed.error[i];
  return true;
}

template <class Function>
Function Next(const char *name) {
  return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

void FailSyscall(Syscall call, int error, int count) {
  const int i = static_cast<int>(call);
  g_armed.error[i] = error;
  g_armed.remaining[i] = count;
  g_armed.happened[i] = 0;
}

int SyscallFailures(Syscall call) { return g_armed.happened[static_cast<int>(call)]; }

}  // namespace tiz_test

using tiz_test::Fails;
using tiz_test::Next;
using tiz_test::Syscall;

extern "C" {

int open(const char *path, int flags, ...) {
  static const auto real = Next<int (*)(const char *, int, ...)>("open");
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if (Fails(Syscall::kOpen)) return -1;
  return real(path, flags, mode);
}

ssize_t read(int fd, void *buffer, size_t size) {
  static const auto real = Next<ssize_t (*)(int, void *, size_t)>("read");
  if (Fails(Syscall::kRead)) return -1;
  return real(fd, buffer, size);
}

ssize_t write(int fd, const void *data, size_t size) {
  static const auto real = Next<ssize_t (*)(int, const void *, size_t)>("write");
  if (Fails(Syscall::kWrite)) return -1;
  return real(fd, data, size);
}

int fstat(int fd, struct stat *info) noexcept {
  static const auto real = Next<int (*)(int, struct stat *)>("fstat");
  if (Fails(Syscall::kFstat)) return -1;
  return real(fd, info);
}

int fsync(int fd) {
  static const auto real = Next<int (*)(int)>("fsync");
  if (Fails(Syscall::kFsync)) return -1;
  return real(fd);
}

int close(int fd) {
  static const auto real = Next<int (*)(int)>("close");
  const int saved = errno;
  if (tiz_test::g_armed.remaining[static_cast<int>(Syscall::kClose)] > 0) {
    real(fd);
    errno = saved;
    Fails(Syscall::kClose);
    return -1;
  }
  return real(fd);
}

int flock(int fd, int operation) noexcept {
  static const auto real = Next<int (*)(int, int)>("flock");
  if (Fails(Syscall::kFlock)) return -1;
  return real(fd, operation);
}

int kill(pid_t pid, int signal) noexcept {
  static const auto real = Next<int (*)(pid_t, int)>("kill");
  if (Fails(Syscall::kKill)) return -1;
  return real(pid, signal);
}

}  // extern "C"

#endif
