// The native mutex elsewhere: a std::mutex in the mutex's storage.
#include <mutex>
#include <new>

#include "platform/Platform.h"

namespace tiz::platform {

namespace {

static_assert(sizeof(std::mutex) <= 64 && alignof(std::mutex) <= 8, "lock storage too small");

std::mutex *MutexIn(unsigned char *storage) {
  return std::launder(reinterpret_cast<std::mutex *>(storage));
}

}  // namespace

NativeMutex::NativeMutex() { new (m_storage) std::mutex(); }
NativeMutex::~NativeMutex() { MutexIn(m_storage)->~mutex(); }
void NativeMutex::Enter() { MutexIn(m_storage)->lock(); }
void NativeMutex::Leave() { MutexIn(m_storage)->unlock(); }

}  // namespace tiz::platform
