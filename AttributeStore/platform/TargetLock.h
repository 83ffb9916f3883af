// The lock that serialises the read-modify-replace of one file between
// processes: an advisory lock of the lock file "<target>.lock" beside it,
// taken through the file table.
#ifndef TIZ_PLATFORM_TARGETLOCK_H
#define TIZ_PLATFORM_TARGETLOCK_H

#include <string>

#include "platform/FileSystem.h"

namespace tiz::platform {

// The lock file that guards `target`.
std::string LockPathOf(const std::string &target);

// Holds the lock of one target while it lives.
class TargetLock {
 public:
  TargetLock() = default;
  ~TargetLock() { Release(); }
  TargetLock(const TargetLock &) = delete;
  TargetLock &operator=(const TargetLock &) = delete;

  // kOk: held. kNotFound: nothing is held, and nothing needs to be: for a
  // shared lock there is no lock file, so no writer holds the lock; for an
  // exclusive one no file can be made in the target's directory, so no one
  // can replace the target. kFailed: not held.
  FileStatus Acquire(const std::string &target, LockKind kind);
  void Release();

 private:
  FileLock *m_lock = nullptr;
};

}  // namespace tiz::platform

#endif
