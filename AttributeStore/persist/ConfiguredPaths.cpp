#include "persist/ConfiguredPaths.h"

#include "brlconfigio.h"
#include "platform/Platform.h"

namespace tiz {

namespace {

constexpr const char kPersistParameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
constexpr int32_t kFileDestination = 2;
constexpr uint32_t kPersistPathSize = 260;

constexpr const char kSettingsKey[] = "MOXSETTINGS\\BRELL200\\Defaults";
constexpr const char kSettingsValue[] = "ZEBPath";
constexpr uint32_t kSettingsDirectorySize = 256;

#ifdef _WIN32
constexpr char kDirectorySeparator = '\\';
#else
constexpr char kDirectorySeparator = '/';
#endif

bool IsPathSeparator(char c) {
#ifdef _WIN32
  if (c == ':') return true;
#endif
  return c == '/' || c == '\\';
}

bool IsAbsoluteSettingsName(std::string_view name) {
#ifndef _WIN32
  if (name.front() == '/') return true;
#endif
  return name.find(':') != std::string_view::npos;
}

// The text of a buffer the configuration library filled, bounded by its size
// even if the library left it unterminated.
std::string TextOf(const char *buffer, size_t size) {
  size_t length = 0;
  while (length < size && buffer[length] != '\0') ++length;
  return std::string(buffer, length);
}

}  // namespace

std::string_view LastPathComponent(std::string_view path) {
  size_t start = 0;
  for (size_t i = 0; i < path.size(); ++i) {
    auto c = static_cast<unsigned char>(path[i]);
    if (platform::IsLeadByte(c) && i + 1 < path.size()) {
      ++i;  // the second byte of a double-byte character is never a separator
      continue;
    }
    if (IsPathSeparator(path[i]) && i + 1 < path.size() && !IsPathSeparator(path[i + 1]))
      start = i + 1;
  }
  return path.substr(start);
}

int32_t ResolvePersistPath(std::string_view fileName, std::string *path) {
  std::string component(LastPathComponent(fileName));
  int32_t result =
      BCIO_SetConfigParameterDest(kPersistParameter, kFileDestination, component.c_str());
  if (result != 0) return result;
  char buffer[kPersistPathSize] = {};
  uint32_t reserved = 0;
  uint32_t size = kPersistPathSize;
  result = BCIO_GetConfigParameterDest(kPersistParameter, &reserved, buffer, &size);
  if (result != 0) return result;
  *path = TextOf(buffer, sizeof buffer);
  return 0;
}

int32_t ResolveSettingsPath(std::string_view fileName, std::string *path) {
  if (fileName.empty() || IsAbsoluteSettingsName(fileName)) {
    *path = std::string(fileName);
    return 0;
  }
  char buffer[kSettingsDirectorySize] = {};
  uint32_t size = kSettingsDirectorySize;
  int32_t result = BCIO_GetConfigParamStr(kSettingsKey, kSettingsValue, buffer, &size, nullptr);
  if (result < 0) return result;
  *path = TextOf(buffer, sizeof buffer);
  path->push_back(kDirectorySeparator);
  path->append(fileName);
  return 0;
}

}  // namespace tiz
