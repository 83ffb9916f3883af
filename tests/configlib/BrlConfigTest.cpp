// The configuration stand-in: the tree-file destination and the settings
// directory, from the environment or the user's data directory.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "ScratchDirectory.h"
#include "brlconfigio.h"

namespace {

namespace fs = std::filesystem;

constexpr char kParameter[] = "ATTRIBUTESTORE\\BAGSETTINGSPERSIST";
constexpr char kKeyPath[] = "MOXSETTINGS\\BRELL200\\Defaults";

// Sets a variable for a scope ("" unsets it) and restores it on the way out.
class ScopedEnv {
 public:
  ScopedEnv(const char *name, const std::string &value) : m_name(name) {
    if (const char *old = std::getenv(name)) m_old = old;
    tiz_test::SetEnvironment(name, value);
  }
  ~ScopedEnv() { tiz_test::SetEnvironment(m_name, m_old); }

 private:
  const char *m_name;
  std::string m_old;
};

class BrlConfig : public ::testing::Test {
 protected:
  static std::string Destination(int32_t *result) {
    char buffer[512] = {};
    uint32_t reserved = 0, size = sizeof buffer;
    *result = BCIO_GetConfigParameterDest(kParameter, &reserved, buffer, &size);
    return buffer;
  }
  static std::string SettingsDirectory(int32_t *result) {
    char buffer[512] = {};
    uint32_t size = sizeof buffer;
    *result = BCIO_GetConfigParamStr(kKeyPath, "ZEBPath", buffer, &size, nullptr);
    return buffer;
  }

  tiz_test::ScratchDirectory m_scratch;
  fs::path m_dir = m_scratch.Path("x").parent_path();
};

TEST_F(BrlConfig, DestinationJoinsTheConfiguredDirectoryAndMakesIt) {
  fs::path trees = m_dir / "a" / "b";
  ScopedEnv env("TIZ_PERSIST_DIR", trees.string());
  ASSERT_EQ(BCIO_SetConfigParameterDest(kParameter, 2, "tree.ini"), 0);
  int32_t result = -1;
  EXPECT_EQ(Destination(&result), (trees / "tree.ini").string());
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fs::is_directory(trees));

  // Names ignore case; the variable is read at every call.
  ASSERT_EQ(BCIO_SetConfigParameterDest("attributestore\\bagsettingspersist", 2, "x.ini"), 0);
  ScopedEnv moved("TIZ_PERSIST_DIR", m_dir.string());
  EXPECT_EQ(Destination(&result), (m_dir / "x.ini").string());
}

TEST_F(BrlConfig, RefusesWhatItCannotAnswer) {
  EXPECT_LT(BCIO_SetConfigParameterDest("OTHER\\PARAMETER", 2, "tree.ini"), 0);
  for (int32_t kind : {0, 1, 3}) EXPECT_LT(BCIO_SetConfigParameterDest(kParameter, kind, "t"), 0);
  for (const char *name : {"", ".", "..", "sub/tree.ini", "sub\\tree.ini"})
    EXPECT_LT(BCIO_SetConfigParameterDest(kParameter, 2, name), 0) << name;
  EXPECT_LT(BCIO_SetConfigParameterDest(kParameter, 2, nullptr), 0);

  char buffer[8];
  uint32_t reserved = 0, size = sizeof buffer;
  EXPECT_LT(BCIO_GetConfigParameterDest("OTHER", &reserved, buffer, &size), 0);
  EXPECT_LT(BCIO_GetConfigParamStr(kKeyPath, "OtherValue", buffer, &size, nullptr), 0);
  EXPECT_LT(BCIO_GetConfigParamStr("MOXSETTINGS\\Other", "ZEBPath", buffer, &size, nullptr), 0);
}

TEST_F(BrlConfig, ABufferTooSmallFailsAndTellsTheSizeNeeded) {
  ScopedEnv env("TIZ_SETTINGS_DIR", m_dir.string());
  const std::string expected = m_dir.string();
  char buffer[512];
  uint32_t size = static_cast<uint32_t>(expected.size());  // no room for the NUL
  EXPECT_LT(BCIO_GetConfigParamStr(kKeyPath, "ZEBPath", buffer, &size, nullptr), 0);
  EXPECT_EQ(size, expected.size() + 1);
  EXPECT_EQ(BCIO_GetConfigParamStr(kKeyPath, "zebpath", buffer, &size, nullptr), 0);
  EXPECT_EQ(std::string(buffer), expected);
}

TEST_F(BrlConfig, ADirectoryThatCannotBeMadeFails) {
  tiz_test::WriteFileText(m_dir / "file", "x");
  ScopedEnv trees("TIZ_PERSIST_DIR", (m_dir / "file" / "trees").string());
  ScopedEnv settings("TIZ_SETTINGS_DIR", (m_dir / "file" / "settings").string());
  ASSERT_EQ(BCIO_SetConfigParameterDest(kParameter, 2, "tree.ini"), 0);
  int32_t result = 0;
  Destination(&result);
  EXPECT_LT(result, 0);
  SettingsDirectory(&result);
  EXPECT_LT(result, 0);
}

#ifndef _WIN32
TEST_F(BrlConfig, UnsetVariablesFallBackToTheUsersDataDirectory) {
  ScopedEnv home("HOME", m_dir.string());
  ScopedEnv xdg("XDG_DATA_HOME", "");
  ScopedEnv trees("TIZ_PERSIST_DIR", "");
  ScopedEnv settings("TIZ_SETTINGS_DIR", "");
  ASSERT_EQ(BCIO_SetConfigParameterDest(kParameter, 2, "tree.ini"), 0);
  int32_t result = -1;
  fs::path data = m_dir / ".local" / "share" / "tiz";
  EXPECT_EQ(Destination(&result), (data / "trees" / "tree.ini").string());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(SettingsDirectory(&result), (data / "settings").string());
  EXPECT_EQ(result, 0);
  EXPECT_TRUE(fs::is_directory(data / "trees"));
  EXPECT_TRUE(fs::is_directory(data / "settings"));

  ScopedEnv xdgSet("XDG_DATA_HOME", (m_dir / "xdg").string());
  EXPECT_EQ(SettingsDirectory(&result), (m_dir / "xdg" / "tiz" / "settings").string());
}
#endif

}  // namespace
