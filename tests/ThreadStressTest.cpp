// Several threads on shared stores and on their own, plus record packing,
// all at once. Run under ThreadSanitizer in CI; here it checks that counts
// and values are consistent at the end and nothing deadlocks.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "talb310.h"
#include "tiz.h"

namespace {

constexpr int kThreads = 4;
constexpr int kRounds = 3000;

size_t LiveStores() {
  tiz::frame::LockScope lock;
  return tiz::StoreHandles::Instance().LiveCount();
}

TEST(ThreadStress, SharedAndPrivateStoresStayConsistent) {
  size_t liveBefore = LiveStores();
  uint32_t shared = 0, sharedChild = 0;
  ASSERT_EQ(TIZ_Create(&shared), 0);
  ASSERT_EQ(TIZ_Create(&sharedChild), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(shared, "Shared", "Child", sharedChild), 0);
  std::atomic<uint32_t> increments{0};

  auto worker = [&](int id) {
    std::mt19937 rng(static_cast<unsigned>(id));
    uint32_t own = 0;
    TIZ_Create(&own);
    std::string group = "Thread" + std::to_string(id);
    char text[64];
    for (int round = 0; round < kRounds; ++round) {
      switch (rng() % 8) {
        case 0: {
          // Read-modify-write under the caller's own reference: the counter
          // only stays exact because every call is serialised.
          uint32_t v = 0;
          TIZ_GetSettingDword(shared, group.c_str(), "Counter", &v);
          TIZ_SetSettingDword(shared, group.c_str(), "Counter", v + 1);
          increments.fetch_add(1);
          break;
        }
        case 1:
          TIZ_SetSettingString(sharedChild, "Text", group.c_str(), "shared text value");
          break;
        case 2: {
          uint32_t v = 0;
          TIZ_GetSettingDword(sharedChild, group.c_str(), "Counter", &v);  // via the parent
          break;
        }
        case 3: {
          uint32_t nested = 0;
          if (TIZ_GetSettingAttrStore(shared, "Shared", "Child", &nested) == 0) TIZ_Release(nested);
          break;
        }
        case 4: {
          // A child link displaced by another value is not torn down, so the
          // old bag is deleted first, as a pipeline stage does.
          std::string item = std::to_string(round % 7);
          TIZ_DeleteSetting(own, "Bags", item.c_str());
          uint32_t child = 0;
          TIZ_Create(&child);
          TIZ_SetSettingAttrStoreChild(own, "Bags", item.c_str(), child);
          TIZ_Release(child);
          TIZ_SetSettingImage(own, "Image", "Value", TALB_CreateImage(1, 2));
          break;
        }
        case 5: {
          char buffer[128] = "";
          UtilAttribute_Pack(buffer, sizeof buffer, "Scan", "Speed", 1, &round);
          uint32_t kind = 0, dword = 0;
          char g[16], i[16], s[16];
          UtilAttribute_UnpackOneAttribute(buffer, 0, sizeof g, g, i, &kind, &dword, s);
          break;
        }
        case 6:
          TIZ_DeleteSetting(own, "Bags", std::to_string(round % 7).c_str());
          break;
        default:
          TIZ_GetSettingString(sharedChild, "Text", group.c_str(), text, sizeof text);
          break;
      }
    }
    EXPECT_EQ(TIZ_Release(own), 0);
  };

  std::vector<std::thread> threads;
  for (int i = 0; i < kThreads; ++i) threads.emplace_back(worker, i);
  for (auto &t : threads) t.join();

  uint32_t total = 0;
  for (int i = 0; i < kThreads; ++i) {
    uint32_t v = 0;
    if (TIZ_GetSettingDword(shared, ("Thread" + std::to_string(i)).c_str(), "Counter", &v) == 0)
      total += v;
  }
  EXPECT_EQ(total, increments.load());
  tiz::CAttributeStore *s = tiz::LookupStore(shared);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->m_refCount, 2);  // its own and the child's
  TIZ_Release(sharedChild);
  EXPECT_EQ(TIZ_Release(shared), 0);
  EXPECT_EQ(LiveStores(), liveBefore);
}

TEST(ThreadStress, ControlExportsRaceWithCallsWithoutDataRace) {
  std::atomic<bool> stop{false};
  std::thread toggler([&] {
    for (int i = 0; i < 2000; ++i) {
      TIZ_InitLogging(0);
      TIZ_SetScanningThreadID(static_cast<uint32_t>(i));
    }
    stop = true;
  });
  uint32_t store = 0;
  ASSERT_EQ(TIZ_Create(&store), 0);
  while (!stop) TIZ_SetSettingImage(store, "Image", "Value", 0);
  toggler.join();
  TIZ_Release(store);
}

}  // namespace
