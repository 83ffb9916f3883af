// tiz.dll as the product's processes use it: loaded by the Windows loader,
// its functions found under their decorated stdcall names (plain names in the
// 64-bit variant, which has no decoration), its ordinal imports bound to the
// host libraries, and the callers' stdcall callbacks called back across the
// DLL boundary.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

class WinDll : public ::testing::Test {
 protected:
  void SetUp() override {
    m_module = LoadLibraryA("tiz.dll");
    ASSERT_NE(m_module, nullptr) << "LoadLibrary failed: " << GetLastError();
  }
  void TearDown() override {
    if (m_module) FreeLibrary(m_module);
  }
  template <class Fn>
  Fn Find(const char *name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void *>(GetProcAddress(m_module, name)));
  }
  HMODULE m_module = nullptr;
};

#ifdef _WIN64
constexpr bool kDecorated = false;
#else
constexpr bool kDecorated = true;
#endif

// The name a caller's import of `name` (taking `bytes` of arguments) uses.
std::string ExportName(const std::string &name, int bytes) {
  return kDecorated ? "_" + name + "@" + std::to_string(bytes) : name;
}

TEST_F(WinDll, FunctionsAreFoundOnlyUnderTheirExportNames) {
  using CreateFn = int32_t(__stdcall *)(uint32_t *);
  using SetDwordFn = int32_t(__stdcall *)(uint32_t, const char *, const char *, uint32_t);
  using GetDwordFn = int32_t(__stdcall *)(uint32_t, const char *, const char *, uint32_t *);
  using ReleaseFn = int32_t(__stdcall *)(uint32_t);
  auto create = Find<CreateFn>(ExportName("TIZ_Create", 4).c_str());
  auto setDword = Find<SetDwordFn>(ExportName("TIZ_SetSettingDword", 16).c_str());
  auto getDword = Find<GetDwordFn>(ExportName("TIZ_GetSettingDword", 16).c_str());
  auto release = Find<ReleaseFn>(ExportName("TIZ_Release", 4).c_str());
  ASSERT_TRUE(create && setDword && getDword && release);
  for (const char *other : {"TIZ_Create", "TIZ_Create@4", "_TIZ_Create", "_TIZ_Create@4"}) {
    if (other != ExportName("TIZ_Create", 4)) {
      EXPECT_EQ(GetProcAddress(m_module, other), nullptr) << other;
    }
  }

  uint32_t store = 0;
  ASSERT_EQ(create(&store), 0);
  EXPECT_EQ(setDword(store, "scan_duplex", "Attribute.Value", 0xDEADBEEF), 0);
  uint32_t value = 0;
  EXPECT_EQ(getDword(store, "scan_duplex", "Attribute.Value", &value), 0);
  EXPECT_EQ(value, 0xDEADBEEFu);
  EXPECT_EQ(release(store), 0);
}

// The store releases its images through TALB310.dll ordinal 6: the stand-in
// sees the release, so the ordinal import is bound to the right function.
TEST_F(WinDll, ImagesAreReleasedThroughTheImageLibraryOrdinal) {
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  uint32_t image = TALB_CreateImage(300, 200);
  ASSERT_NE(image, 0u);
  ASSERT_EQ(TIZ_SetSettingImage(store, "Current.ImageStore", "Image", image), 0);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  ASSERT_EQ(TIZ_Release(store), 0);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
}

// An exception inside the DLL (here: a copy larger than a 32-bit process can
// hold) is reported through ORV310.dll ordinal 551, whose answer the export
// returns.
TEST_F(WinDll, ExceptionsAreReportedThroughTheSupportLibraryOrdinal) {
  if (!kDecorated)
    GTEST_SKIP() << "a 64-bit process can hold a copy of any 32-bit length, so no export "
                    "runs out of memory on demand here; check-imports.sh checks the ordinal";
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  const uint32_t reportsBefore = ORV_GetLastReport(nullptr, 0);
  ORV_SetReportResult(-77);
  static const char data[16] = {};
  EXPECT_EQ(TIZ_SetSettingBuffer(store, "Group", "Item", data, 0xF0000000u), -77);
  ORV_SetReportResult(-1);
  char report[128] = {};
  EXPECT_EQ(ORV_GetLastReport(report, sizeof report), reportsBefore + 1);
  EXPECT_STREQ(report, "Catch in TIZ.DLL : TIZ_SetSettingBuffer\r\n");
  // The lock was given back: the store still answers.
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(store, "Group", "Item", &type), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_Release(store), 0);
}

struct CallbackLog {
  int releases = 0;
  void *releasedData = nullptr;
  int displays = 0;
};
CallbackLog g_log;
int g_payload = 42;

void __stdcall ReleaseStructure(void *data) {
  ++g_log.releases;
  g_log.releasedData = data;
}

int32_t __stdcall DisplayStructure(void *data, char *dest, int32_t len) {
  ++g_log.displays;
  lstrcpynA(dest, data == &g_payload ? "payload" : "other", len);
  return 7;
}

// A convention mismatch would unbalance the stack on the first callback.
TEST_F(WinDll, StructureCallbacksAreCalledAsStdcall) {
  g_log = CallbackLog{};
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(store, "Group", "Item", &g_payload, &ReleaseStructure,
                                    &DisplayStructure),
            0);
  char text[64] = {};
  // The callback's own result and text come back unchanged.
  EXPECT_EQ(TIZ_DisplayAttribute(store, "Group", "Item", text, sizeof text), 7);
  EXPECT_EQ(g_log.displays, 1);
  EXPECT_STREQ(text, "payload");
  EXPECT_EQ(g_log.releases, 0);
  ASSERT_EQ(TIZ_Release(store), 0);
  EXPECT_EQ(g_log.releases, 1);
  EXPECT_EQ(g_log.releasedData, &g_payload);
}

}  // namespace
