// Displaying a setting as text: the text of every type, the bounded copy
// into the caller's buffer, lookup through ancestors, structure callbacks.
#include <gtest/gtest.h>

#include <cfloat>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <future>
#include <new>
#include <string>
#include <thread>
#include <vector>

#include "AllocFailure.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/UserDefined.h"
#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

constexpr char kFill = '#';

struct Shown {
  int32_t result;
  std::string bytes;  // all of the buffer, marker bytes included
};

// Displays into a buffer pre-filled with a marker and 8 bytes longer than the
// length passed, so writes past the length show.
Shown Show(uint32_t h, const char *group, const char *item, int32_t len) {
  std::string buffer(static_cast<size_t>(len) + 8, kFill);
  int32_t result = TIZ_DisplayAttribute(h, group, item, buffer.data(), len);
  return {result, buffer};
}

// The buffer as it must read after `text` was copied into `len` bytes.
std::string Expected(const std::string &text, int32_t len) {
  std::string out = text.substr(0, static_cast<size_t>(len));
  out.resize(static_cast<size_t>(len), '\0');
  return out + std::string(8, kFill);
}

// The caller's data behind a display callback: what the callback saw, what
// it answers, and what it does while the library holds its lock.
struct Shower {
  int32_t answer = 0;
  const char *text = "mine";
  void *seenData = nullptr;
  char *seenBuffer = nullptr;
  int32_t seenLength = -1;
  int releases = 0;
  std::function<void()> during;
};

int32_t TIZ_API ShowShower(void *data, char *dest, int32_t len) {
  auto *shower = static_cast<Shower *>(data);
  shower->seenData = data;
  shower->seenBuffer = dest;
  shower->seenLength = len;
  if (shower->during) shower->during();
  std::snprintf(dest, static_cast<size_t>(len), "%s", shower->text);
  return shower->answer;
}

void TIZ_API ReleaseShower(void *data) { ++static_cast<Shower *>(data)->releases; }

class Display : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&m_store), 0); }
  void TearDown() override {
    if (tiz::LookupStore(m_store)) TIZ_Release(m_store);
  }
  tiz::CAttributeStore *Store() { return tiz::LookupStore(m_store); }
  tiz::CAttribute *Find(const char *group, const char *item) {
    return Store()->FindAttribute(tiz::ComposeKey(group, item));
  }
  void ExpectText(const char *group, const char *item, const std::string &text,
                  int32_t expectedResult = 0) {
    const int32_t len = 64;
    Shown shown = Show(m_store, group, item, len);
    EXPECT_EQ(shown.result, expectedResult);
    EXPECT_EQ(shown.bytes, Expected(text, len));
  }

  uint32_t m_store = 0;
  // The data of structures left in m_store must outlive its teardown.
  std::deque<Shower> m_showers;
};

TEST_F(Display, EveryTypeHasItsText) {
  struct Case {
    std::function<int32_t(uint32_t)> set;
    std::string text;
  };
  const std::vector<Case> cases = {
      {[](uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 0); }, "DWORD:\t0"},
      {[](uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", static_cast<uint32_t>(-5)); },
       "DWORD:\t-5"},
      {[](uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 4294967295u); }, "DWORD:\t-1"},
      {[](uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 0x80000000u); },
       "DWORD:\t-2147483648"},
      {[](uint32_t h) { return TIZ_SetSettingDouble(h, "g", "i", 1.5); }, "Double:\t1.500000"},
      {[](uint32_t h) { return TIZ_SetSettingDouble(h, "g", "i", -2.25); }, "Double:\t-2.250000"},
      {[](uint32_t h) { return TIZ_SetSettingDouble(h, "g", "i", 0.0000004); },
       "Double:\t0.000000"},
      {[](uint32_t h) { return TIZ_SetSettingDouble(h, "g", "i", 1e20); },
       "Double:\t100000000000000000000.000000"},
      {[](uint32_t h) { return TIZ_SetSettingString(h, "g", "i", "hello world"); },
       "String:\thello world"},
      {[](uint32_t h) { return TIZ_SetSettingString(h, "g", "i", ""); }, "String:\t"},
      {[](uint32_t h) { return TIZ_SetSettingBuffer(h, "g", "i", "0123456789", 10); },
       "Buffer:\t10 bytes"},
      {[](uint32_t h) { return TIZ_SetSettingBuffer(h, "g", "i", nullptr, 0); },
       "Buffer:\t0 bytes"},
      {[](uint32_t h) { return TIZ_SetSettingImage(h, "g", "i", TALB_CreateImage(1, 2)); },
       "Image"},
      {[](uint32_t h) { return TIZ_SetSettingStructure(h, "g", "i", &h, nullptr, nullptr); },
       "Unknown user defined type"},
      {[](uint32_t h) { return TIZ_SetSettingConfidenceStructure(h, "g", "i", 1, &h, nullptr); },
       "Unknown user defined type"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text);
    ASSERT_EQ(c.set(m_store), 0);
    ExpectText("g", "i", c.text);
  }
}

