// Trace lines: written only while tracing is on; a line that cannot be
// formatted is dropped without harm.
#include <gtest/gtest.h>

#include <string>

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

TEST(Trace, LinesAreWrittenOnlyWhileTracingIsOn) {
  {
    TracingOn on;
    EXPECT_EQ(Traced([] { Trace("TEV: short 0x%08x\n", 0x2au); }), "TEV: short 0x0000002a\n");
  }
  SetTracing(false);
  EXPECT_EQ(Traced([] { Trace("TEV: short 0x%08x\n", 0x2au); }), "");
}

// A wide character the C locale has no multibyte form for cannot be
// formatted: the line is dropped, and the next one is written as ever.
TEST(Trace, ALineThatCannotBeFormattedIsDropped) {
  TracingOn on;
  EXPECT_EQ(Traced([] { Trace("TEV: %ls\n", L"\u4E2D"); }), "");
  EXPECT_EQ(Traced([] { Trace("TEV: after\n"); }), "TEV: after\n");
}

}  // namespace

#endif
