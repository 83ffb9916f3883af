// A minimal support library: keeps the last exception report and echoes it
// to standard error, as the product's library would log it.
#include "orv310.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

namespace {

std::mutex g_mutex;
std::string g_lastReport;
uint32_t g_reportCount = 0;
// Negative by default: an exception must never read as success.
std::atomic<int32_t> g_reportResult{-1};

}  // namespace

extern "C" {

int32_t TIZ_API ORV_ReportException(const char *text) {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    try {
      g_lastReport = text ? text : "";
    } catch (...) {
      g_lastReport.clear();
    }
    ++g_reportCount;
  }
  std::fputs(text ? text : "(null report)\r\n", stderr);
  return g_reportResult.load();
}

void TIZ_API ORV_SetReportResult(int32_t result) { g_reportResult.store(result); }

uint32_t TIZ_API ORV_GetLastReport(char *buffer, uint32_t length) {
  std::lock_guard<std::mutex> lock(g_mutex);
  if (buffer && length > 0) {
    size_t n = g_lastReport.size() < length - 1 ? g_lastReport.size() : length - 1;
    std::memcpy(buffer, g_lastReport.data(), n);
    buffer[n] = '\0';
  }
  return g_reportCount;
}

}  // extern "C"
