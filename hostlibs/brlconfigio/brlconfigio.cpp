// A minimal configuration library: one file destination, the directory of
// tree files, and one configuration value, the directory of settings files.
// Result codes are listed in README.md beside this file.
#include "brlconfigio.h"

#include <cstring>
#include <mutex>
#include <string>

#include "ConfigDirectories.h"

namespace {

constexpr int32_t kUnknownParameter = -1;
constexpr int32_t kInvalidArgument = -2;
constexpr int32_t kNoDestination = -3;
constexpr int32_t kNoDirectory = -4;
constexpr int32_t kBufferTooSmall = -5;

constexpr const char *kPersistParameter = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
constexpr int32_t kFileDestination = 2;
constexpr const char *kSettingsKey = "MOXSETTINGS\\BRELL200\\Defaults";
constexpr const char *kSettingsValue = "ZEBPath";

std::mutex g_mutex;
std::string g_destination;  // file name of the persist parameter; empty until set

// Configuration names, like registry names, ignore ASCII case.
bool SameName(const char *a, const char *b) {
  for (; *a && *b; ++a, ++b) {
    char x = (*a >= 'A' && *a <= 'Z') ? static_cast<char>(*a + 32) : *a;
    char y = (*b >= 'A' && *b <= 'Z') ? static_cast<char>(*b + 32) : *b;
    if (x != y) return false;
  }
  return *a == *b;
}

// A destination is a bare file name: no directory part of its own.
bool IsFileName(const char *name) {
  if (!*name || std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
  return std::strpbrk(name, "/\\") == nullptr;
}

// Copies `text` with its NUL when it fits; *pSize receives the size needed.
int32_t CopyOut(const std::string &text, char *buffer, uint32_t *pSize) {
  size_t needed = text.size() + 1;
  bool fits = needed <= *pSize;
  *pSize = static_cast<uint32_t>(needed);
  if (!fits) return kBufferTooSmall;
  std::memcpy(buffer, text.c_str(), needed);
  return 0;
}

}  // namespace

extern "C" {

int32_t TIZ_API BCIO_SetConfigParameterDest(const char *name, int32_t kind, const char *value) {
  if (!name || !value) return kInvalidArgument;
  if (!SameName(name, kPersistParameter)) return kUnknownParameter;
  if (kind != kFileDestination || !IsFileName(value)) return kInvalidArgument;
  try {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_destination = value;
  } catch (...) {
    return kInvalidArgument;
  }
  return 0;
}

int32_t TIZ_API BCIO_GetConfigParameterDest(const char *name, uint32_t *, char *buffer,
                                            uint32_t *pSize) {
  if (!name || !buffer || !pSize) return kInvalidArgument;
  if (!SameName(name, kPersistParameter)) return kUnknownParameter;
  try {
    std::string file;
    {
      std::lock_guard<std::mutex> lock(g_mutex);
      file = g_destination;
    }
    if (file.empty()) return kNoDestination;
    std::string directory;
    if (!brlconfigio::ConfiguredDirectory("TIZ_PERSIST_DIR", "trees", &directory))
      return kNoDirectory;
    return CopyOut(brlconfigio::JoinPath(directory, file), buffer, pSize);
  } catch (...) {
    return kNoDirectory;
  }
}

int32_t TIZ_API BCIO_GetConfigParamStr(const char *keyPath, const char *valueName, char *buffer,
                                       uint32_t *pSize, void *) {
  if (!keyPath || !valueName || !buffer || !pSize) return kInvalidArgument;
  if (!SameName(keyPath, kSettingsKey) || !SameName(valueName, kSettingsValue))
    return kUnknownParameter;
  try {
    std::string directory;
    if (!brlconfigio::ConfiguredDirectory("TIZ_SETTINGS_DIR", "settings", &directory))
      return kNoDirectory;
    return CopyOut(directory, buffer, pSize);
  } catch (...) {
    return kNoDirectory;
  }
}

}  // extern "C"
