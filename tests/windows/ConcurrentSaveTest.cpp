// Several Windows processes saving into one tree file at once: each save
// reads, adds to and replaces the file under the file's lock (LockFileEx on
// a lock file beside it), so no process overwrites what another one saved.
// The saving processes are this program, started again with the variable
// below set: it then saves before any test runs and exits.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "PersistPath.h"
#include "tiz.h"

namespace {

constexpr int kProcesses = 8;
constexpr int kSaves = 20;
const char kSaverVariable[] = "TIZ_WINDOWS_TEST_SAVER";  // "INDEX FILE EVENT"

// The saving process: waits for the start signal, saves kSaves settings of
// its own, one save each, and exits with 0 when every save succeeded. Index
// -1 saves back to back instead, one growing store, until it is ended.
struct SaverProcess {
  SaverProcess() {
    const char *job = std::getenv(kSaverVariable);
    if (!job || !*job) return;
    int index = 0;
    char file[128] = {}, event[128] = {};
    if (std::sscanf(job, "%d %127s %127s", &index, file, event) != 3) ExitProcess(2);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event);
    if (!go || WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) ExitProcess(3);
    if (index < 0) SaveBackToBack(file);
    for (int i = 0; i < kSaves; ++i) {
      uint32_t store = 0;
      if (TIZ_Create(&store) != 0) ExitProcess(4);
      std::string group = "Process" + std::to_string(index), item = "Save" + std::to_string(i);
      TIZ_SetSettingDword(store, group.c_str(), item.c_str(), index * 1000 + i);
      int32_t result = TIZ_Serialize(store, file);
      TIZ_Release(store);
      if (result != 0) ExitProcess(5);
    }
    ExitProcess(0);
  }

  static void SaveBackToBack(const char *file) {
    uint32_t store = 0;
    if (TIZ_Create(&store) != 0) ExitProcess(4);
    for (int i = 0;; ++i) {
      std::string item = "Save" + std::to_string(i);
      TIZ_SetSettingDword(store, "Saver", item.c_str(), i);
      if (TIZ_Serialize(store, file) != 0) ExitProcess(5);
    }
  }
} g_saverProcess;

// Starts this program again as a saving process with the given job.
HANDLE StartSaver(const std::string &job) {
  char self[MAX_PATH] = {};
  if (GetModuleFileNameA(nullptr, self, sizeof self) == 0) return nullptr;
  SetEnvironmentVariableA(kSaverVariable, job.c_str());
  std::string commandLine = std::string("\"") + self + "\"";
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  BOOL started = CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                &startup, &process);
  SetEnvironmentVariableA(kSaverVariable, nullptr);
  if (!started) return nullptr;
  CloseHandle(process.hThread);
  return process.hProcess;
}

TEST(WinConcurrentSave, EightProcessesSavingOneFileKeepEverySetting) {
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string file = "ConcurrentSave" + tag + ".ini";
  const std::string path = PersistPathOf(file);
  DeleteFileA(path.c_str());
  const std::string eventName = "tiz-concurrent-save-" + tag;
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(go, nullptr);

  std::vector<HANDLE> children;
  for (int p = 0; p < kProcesses; ++p) {
    HANDLE child = StartSaver(std::to_string(p) + " " + file + " " + eventName);
    ASSERT_NE(child, nullptr) << "CreateProcess failed: " << GetLastError();
    children.push_back(child);
  }
  // All start saving at once, so their saves overlap as much as they can.
  SetEvent(go);
  for (HANDLE child : children) {
    EXPECT_EQ(WaitForSingleObject(child, 120000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(child, &code);
    EXPECT_EQ(code, 0u) << "a saving process failed";
    CloseHandle(child);
  }
  CloseHandle(go);

  uint32_t loaded = 0;
  ASSERT_EQ(TIZ_Create(&loaded), 0);
  ASSERT_EQ(TIZ_Deserialize(loaded, file.c_str()), 0);
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
  // The lock file goes with the last handle to it.
  EXPECT_EQ(GetFileAttributesA((path + ".lock").c_str()), INVALID_FILE_ATTRIBUTES);
  DeleteFileA(path.c_str());
}

// One process saves back to back while this one loads: a load waits for
// the save in progress (Windows cannot replace a file a reader has open),
// never for the saves queued behind it, and always finds a whole file. The
// bound is far above a save's time and far below the lock's 30 s wait.
TEST(WinConcurrentSave, ALoadDuringBackToBackSavesWaitsForNoneOfThem) {
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string file = "BusySave" + tag + ".ini";
  const std::string path = PersistPathOf(file);
  DeleteFileA(path.c_str());
  const std::string eventName = "tiz-busy-save-" + tag;
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(go, nullptr);
  HANDLE saver = StartSaver("-1 " + file + " " + eventName);
  ASSERT_NE(saver, nullptr) << "CreateProcess failed: " << GetLastError();
  SetEvent(go);
  while (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES &&
         WaitForSingleObject(saver, 10) == WAIT_TIMEOUT) {
  }
  DWORD longest = 0;
  for (int load = 0; load < 20; ++load) {
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    const DWORD start = GetTickCount();
    EXPECT_EQ(TIZ_Deserialize(store, file.c_str()), 0);
    longest = std::max<DWORD>(longest, GetTickCount() - start);
    int count = 0;
    for (uint32_t value = 0;
         TIZ_GetSettingDword(store, "Saver", ("Save" + std::to_string(count)).c_str(), &value) == 0;
         ++count)
      EXPECT_EQ(value, static_cast<uint32_t>(count));
    EXPECT_GT(count, 0);
    TIZ_Release(store);
  }
  EXPECT_EQ(WaitForSingleObject(saver, 0), WAIT_TIMEOUT) << "the saving process failed";
  TerminateProcess(saver, 0);
  WaitForSingleObject(saver, 10000);
  CloseHandle(saver);
  CloseHandle(go);
  EXPECT_LT(longest, 5000u);
  // A save clears the ended process's temporary file.
  uint32_t empty = 0;
  ASSERT_EQ(TIZ_Create(&empty), 0);
  EXPECT_EQ(TIZ_Serialize(empty, file.c_str()), 0);
  TIZ_Release(empty);
  DeleteFileA(path.c_str());
}

}  // namespace
