// Several Windows processes saving into one tree file at once: each save
// reads, adds to and replaces the file under the file's lock (LockFileEx on
// a lock file beside it), so no process overwrites what another one saved.
// The saving processes are this program, started again with the variable
// below set: it then saves before any test runs and exits.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "brlconfigio.h"
#include "tiz.h"

namespace {

constexpr int kProcesses = 8;
constexpr int kSaves = 20;
const char kSaverVariable[] = "TIZ_WINDOWS_TEST_SAVER";  // "INDEX FILE EVENT"

// The saving process: waits for the start signal, saves kSaves settings of
// its own, one save each, and exits with 0 when every save succeeded.
struct SaverProcess {
  SaverProcess() {
    const char *job = std::getenv(kSaverVariable);
    if (!job || !*job) return;
    int index = 0;
    char file[128] = {}, event[128] = {};
    if (std::sscanf(job, "%d %127s %127s", &index, file, event) != 3) ExitProcess(2);
    HANDLE go = OpenEventA(SYNCHRONIZE, FALSE, event);
    if (!go || WaitForSingleObject(go, 60000) != WAIT_OBJECT_0) ExitProcess(3);
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
} g_saverProcess;

// The full path the library gives a tree file of this name.
std::string PathOf(const std::string &fileName) {
  BCIO_SetConfigParameterDest("ATTRIBUTESTORE\\BAGSETTINGSPERSIST", 2, fileName.c_str());
  uint32_t reserved = 0;
  char configured[260] = {};
  uint32_t size = sizeof configured;
  BCIO_GetConfigParameterDest("ATTRIBUTESTORE\\BAGSETTINGSPERSIST", &reserved, configured, &size);
  return configured;
}

TEST(WinConcurrentSave, EightProcessesSavingOneFileKeepEverySetting) {
  const std::string tag = std::to_string(GetCurrentProcessId());
  const std::string file = "ConcurrentSave" + tag + ".ini";
  const std::string path = PathOf(file);
  DeleteFileA(path.c_str());
  const std::string eventName = "tiz-concurrent-save-" + tag;
  HANDLE go = CreateEventA(nullptr, TRUE, FALSE, eventName.c_str());
  ASSERT_NE(go, nullptr);
  char self[MAX_PATH] = {};
  ASSERT_NE(GetModuleFileNameA(nullptr, self, sizeof self), 0u);

  std::vector<HANDLE> children;
  for (int p = 0; p < kProcesses; ++p) {
    std::string job = std::to_string(p) + " " + file + " " + eventName;
    SetEnvironmentVariableA(kSaverVariable, job.c_str());
    std::string commandLine = std::string("\"") + self + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    BOOL started = CreateProcessA(self, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                                  nullptr, &startup, &process);
    SetEnvironmentVariableA(kSaverVariable, nullptr);
    ASSERT_TRUE(started) << "CreateProcess failed: " << GetLastError();
    CloseHandle(process.hThread);
    children.push_back(process.hProcess);
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

}  // namespace
