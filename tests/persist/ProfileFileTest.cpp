// Profile files on disk: a save replaces the file in one step, so a failure
// or a crash at any step of it leaves a whole file.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "platform/FileSystem.h"
#include "tiz.h"

namespace {

namespace fs = std::filesystem;
using tiz::platform::File;
using tiz::platform::Files;
using tiz::platform::FileStatus;
using tiz::platform::FileSystem;

using tiz_test::ReadFileText;
using tiz_test::WriteFileText;

// Each case makes one step of the file layer fail.
struct FailingStep {
  const char *name;
  void (*inject)(FileSystem &files);
};

const FailingStep kSaveSteps[] = {
    {"createTemp",
     [](FileSystem &f) {
       f.createTemp = [](const char *, std::string *, File **) { return FileStatus::kFailed; };
     }},
    {"write",
     [](FileSystem &f) {
       f.write = [](File *, const void *, size_t) { return FileStatus::kFailed; };
     }},
    {"flush", [](FileSystem &f) { f.flush = [](File *) { return FileStatus::kFailed; }; }},
    {"close",
     [](FileSystem &f) {
       f.close = [](File *file) {
         tiz::platform::NativeFileSystem().close(file);
         return FileStatus::kFailed;
       };
     }},
    {"rename",
     [](FileSystem &f) {
       f.rename = [](const char *, const char *) { return FileStatus::kFailed; };
     }},
};

class ProfileFile : public ::testing::Test {
 protected:
  void TearDown() override { Files() = m_saved; }

  tiz_test::ScratchDirectory m_dir;
  FileSystem m_saved = Files();
};

TEST_F(ProfileFile, ReplaceWritesTheWholeTextAndLeavesNoTemporaryFile) {
  fs::path path = m_dir.Path("a.ini");
  WriteFileText(path, "old");
  ASSERT_EQ(tiz::platform::ReplaceFileAtomically(path.string().c_str(), "new text"),
            FileStatus::kOk);
  EXPECT_EQ(ReadFileText(path), "new text");
  EXPECT_EQ(m_dir.FileNames(), std::vector<std::string>{"a.ini"});
}

TEST_F(ProfileFile, AFailingStepOfAReplaceKeepsTheOldFile) {
  fs::path path = m_dir.Path("a.ini");
  for (const FailingStep &step : kSaveSteps) {
    WriteFileText(path, "old text");
    step.inject(Files());
    EXPECT_EQ(tiz::platform::ReplaceFileAtomically(path.string().c_str(), "new"),
              FileStatus::kFailed)
        << step.name;
    Files() = m_saved;
    EXPECT_EQ(ReadFileText(path), "old text") << step.name;
    // The temporary file is gone.
    EXPECT_EQ(m_dir.FileNames(), std::vector<std::string>{"a.ini"}) << step.name;
  }
  // The directory flush fails after the rename: the new file is in place.
  Files().syncDirectory = [](const char *) { return FileStatus::kFailed; };
  EXPECT_EQ(tiz::platform::ReplaceFileAtomically(path.string().c_str(), "new"),
            FileStatus::kFailed);
  EXPECT_EQ(ReadFileText(path), "new");
}

#if GTEST_HAS_DEATH_TEST
TEST_F(ProfileFile, ACrashDuringASaveLeavesAWholeFile) {
#ifdef _WIN32
  GTEST_SKIP() << "Windows has no fork: the crashing child re-runs the test with a scratch "
                  "directory of its own";
#endif
  // The crashing child must share this test's directory: fork, not re-run.
  GTEST_FLAG_SET(death_test_style, "fast");
  struct Crash {
    const char *name;
    void (*inject)(FileSystem &files);
    const char *survivor;
  };
  const Crash crashes[] = {
      {"halfway through the write",
       [](FileSystem &f) {
         f.write = [](File *file, const void *data, size_t size) {
           tiz::platform::NativeFileSystem().write(file, data, size / 2);
           std::_Exit(3);
           return FileStatus::kOk;
         };
       },
       "[Old]\r\nKey=1\r\n"},
      {"before the rename",
       [](FileSystem &f) {
         f.rename = [](const char *, const char *) {
           std::_Exit(3);
           return FileStatus::kOk;
         };
       },
       "[Old]\r\nKey=1\r\n"},
      {"after the rename",
       [](FileSystem &f) {
         f.syncDirectory = [](const char *) {
           std::_Exit(3);
           return FileStatus::kOk;
         };
       },
       nullptr},
  };
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  ASSERT_EQ(TIZ_SetSettingString(store, "Scan", "Name", std::string(100000, 'x').c_str()), 0);
  for (const Crash &crash : crashes) {
    WriteFileText(m_dir.Path("tree.ini"), "[Old]\r\nKey=1\r\n");
    EXPECT_EXIT(
        {
          crash.inject(Files());
          TIZ_Serialize(store, "tree.ini");
        },
        ::testing::ExitedWithCode(3), "")
        << crash.name;
    std::string text = ReadFileText(m_dir.Path("tree.ini"));
    if (crash.survivor) {
      EXPECT_EQ(text, crash.survivor) << crash.name;
    } else {
      EXPECT_EQ(text.substr(0, 14), "[Old]\r\nKey=1\r\n") << crash.name;
      EXPECT_NE(text.find(std::string(100000, 'x') + "\r\n"), std::string::npos) << crash.name;
    }
  }
  TIZ_Release(store);
}
#endif

}  // namespace