TEST_F(Display, UndefinedAndUnknownCodesAreUnknownAttributeType) {
  ASSERT_NE(tiz_test::FileBlankSetting(Store(), tiz::ComposeKey("g", "fresh")), nullptr);
  tiz::CAttribute *odd = tiz_test::FileBlankSetting(Store(), tiz::ComposeKey("g", "odd"));
  ASSERT_NE(odd, nullptr);
  odd->m_type = 99;
  ExpectText("g", "fresh", "Unknown attribute type");
  ExpectText("g", "odd", "Unknown attribute type");
}

TEST_F(Display, DoubleShowsAllItsDigits) {
  ASSERT_EQ(TIZ_SetSettingDouble(m_store, "g", "i", -DBL_MAX), 0);
  char expected[400];
  std::snprintf(expected, sizeof expected, "Double:\t%f", -DBL_MAX);
  ASSERT_GT(std::strlen(expected), 300u);
  std::vector<char> buffer(400, kFill);
  EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "i", buffer.data(), 400), 0);
  EXPECT_STREQ(buffer.data(), expected);
}

TEST_F(Display, NestedStoresShowTheirPathNames) {
  uint32_t child = 0, grandchild = 0, plain = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_Create(&grandchild), 0);
  ASSERT_EQ(TIZ_Create(&plain), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "a", "b", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "c", "", grandchild), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_store, "p", "q", plain), 0);
  TIZ_Release(grandchild);
  TIZ_Release(child);

  ExpectText("a", "b",
             "AttributeStore:\tRoot\x7F"
             "a\x7F"
             "b");
  ExpectText("p", "q", "AttributeStore:\tRoot\x7Fp\x7Fq");
  Shown shown = Show(child, "c", "Value", 64);
  EXPECT_EQ(shown.result, 0);
  EXPECT_EQ(shown.bytes, Expected("AttributeStore:\tRoot\x7F"
                                  "a\x7F"
                                  "b\x7F"
                                  "c\x7FValue",
                                  64));
  // The grandchild reaches its grandparent's setting.
  shown = Show(grandchild, "p", "q", 64);
  EXPECT_EQ(shown.result, 1);
  EXPECT_EQ(shown.bytes, Expected("AttributeStore:\tRoot\x7Fp\x7Fq", 64));

  // A plainly linked store released by its owner leaves no name to show.
  ASSERT_EQ(TIZ_Release(plain), 0);
  ExpectText("p", "q", "AttributeStore:\t");
}

// "DWORD:\t123456" is 13 characters: it fits only with 14 bytes or more.
TEST_F(Display, TextIsCutToTheBufferLength) {
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "i", 123456), 0);
  const std::string text = "DWORD:\t123456";
  for (int32_t len : {0, 1, 10, 12, 13, 14, 15, 40}) {
    SCOPED_TRACE(len);
    Shown shown = Show(m_store, "g", "i", len);
    EXPECT_EQ(shown.result, len > 13 ? 0 : TIZ_TRUNCATED_DISPLAY);
    EXPECT_EQ(shown.bytes, Expected(text, len));
  }
}

