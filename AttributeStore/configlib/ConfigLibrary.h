// The calls the library makes into the product's configuration library
// (BrlConfigIO): where tree files live and where settings files live.
#ifndef TIZ_CONFIGLIB_CONFIGLIBRARY_H
#define TIZ_CONFIGLIB_CONFIGLIBRARY_H

#include <cstdint>
#include <string>

namespace tiz::configlib {

// Hands the file name to the destination of "ATTRIBUTESTORE\BAGSETTINGSPERSIST"
// and reads back the full path the library makes of it: 0 and the path, or
// the library's non-zero code from either call.
int32_t TreeFilePath(const std::string &fileName, std::string *path);

// The value "ZEBPath" under "MOXSETTINGS\BRELL200\Defaults": the library's
// result (negative for a failure) and, unless negative, the directory.
int32_t SettingsDirectory(std::string *directory);

}  // namespace tiz::configlib

#endif
