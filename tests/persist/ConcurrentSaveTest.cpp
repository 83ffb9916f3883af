// Several processes saving into one tree file: each save reads the file,
// adds its sections and replaces the file under the file's lock, so no
// process overwrites what another one saved, and a process that dies while
// it holds the lock blocks no one. Loads wait for none of the saves.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

#ifndef _WIN32
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "platform/FileSystem.h"
#include "tiz.h"

namespace {

#ifndef _WIN32

using tiz::platform::File;
using tiz::platform::Files;
using tiz::platform::FileStatus;

// Runs `body` in a child process; the child's exit code is body's result.
template <typename Body>
pid_t Spawn(Body body) {
  pid_t child = fork();
  if (child == 0) _exit(body());
  return child;
}

// Starts a process that saves `group`=`value` into "tree.ini" and stops in
// the save's first write, holding the file's lock, until it is killed; back
// once the write has begun. -1 when the process could not be started.
pid_t SpawnSaveStuckInItsWrite(const char *group, uint32_t value) {
  int stuck[2];
  if (pipe(stuck) != 0) return -1;
  pid_t child = Spawn([&] {
    close(stuck[0]);
    static int readyFd;
    readyFd = stuck[1];
    Files().write = [](File *, const void *, size_t) {
      char ready = 1;
      if (::write(readyFd, &ready, 1) != 1) _exit(5);
      for (;;) pause();
      return FileStatus::kFailed;
    };
    uint32_t store = 0;
    TIZ_Create(&store);
    TIZ_SetSettingDword(store, group, "Value", value);
    TIZ_Serialize(store, "tree.ini");
    return 6;
  });
  close(stuck[1]);
  char ready = 0;
  if (child > 0 && read(stuck[0], &ready, 1) != 1) {
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    child = -1;
  }
  close(stuck[0]);
  return child;
}

int ExitCodeOf(pid_t child) {
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
  return WEXITSTATUS(status);
}

TEST(ConcurrentSave, EightProcessesSavingOneFileKeepEverySetting) {
  constexpr int kProcesses = 8, kSaves = 20;
  tiz_test::ScratchDirectory dir;
  // Every child waits at the pipe until all have started, so their saves
  // overlap as much as they can.
  int start[2];
  ASSERT_EQ(pipe(start), 0);
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    children.push_back(Spawn([&, p] {
      close(start[1]);
      char go;
      if (read(start[0], &go, 1) != 0) return 2;
      for (int i = 0; i < kSaves; ++i) {
        uint32_t store = 0;
        if (TIZ_Create(&store) != 0) return 3;
        std::string group = "Process" + std::to_string(p), item = "Save" + std::to_string(i);
        TIZ_SetSettingDword(store, group.c_str(), item.c_str(), p * 1000 + i);
        int32_t result = TIZ_Serialize(store, "shared.ini");
        TIZ_Release(store);
        if (result != 0) return 4;
      }
      return 0;
    }));
    ASSERT_GT(children.back(), 0);
  }
  close(start[0]);
  close(start[1]);
  for (pid_t child : children) EXPECT_EQ(ExitCodeOf(child), 0);

  uint32_t loaded = 0;
  ASSERT_EQ(TIZ_Create(&loaded), 0);
  ASSERT_EQ(TIZ_Deserialize(loaded, "shared.ini"), 0);
  int kept = 0;
  for (int p = 0; p < kProcesses; ++p) {
    for (int i = 0; i < kSaves; ++i) {
      std::string group = "Process" + std::to_string(p), item = "Save" + std::to_string(i);
      uint32_t value = 0;
      if (TIZ_GetSettingDword(loaded, group.c_str(), item.c_str(), &value) == 0 &&
          value == static_cast<uint32_t>(p * 1000 + i))
        ++kept;
    }
  }
  EXPECT_EQ(kept, kProcesses * kSaves);
  TIZ_Release(loaded);
  // The lock file goes with the last save; no temporary file stays.
  EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"shared.ini"});
}

