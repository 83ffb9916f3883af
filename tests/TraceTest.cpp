// Trace lines: written whole, however long, only while tracing is on; a line
// that cannot be formatted or has no memory is dropped without harm.
#include <gtest/gtest.h>

#include <string>

#include "AllocFailure.h"
#include "platform/Trace.h"

#ifndef _WIN32

namespace {

using tiz::platform::SetTracing;
using tiz::platform::Trace;
using tiz::platform::TracingEnabled;

// Switches tracing on for a scope and back to what it was.
class TracingOn {
 public:
  TracingOn() : m_was(TracingEnabled()) { SetTracing(true); }
  ~TracingOn() { SetTracing(m_was); }

 private:
  bool m_was;
};

std::string Traced(void (*write)()) {
  testing::internal::CaptureStderr();
  write();
  return testing::internal::GetCapturedStderr();
}

TEST(Trace, LinesAreWrittenWholeOnlyWhileTracingIsOn) {
  static const std::string kLong(1000, 'n');
  {
    TracingOn on;
    EXPECT_EQ(Traced([] { Trace("TEV: short 0x%08x\n", 0x2au); }), "TEV: short 0x0000002a\n");
    EXPECT_EQ(Traced([] { Trace("TEV: name=%s\n", kLong.c_str()); }), "TEV: name=" + kLong + "\n");
  }
  SetTracing(false);
  EXPECT_EQ(Traced([] { Trace("TEV: name=%s\n", kLong.c_str()); }), "");
}

TEST(Trace, ALineWithoutMemoryOrFormIsDropped) {
  TracingOn on;
  static const std::string kLong(1000, 'n');
  EXPECT_EQ(Traced([] {
              tiz_test::ScopedAllocationFailure failure(0);
              Trace("TEV: name=%s\n", kLong.c_str());
            }),
            "");
  // A wide character the C locale has no multibyte form for.
  EXPECT_EQ(Traced([] { Trace("TEV: %ls\n", L"\u4E2D"); }), "");
  EXPECT_EQ(Traced([] { Trace("TEV: after\n"); }), "TEV: after\n");
}

}  // namespace

#endif
