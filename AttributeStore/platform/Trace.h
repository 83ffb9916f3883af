// Trace lines: fixed "TEV: ..." lines for the product's pipeline log, written
// only while the host has switched logging on (TIZ_InitLogging). Any layer
// may trace; the line goes to the debugger output on Windows, standard error
// elsewhere.
#ifndef TIZ_PLATFORM_TRACE_H
#define TIZ_PLATFORM_TRACE_H

namespace tiz::platform {

// Switches trace lines on or off; may be called at any time, from any thread.
void SetTracing(bool enabled);
bool TracingEnabled();

// Writes one trace line (printf format) when tracing is on. Never fails the
// operation it traces: a line that cannot be formatted is dropped. Lines are
// short (a fixed text with handles and setting names of the library).
void Trace(const char *format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;

}  // namespace tiz::platform

#endif