TEST_F(Display, AncestorsAreSearchedAndMissesLeaveTheBuffer) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "a", "b", child), 0);
  TIZ_Release(child);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "g", "i", "parent"), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "g", "", "unnamed"), 0);

  Shown shown = Show(child, "g", "i", 20);
  EXPECT_EQ(shown.result, 1);
  EXPECT_EQ(shown.bytes, Expected("String:\tparent", 20));
  shown = Show(child, "g", "i", 5);  // cut wherever it was found
  EXPECT_EQ(shown.result, TIZ_TRUNCATED_DISPLAY);
  EXPECT_EQ(shown.bytes, Expected("String:\tparent", 5));

  // An empty or null item names the item "Value".
  for (const char *item : {static_cast<const char *>(nullptr), "", "Value"}) {
    shown = Show(child, "g", item, 20);
    EXPECT_EQ(shown.result, 1);
    EXPECT_EQ(shown.bytes, Expected("String:\tunnamed", 20));
  }

  shown = Show(child, "g", "missing", 20);
  EXPECT_EQ(shown.result, 2);
  EXPECT_EQ(shown.bytes, std::string(28, kFill));
}

TEST_F(Display, BadArgumentsAndHandles) {
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "i", 1), 0);
  uint32_t reportsBefore = ORV_GetLastReport(nullptr, 0);
  for (const char *group : {static_cast<const char *>(nullptr), ""}) {
    Shown shown = Show(m_store, group, "i", 20);
    EXPECT_EQ(shown.result, TIZ_E_INVALID_ARG);
    EXPECT_EQ(shown.bytes, std::string(28, kFill));
  }
  EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "i", nullptr, 20), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "missing", nullptr, 20), TIZ_E_INVALID_ARG);
  char buffer[8] = "#######";
  EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "i", buffer, -1), TIZ_E_INVALID_ARG);
  EXPECT_STREQ(buffer, "#######");

  uint32_t dead = 0;
  ASSERT_EQ(TIZ_Create(&dead), 0);
  TIZ_Release(dead);
  for (uint32_t h : {0u, dead, 0x12345678u}) {
    Shown shown = Show(h, "g", "i", 20);
    EXPECT_EQ(shown.result, 0);
    EXPECT_EQ(shown.bytes, std::string(28, kFill));
  }
  EXPECT_EQ(ORV_GetLastReport(nullptr, 0), reportsBefore);
}

TEST_F(Display, StructureCallbackFillsTheBufferAndGivesTheResult) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "a", "b", child), 0);
  TIZ_Release(child);
  Shower &shower = m_showers.emplace_back();
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &shower, ReleaseShower, ShowShower), 0);

  // From this store the callback's answer is the result; from an ancestor
  // only a 0 becomes 1.
  for (int32_t answer : {0, 3, 42, -7}) {
    SCOPED_TRACE(answer);
    shower.answer = answer;
    char buffer[16];
    EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "i", buffer, 16), answer);
    EXPECT_EQ(shower.seenData, &shower);
    EXPECT_EQ(shower.seenBuffer, buffer);
    EXPECT_EQ(shower.seenLength, 16);
    EXPECT_STREQ(buffer, "mine");
    EXPECT_EQ(TIZ_DisplayAttribute(child, "g", "i", buffer, 16), answer == 0 ? 1 : answer);
  }
  EXPECT_EQ(shower.releases, 0);
}

TEST_F(Display, StructureWithoutCallbackShowsTheBuiltInText) {
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &data, nullptr, nullptr), 0);
  const std::string text = "Unknown user defined type";
  for (int32_t len : {0, 10, 25, 26, 30}) {
    SCOPED_TRACE(len);
    Shown shown = Show(m_store, "g", "i", len);
    EXPECT_EQ(shown.result, len >= 26 ? 0 : TIZ_TRUNCATED_DISPLAY);
    EXPECT_EQ(shown.bytes, Expected(text, len));
  }
  // The same rule straight from the structure.
  tiz::CUserDefined bare(&data, nullptr, nullptr);
  char buffer[26];
  EXPECT_EQ(bare.DisplayStructure(buffer, 26), 0);
  EXPECT_STREQ(buffer, text.c_str());
  EXPECT_EQ(bare.DisplayStructure(buffer, 25), TIZ_TRUNCATED_DISPLAY);
}

