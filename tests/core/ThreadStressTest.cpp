// Several threads on shared stores and on their own, plus record packing,
// all at once. Run under ThreadSanitizer in CI; here it checks that counts
// and values are consistent at the end and nothing deadlocks.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "LiveStores.h"
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
  return tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
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
  EXPECT_EQ(s->RefCount(), 2);  // its own and the child's
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

// Readers under the shared lock beside writers that replace, delete and
// re-create the same settings, in a child and in the parent it falls back
// to: a reader sees each value whole (a text of one repeated letter whose
// size matches it), never a torn or freed one.
TEST(ThreadStress, ReadersBesideWritersSeeWholeValues) {
  uint32_t parent = 0, child = 0;
  ASSERT_EQ(TIZ_Create(&parent), 0);
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "Bags", "Child", child), 0);
  TIZ_SetSettingString(parent, "Text", "Value", "aaaa");
  TIZ_SetSettingDword(parent, "Pair", "Value", 0);
  std::atomic<bool> stop{false};
  std::atomic<int> torn{0};

  auto writer = [&](int id) {
    std::mt19937 rng(static_cast<unsigned>(id));
    for (int round = 0; round < kRounds; ++round) {
      std::string text(1 + rng() % 60, static_cast<char>('a' + rng() % 26));
      uint32_t target = (rng() % 2) ? parent : child;
      switch (rng() % 4) {
        case 0:
          TIZ_SetSettingString(target, "Text", "Value", text.c_str());
          break;
        case 1:
          TIZ_DeleteSetting(target, "Text", "Value");
          break;
        case 2:
          TIZ_SetSettingDword(target, "Text", "Value", round);
          break;  // type change
        default:
          TIZ_SetSettingDword(parent, "Pair", "Value", round);
          break;
      }
    }
  };
  auto reader = [&]() {
    char text[64];
    while (!stop.load()) {
      int32_t r = TIZ_GetSettingString(child, "Text", "Value", text, sizeof text);
      if (r == 0 || r == TIZ_FOUND_IN_ANCESTOR) {
        for (size_t n = 1; text[n] != '\0'; ++n)
          if (text[n] != text[0]) ++torn;
      }
      uint32_t size = 0, v = 0;
      int32_t type = 0;
      TIZ_GetSettingSize(child, "Text", "Value", &size);
      TIZ_GetSettingType(child, "Text", "Value", &type);
      TIZ_GetSettingDword(child, "Pair", "Value", &v);
    }
  };
  std::vector<std::thread> readers, writers;
  for (int i = 0; i < 2; ++i) readers.emplace_back(reader);
  for (int i = 0; i < 2; ++i) writers.emplace_back(writer, i);
  for (auto &t : writers) t.join();
  stop = true;
  for (auto &t : readers) t.join();
  EXPECT_EQ(torn.load(), 0);
  TIZ_Release(child);
  EXPECT_EQ(TIZ_Release(parent), 0);
}

// A release callback runs inside an exclusive section and calls back into
// the library: a read-only getter (which must not wait for the section it
// runs in) and a setter, while other threads read the same store.
struct CallbackProbe {
  uint32_t store;
  std::atomic<int> calls{0};
  std::atomic<int> wrong{0};
};

void TIZ_API ReenteringRelease(void *data) {
  auto *probe = static_cast<CallbackProbe *>(data);
  uint32_t v = 0;
  if (TIZ_GetSettingDword(probe->store, "Fixed", "Value", &v) != 0 || v != 42) ++probe->wrong;
  char text[16];
  if (TIZ_GetSettingString(probe->store, "Name", "Value", text, sizeof text) != 0) ++probe->wrong;
  if (TIZ_SetSettingDword(probe->store, "Released", "Count", probe->calls.load() + 1) != 0)
    ++probe->wrong;
  ++probe->calls;
}

int32_t TIZ_API ReenteringDisplay(void *data, char *dest, int32_t len) {
  auto *probe = static_cast<CallbackProbe *>(data);
  uint32_t v = 0;
  if (TIZ_GetSettingDword(probe->store, "Fixed", "Value", &v) != 0 || v != 42) ++probe->wrong;
  std::snprintf(dest, static_cast<size_t>(len), "%u", v);
  return 0;
}

TEST(ThreadStress, CallbacksReenterBesideReaders) {
  CallbackProbe probe;
  ASSERT_EQ(TIZ_Create(&probe.store), 0);
  TIZ_SetSettingDword(probe.store, "Fixed", "Value", 42);
  TIZ_SetSettingString(probe.store, "Name", "Value", "scanner");
  std::atomic<bool> stop{false};
  std::atomic<int> wrongReads{0};
  auto reader = [&]() {
    while (!stop.load()) {
      uint32_t v = 0;
      if (TIZ_GetSettingDword(probe.store, "Fixed", "Value", &v) != 0 || v != 42) ++wrongReads;
      TIZ_GetSettingDword(probe.store, "Released", "Count", &v);
    }
  };
  std::vector<std::thread> readers;
  for (int i = 0; i < 2; ++i) readers.emplace_back(reader);
  constexpr int kStructures = 500;
  for (int round = 0; round < kStructures; ++round) {
    ASSERT_EQ(TIZ_SetSettingStructure(probe.store, "Shape", "Value", &probe, ReenteringRelease,
                                      ReenteringDisplay),
              0);
    char shown[32];
    EXPECT_GE(TIZ_DisplayAttribute(probe.store, "Shape", "Value", shown, sizeof shown), 0);
    // Overwriting or deleting releases the structure inside the section.
    if (round % 2)
      TIZ_SetSettingDword(probe.store, "Shape", "Value", 1);
    else
      TIZ_DeleteSetting(probe.store, "Shape", "Value");
  }
  stop = true;
  for (auto &t : readers) t.join();
  EXPECT_EQ(probe.calls.load(), kStructures);
  EXPECT_EQ(probe.wrong.load(), 0);
  EXPECT_EQ(wrongReads.load(), 0);
  uint32_t count = 0;
  EXPECT_EQ(TIZ_GetSettingDword(probe.store, "Released", "Count", &count), 0);
  EXPECT_EQ(count, static_cast<uint32_t>(kStructures));
  EXPECT_EQ(TIZ_Release(probe.store), 0);
}

}  // namespace
