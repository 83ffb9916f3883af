#include "configlib/ConfigLibrary.h"

#include "brlconfigio.h"

namespace tiz::configlib {

namespace {

constexpr const char kPersistParameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
constexpr int32_t kFileDestination = 2;
constexpr uint32_t kPersistPathSize = 260;

constexpr const char kSettingsKey[] = "MOXSETTINGS\\BRELL200\\Defaults";
constexpr const char kSettingsValue[] = "ZEBPath";
constexpr uint32_t kSettingsDirectorySize = 256;

// The text of a buffer the configuration library filled, bounded by its size
// even if the library left it unterminated.
std::string TextOf(const char *buffer, size_t size) {
  size_t length = 0;
  while (length < size && buffer[length] != '\0') ++length;
  return std::string(buffer, length);
}

}  // namespace

int32_t TreeFilePath(const std::string &fileName, std::string *path) {
  int32_t result =
      BCIO_SetConfigParameterDest(kPersistParameter, kFileDestination, fileName.c_str());
  if (result != 0) return result;
  char buffer[kPersistPathSize] = {};
  uint32_t reserved = 0;
  uint32_t size = kPersistPathSize;
  result = BCIO_GetConfigParameterDest(kPersistParameter, &reserved, buffer, &size);
  if (result != 0) return result;
  *path = TextOf(buffer, sizeof buffer);
  return 0;
}

int32_t SettingsDirectory(std::string *directory) {
  char buffer[kSettingsDirectorySize] = {};
  uint32_t size = kSettingsDirectorySize;
  int32_t result = BCIO_GetConfigParamStr(kSettingsKey, kSettingsValue, buffer, &size, nullptr);
  if (result < 0) return result;
  *directory = TextOf(buffer, sizeof buffer);
  return result;
}

}  // namespace tiz::configlib
