// The platform layer: everything that differs between Windows and the other
// targets lives behind these few functions, so the rest of the library is
// plain standard C++.
#ifndef TIZ_PLATFORM_PLATFORM_H
#define TIZ_PLATFORM_PLATFORM_H

#include <cstdint>

#if defined(__has_include)
#if __has_include(<sys/single_threaded.h>)
#include <sys/single_threaded.h>
#define TIZ_HAS_SINGLE_THREADED 1
#endif
#endif
#ifndef TIZ_HAS_SINGLE_THREADED
#define TIZ_HAS_SINGLE_THREADED 0
#endif

namespace tiz::platform {

namespace detail {
// Lead bytes of the process's ANSI code page, filled once at load; text
// scanning asks for every byte, so the answer must be a table lookup.
extern bool g_leadBytes[256];
extern bool g_hasLeadBytes;
}  // namespace detail

// True when the byte starts a double-byte character in the process's ANSI
// code page (on Windows the real one; elsewhere the one named by the
// environment variable TIZ_CODEPAGE at load, 1252 by default).
inline bool IsLeadByte(unsigned char byte) { return detail::g_leadBytes[byte]; }

// False for single-byte code pages, where every byte is a character.
inline bool CodePageHasLeadBytes() { return detail::g_hasLeadBytes; }

// A plain (not re-entrant) mutex: a critical section on Windows, a
// std::mutex elsewhere. The global lock builds its re-entrant, shared and
// exclusive modes on top (SharedRecursiveLock.h). Placement storage keeps the
// platform's type out of the header.
class NativeMutex {
 public:
  NativeMutex();
  ~NativeMutex();
  NativeMutex(const NativeMutex &) = delete;
  NativeMutex &operator=(const NativeMutex &) = delete;
  void Enter();
  void Leave();

 private:
  alignas(8) unsigned char m_storage[64];
};

// True while the process has never had a second thread (known only where
// the C library tracks it; elsewhere always false). Once false it stays
// false, and a thread created later sees everything done before.
inline bool ProcessIsSingleThreaded() {
#if TIZ_HAS_SINGLE_THREADED
  return __libc_single_threaded != 0;
#else
  return false;
#endif
}

// Lets another thread run while this one waits for a short section of
// another thread to end.
void YieldThread();

}  // namespace tiz::platform

#endif
