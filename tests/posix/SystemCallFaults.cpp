#include "SystemCallFaults.h"

#include <dirent.h>
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>

namespace syscall_faults {
namespace {

constexpr int kCalls = static_cast<int>(Call::kCount);

struct Plan {
  int error = 0;
  int times = 0;
  int skip = 0;
};

// The tests run one at a time on one thread; nothing here needs a lock.
bool g_armed = false;
Plan g_plans[kCalls];
int g_calls[kCalls];
size_t g_shortWrites = 0;

// Whether this call is to fail; sets errno when it is.
bool Fails(Call call) {
  if (!g_armed) return false;
  const int index = static_cast<int>(call);
  ++g_calls[index];
  Plan &plan = g_plans[index];
  if (plan.skip > 0) {
    --plan.skip;
    return false;
  }
  if (plan.times == 0) return false;
  --plan.times;
  errno = plan.error;
  return true;
}

// The C library's own definition of `name`.
template <class Function>
Function Real(const char *name) {
  void *found = dlsym(RTLD_NEXT, name);
  if (!found) {
    std::fprintf(stderr, "no C library function %s\n", name);
    _exit(99);
  }
  return reinterpret_cast<Function>(found);
}

}  // namespace

Armed::Armed(std::initializer_list<Fault> faults) {
  for (Plan &plan : g_plans) plan = Plan{};
  for (int &count : g_calls) count = 0;
  g_shortWrites = 0;
  for (const Fault &fault : faults)
    g_plans[static_cast<int>(fault.call)] = Plan{fault.error, fault.times, fault.skip};
  g_armed = true;
}

Armed::~Armed() {
  g_armed = false;
  g_shortWrites = 0;
}

int Armed::Calls(Call call) const { return g_calls[static_cast<int>(call)]; }

void Armed::ShortWrites(size_t bytes) { g_shortWrites = bytes; }

}  // namespace syscall_faults

using syscall_faults::Call;
using syscall_faults::Fails;
using syscall_faults::Real;

extern "C" {

int open(const char *path, int flags, ...) {
  mode_t mode = 0;
  if (flags & (O_CREAT | O_TMPFILE)) {
    va_list args;
    va_start(args, flags);
    mode = static_cast<mode_t>(va_arg(args, int));
    va_end(args);
  }
  if (Fails(Call::kOpen)) return -1;
  static const auto real = Real<int (*)(const char *, int, ...)>("open");
  return real(path, flags, mode);
}

ssize_t read(int fd, void *buffer, size_t size) {
  if (Fails(Call::kRead)) return -1;
  static const auto real = Real<ssize_t (*)(int, void *, size_t)>("read");
  return real(fd, buffer, size);
}

ssize_t write(int fd, const void *data, size_t size) {
  if (Fails(Call::kWrite)) return -1;
  static const auto real = Real<ssize_t (*)(int, const void *, size_t)>("write");
  if (syscall_faults::g_armed && syscall_faults::g_shortWrites > 0 &&
      size > syscall_faults::g_shortWrites)
    size = syscall_faults::g_shortWrites;
  return real(fd, data, size);
}

int fsync(int fd) {
  if (Fails(Call::kFsync)) return -1;
  static const auto real = Real<int (*)(int)>("fsync");
  return real(fd);
}

int close(int fd) {
  const bool fails = Fails(Call::kClose);
  // A failed close still releases the descriptor, as on Linux.
  static const auto real = Real<int (*)(int)>("close");
  const int result = real(fd);
  if (fails) return -1;
  return result;
}

int rename(const char *from, const char *to) noexcept {
  if (Fails(Call::kRename)) return -1;
  static const auto real = Real<int (*)(const char *, const char *)>("rename");
  return real(from, to);
}

int unlink(const char *path) noexcept {
  if (Fails(Call::kUnlink)) return -1;
  static const auto real = Real<int (*)(const char *)>("unlink");
  return real(path);
}

int fstat(int fd, struct stat *info) noexcept {
  if (Fails(Call::kFstat)) return -1;
  static const auto real = Real<int (*)(int, struct stat *)>("fstat");
  return real(fd, info);
}

int stat(const char *path, struct stat *info) noexcept {
  if (Fails(Call::kStat)) return -1;
  static const auto real = Real<int (*)(const char *, struct stat *)>("stat");
  return real(path, info);
}

int lstat(const char *path, struct stat *info) noexcept {
  if (Fails(Call::kLstat)) return -1;
  static const auto real = Real<int (*)(const char *, struct stat *)>("lstat");
  return real(path, info);
}

int fchmod(int fd, mode_t mode) noexcept {
  if (Fails(Call::kFchmod)) return -1;
  static const auto real = Real<int (*)(int, mode_t)>("fchmod");
  return real(fd, mode);
}

int fchown(int fd, uid_t owner, gid_t group) noexcept {
  if (Fails(Call::kFchown)) return -1;
  static const auto real = Real<int (*)(int, uid_t, gid_t)>("fchown");
  return real(fd, owner, group);
}

int faccessat(int dirfd, const char *path, int mode, int flags) noexcept {
  if (Fails(Call::kFaccessat)) return -1;
  static const auto real = Real<int (*)(int, const char *, int, int)>("faccessat");
  return real(dirfd, path, mode, flags);
}

int flock(int fd, int operation) noexcept {
  if (Fails(Call::kFlock)) return -1;
  static const auto real = Real<int (*)(int, int)>("flock");
  return real(fd, operation);
}

DIR *opendir(const char *path) {
  if (Fails(Call::kOpendir)) return nullptr;
  static const auto real = Real<DIR *(*)(const char *)>("opendir");
  return real(path);
}

int kill(pid_t process, int signal) noexcept {
  if (Fails(Call::kKill)) return -1;
  static const auto real = Real<int (*)(pid_t, int)>("kill");
  return real(process, signal);
}

}  // extern "C"
