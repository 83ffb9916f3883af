// Part of the main test suite's Windows build only. The library's trace lines
// go to the debugger output there; the suite reads them from standard error,
// as on the other platforms. OutputDebugStringA raises a debug-print
// exception that a vectored handler sees before any debugger would: this one
// copies the text to standard error and lets the program go on.
#include <windows.h>

#include <cstdio>

namespace {

LONG CALLBACK EchoDebugOutput(EXCEPTION_POINTERS *info) {
  const EXCEPTION_RECORD *record = info->ExceptionRecord;
  if (record->ExceptionCode != DBG_PRINTEXCEPTION_C || record->NumberParameters < 2)
    return EXCEPTION_CONTINUE_SEARCH;
  std::fputs(reinterpret_cast<const char *>(record->ExceptionInformation[1]), stderr);
  return EXCEPTION_CONTINUE_EXECUTION;
}

const bool g_echoing = AddVectoredExceptionHandler(1, EchoDebugOutput) != nullptr;

}  // namespace
