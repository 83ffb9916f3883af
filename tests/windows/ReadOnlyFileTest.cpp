// A tree file marked read-only on Windows: Windows' own writers refuse to
// write it, and so does a save, which must not replace it by a new file. A
// load still reads it.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "PersistPath.h"
#include "tiz.h"

namespace {

int32_t SaveSpeed(const std::string &file, uint32_t speed) {
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) return -1;
  TIZ_SetSettingDword(store, "Scan", "Speed", speed);
  const int32_t result = TIZ_Serialize(store, file.c_str());
  TIZ_Release(store);
  return result;
}

int64_t LoadedSpeed(const std::string &file) {
  uint32_t store = 0, value = 0;
  if (TIZ_Create(&store) != 0) return -1;
  const bool found = TIZ_Deserialize(store, file.c_str()) == 0 &&
                     TIZ_GetSettingDword(store, "Scan", "Speed", &value) == 0;
  TIZ_Release(store);
  return found ? static_cast<int64_t>(value) : -1;
}

TEST(WinReadOnlyFile, ASaveLeavesAReadOnlyFileAsItIs) {
  const std::string file = "ReadOnly" + std::to_string(GetCurrentProcessId()) + ".ini";
  const std::string path = PersistPathOf(file);
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileA(path.c_str());
  ASSERT_EQ(SaveSpeed(file, 1), 0);
  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY));

  EXPECT_EQ(SaveSpeed(file, 2), TIZ_E_OPEN_FILE);
  EXPECT_EQ(LoadedSpeed(file), 1);
  const DWORD attributes = GetFileAttributesA(path.c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_READONLY);
  // Nothing is left beside it: no temporary file, no lock file.
  WIN32_FIND_DATAA entry;
  HANDLE find = FindFirstFileA((path + ".tmp*").c_str(), &entry);
  EXPECT_EQ(find, INVALID_HANDLE_VALUE) << entry.cFileName;
  if (find != INVALID_HANDLE_VALUE) FindClose(find);
  EXPECT_EQ(GetFileAttributesA((path + ".lock").c_str()), INVALID_FILE_ATTRIBUTES);

  ASSERT_TRUE(SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(SaveSpeed(file, 2), 0);
  EXPECT_EQ(LoadedSpeed(file), 2);
  DeleteFileA(path.c_str());
}

}  // namespace