// A structure read back from a tree file holds no object of this process:
// it shows as the empty text, and its stale pointer is never followed.
TEST_F(Display, LoadedStructureShowsTheEmptyText) {
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "inert", &data, nullptr, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "empty", &data, nullptr, nullptr), 0);
  tiz::CAttribute *inert = Find("g", "inert");
  delete inert->m_value.structure;
  inert->m_value.raw = 0x0BADF00D;  // an address from another process
  inert->m_inert = true;
  tiz::CAttribute *empty = Find("g", "empty");
  delete empty->m_value.structure;
  empty->m_value.structure = nullptr;

  for (const char *item : {"inert", "empty"}) {
    SCOPED_TRACE(item);
    Shown shown = Show(m_store, "g", item, 6);
    EXPECT_EQ(shown.result, 0);
    EXPECT_EQ(shown.bytes, Expected("", 6));
    shown = Show(m_store, "g", item, 0);
    EXPECT_EQ(shown.result, TIZ_TRUNCATED_DISPLAY);
    EXPECT_EQ(shown.bytes, Expected("", 0));
  }
}

TEST_F(Display, StructureCallbackMayCallBackIntoTheLibrary) {
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "n", 77), 0);
  Shower &shower = m_showers.emplace_back();
  std::string read;
  shower.during = [&] {
    char text[32];
    ASSERT_EQ(TIZ_DisplayAttribute(m_store, "g", "n", text, 32), 0);
    read = text;
    uint32_t value = 0;
    ASSERT_EQ(TIZ_GetSettingDword(m_store, "g", "n", &value), 0);
    ASSERT_EQ(value, 77u);
  };
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &shower, ReleaseShower, ShowShower), 0);
  char buffer[16];
  EXPECT_EQ(TIZ_DisplayAttribute(m_store, "g", "i", buffer, 16), 0);
  EXPECT_EQ(read, "DWORD:\t77");
  EXPECT_STREQ(buffer, "mine");
}

// The callback may even remove the structure being displayed, or destroy the
// store: the display reads nothing of either afterwards.
TEST_F(Display, StructureCallbackMayRemoveItsOwnSettingOrStore) {
  struct Case {
    const char *name;
    std::function<void(uint32_t)> during;
  };
  const Case cases[] = {
      {"value replaced", [](uint32_t h) { TIZ_SetSettingDword(h, "g", "i", 1); }},
      {"store released", [](uint32_t h) { TIZ_Release(h); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    Shower shower;
    shower.answer = 0;
    shower.during = [&] { c.during(h); };
    ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "i", &shower, ReleaseShower, ShowShower), 0);
    char buffer[16];
    EXPECT_EQ(TIZ_DisplayAttribute(h, "g", "i", buffer, 16), 0);
    EXPECT_STREQ(buffer, "mine");
    EXPECT_EQ(shower.releases, 1);
    if (tiz::LookupStore(h)) TIZ_Release(h);
  }
}

int32_t TIZ_API ShowByThrowing(void *, char *, int32_t) { throw std::bad_alloc(); }

// True when another thread gets into the library at once, that is when this
// thread does not hold the lock any more.
bool LockIsFree(uint32_t h) {
  auto answer = std::make_shared<std::promise<int32_t>>();
  std::future<int32_t> other = answer->get_future();
  std::thread([answer, h] {
    uint32_t value = 0;
    answer->set_value(TIZ_GetSettingDword(h, "g", "n", &value));
  }).detach();
  return other.wait_for(std::chrono::seconds(10)) == std::future_status::ready;
}

// Whatever goes wrong inside (exhausted memory while composing a long key,
// an exception out of a caller's callback), the display reports nothing,
// does not pass for success, leaves the buffer alone and frees the lock.
TEST_F(Display, FailureInsideReportsNothingAndFreesTheLock) {
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &data, nullptr, ShowByThrowing), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "n", 9), 0);
  const std::string longGroup(600, 'g');  // longer than any key buffer
  uint32_t reportsBefore = ORV_GetLastReport(nullptr, 0);

  Shown shown = Show(m_store, "g", "i", 16);
  EXPECT_EQ(shown.result, TIZ_E_NO_MEMORY_LINE);
  EXPECT_EQ(ORV_GetLastReport(nullptr, 0), reportsBefore);
  EXPECT_TRUE(LockIsFree(m_store));
  // The lookup composes no key, so even a very long name needs no memory.
  std::string buffer(24, kFill);
  {
    tiz_test::ScopedAllocationFailure failure(0);
    shown.result = TIZ_DisplayAttribute(m_store, longGroup.c_str(), "i", buffer.data(), 16);
  }
  EXPECT_FALSE(tiz_test::AllocationFailed());
  EXPECT_EQ(shown.result, 2);
  EXPECT_EQ(buffer, std::string(24, kFill));
}

}  // namespace