// A save stuck in its write holds the lock until it is killed; the next save
// then takes the lock at once and clears the dead save's temporary file.
TEST(ConcurrentSave, AProcessKilledHoldingTheLockBlocksNoOne) {
  tiz_test::ScratchDirectory dir;
  pid_t child = SpawnSaveStuckInItsWrite("Lost", 1);
  ASSERT_GT(child, 0);
  std::vector<std::string> during = dir.FileNames();
  ASSERT_EQ(during.size(), 2u);  // the lock file and the temporary file
  EXPECT_EQ(during[0], "tree.ini.lock");
  EXPECT_EQ(during[1].rfind("tree.ini.tmp" + std::to_string(child) + "-", 0), 0u) << during[1];
  kill(child, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);

  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store, "Kept", "Value", 2), 0);
  EXPECT_EQ(TIZ_Serialize(store, "tree.ini"), 0);
  TIZ_Release(store);
  EXPECT_EQ(dir.FileNames(), std::vector<std::string>{"tree.ini"});
  ASSERT_EQ(TIZ_Create(&store), 0);
  EXPECT_EQ(TIZ_Deserialize(store, "tree.ini"), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(store, "Kept", "Value", &value), 0);
  EXPECT_EQ(value, 2u);
  TIZ_Release(store);
}

// One process saves back to back, each save of a few thousand settings
// growing the file by one more, so that it holds the lock nearly all the
// time, while this one loads: every load finds a whole file (every setting
// of one save, in order) and waits at most for the save in progress, never
// for the stream of saves behind it. The bound is far above a save's time
// and far below the lock's 30 s wait.
TEST(ConcurrentSave, ALoadDuringBackToBackSavesWaitsForNoneOfThem) {
  // Loads go on until they have seen this many saves go by.
  constexpr int kSavesSeen = 40, kBulk = 4000;
  tiz_test::ScratchDirectory dir;
  int running[2];
  ASSERT_EQ(pipe(running), 0);
  pid_t saver = Spawn([&] {
    close(running[0]);
    uint32_t store = 0;
    if (TIZ_Create(&store) != 0) return 3;
    for (int i = 0; i < kBulk; ++i)
      TIZ_SetSettingString(store, "Bulk", ("Item" + std::to_string(i)).c_str(), "some text");
    for (int i = 0;; ++i) {
      std::string item = "Save" + std::to_string(i);
      TIZ_SetSettingDword(store, "Saver", item.c_str(), i);
      if (TIZ_Serialize(store, "busy.ini") != 0) return 4;
      if (i == 0 && write(running[1], "1", 1) != 1) return 5;
    }
  });
  ASSERT_GT(saver, 0);
  close(running[1]);
  char started = 0;
  ASSERT_EQ(read(running[0], &started, 1), 1);
  close(running[0]);
  auto longest = std::chrono::steady_clock::duration::zero();
  int loads = 0;
  for (int seen = 0; seen < kSavesSeen && loads < 100000; ++loads) {
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    const auto start = std::chrono::steady_clock::now();
    const int32_t result = TIZ_Deserialize(store, "busy.ini");
    longest = std::max(longest, std::chrono::steady_clock::now() - start);
    EXPECT_EQ(result, 0);
    // A whole file: Save0 to SaveN, each with its own number.
    int count = 0;
    for (uint32_t value = 0;
         TIZ_GetSettingDword(store, "Saver", ("Save" + std::to_string(count)).c_str(), &value) == 0;
         ++count)
      EXPECT_EQ(value, static_cast<uint32_t>(count));
    EXPECT_GT(count, 0);
    EXPECT_EQ(tiz_test::KeyCount(store), static_cast<size_t>(kBulk + count));
    TIZ_Release(store);
    seen = count;
  }
  kill(saver, SIGKILL);
  waitpid(saver, nullptr, 0);
  EXPECT_LT(longest, std::chrono::seconds(5)) << "the longest of " << loads << " loads";
}

// A save stuck while it holds the lock does not hold up a load: the load
// reads the file as the last finished save left it.
TEST(ConcurrentSave, ALoadDoesNotWaitForASaveStuckHoldingTheLock) {
  tiz_test::ScratchDirectory dir;
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  ASSERT_EQ(TIZ_SetSettingDword(store, "Before", "Value", 1), 0);
  ASSERT_EQ(TIZ_Serialize(store, "tree.ini"), 0);
  TIZ_Release(store);
  pid_t child = SpawnSaveStuckInItsWrite("During", 2);
  ASSERT_GT(child, 0);
  ASSERT_EQ(TIZ_Create(&store), 0);
  EXPECT_EQ(TIZ_Deserialize(store, "tree.ini"), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(store, "Before", "Value", &value), 0);
  EXPECT_EQ(TIZ_GetSettingDword(store, "During", "Value", &value), 2);
  TIZ_Release(store);
  kill(child, SIGKILL);
  waitpid(child, nullptr, 0);
}

#else
TEST(ConcurrentSave, EightProcessesSavingOneFileKeepEverySetting) {
  GTEST_SKIP() << "needs fork to run the saving processes";
}
#endif

}  // namespace
