// Target locks, built on the file table only, so that a test can make any of
// their steps fail.
#include "platform/TargetLock.h"

namespace tiz::platform {

std::string LockPathOf(const std::string &target) { return target + ".lock"; }

FileStatus TargetLock::Acquire(const std::string &target, LockKind kind) {
  Release();
  FileLock *lock = nullptr;
  FileStatus status = Files().lock(LockPathOf(target).c_str(), kind, &lock);
  if (status == FileStatus::kOk) m_lock = lock;
  return status;
}

void TargetLock::Release() {
  if (!m_lock) return;
  FileLock *lock = m_lock;
  m_lock = nullptr;
  Files().unlock(lock);
}

}  // namespace tiz::platform
