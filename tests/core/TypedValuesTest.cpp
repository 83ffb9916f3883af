// Typed settings through the C interface: every type read back with its
// size and confidence, replacement by the type rules, the parent chain of
// the getters, out parameters on every kind of result, the pointer getters,
// nested stores, and exhausted memory inside the setters.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "AllocFailure.h"
#include "LabelledStores.h"
#include "SettingCalls.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/UserDefined.h"
#include "orv310.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using tiz_test::LabelledStores;

using tiz_test::Getters;
using tiz_test::Outs;
using tiz_test::Setters;

// Every data pointer handed to the release callback, in order.
std::vector<void *> g_released;
void TIZ_API RecordRelease(void *data) { g_released.push_back(data); }
size_t ReleasesOf(void *data) { return std::count(g_released.begin(), g_released.end(), data); }
int32_t TIZ_API DisplayNothing(void *, char *, int32_t) { return 0; }

using tiz_test::FindOwn;
using tiz_test::RefCount;

struct Meta {
  int32_t result;
  int32_t type;
  uint32_t size;
  int32_t conf;
};

Meta Read(uint32_t h, const char *group, const char *item = "") {
  Meta m{0, -1, 0xFFFF, -1};
  m.result = TIZ_GetSettingType(h, group, item, &m.type);
  EXPECT_EQ(TIZ_GetSettingSize(h, group, item, &m.size), m.result);
  EXPECT_EQ(TIZ_GetConfidence(h, group, item, &m.conf), m.result);
  return m;
}

#define EXPECT_META(h, group, expectedType, expectedSize, expectedConf) \
  do {                                                                  \
    Meta meta = Read(h, group);                                         \
    EXPECT_EQ(meta.result, 0);                                          \
    EXPECT_EQ(meta.type, expectedType);                                 \
    EXPECT_EQ(meta.size, expectedSize);                                 \
    EXPECT_EQ(meta.conf, expectedConf);                                 \
  } while (0)

class TypedValues : public testing::Test {
 protected:
  void SetUp() override {
    g_released.clear();
    m_liveImages = TALB_LiveImageCount();
    ASSERT_EQ(TIZ_Create(&m_store), 0);
  }
  void TearDown() override {
    EXPECT_EQ(TIZ_Release(m_store), 0);
    for (uint32_t s : m_extraStores) TIZ_Release(s);
    // Every image a setting took was released with it.
    EXPECT_EQ(TALB_LiveImageCount(), m_liveImages);
  }
  uint32_t NewStore() {
    uint32_t s = 0;
    EXPECT_EQ(TIZ_Create(&s), 0);
    m_extraStores.push_back(s);
    return s;
  }
  uint32_t m_store = 0;
  uint32_t m_liveImages = 0;
  std::vector<uint32_t> m_extraStores;
};

TEST_F(TypedValues, EveryTypeReadsBackWithItsTypeSizeAndConfidence) {
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "dword", "", 0xDEADBEEF), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceDouble(m_store, "double", "", -5, 2.5), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "string", "", "hello"), 0);
  const unsigned char bytes[] = {0, 1, 2, 0, 0xFF};
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(m_store, "buffer", "", INT_MAX, bytes, sizeof bytes), 0);
  uint32_t image = TALB_CreateImage(1, 2);
  ASSERT_EQ(TIZ_SetSettingConfidenceImage(m_store, "image", "", INT_MIN, image), 0);
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "structure", "", &data, RecordRelease, nullptr), 0);
  uint32_t nested = NewStore();
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStore(m_store, "store", "", 0, nested), 0);

  EXPECT_META(m_store, "dword", TIZ_TYPE_DWORD, 4u, 100);
  EXPECT_META(m_store, "double", TIZ_TYPE_DOUBLE, 8u, -5);
  EXPECT_META(m_store, "string", TIZ_TYPE_STRING, 6u, 100);
  EXPECT_META(m_store, "buffer", TIZ_TYPE_BUFFER, 5u, INT_MAX);
  EXPECT_META(m_store, "image", TIZ_TYPE_IMAGE, 4u, INT_MIN);
  EXPECT_META(m_store, "structure", TIZ_TYPE_USERDEFINED, 4u, 100);
  EXPECT_META(m_store, "store", TIZ_TYPE_ATTRIBUTESTORE, 4u, 0);

  int32_t conf = 0;
  uint32_t dword = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(m_store, "dword", "", &conf, &dword), 0);
  EXPECT_EQ(dword, 0xDEADBEEFu);
  EXPECT_EQ(conf, 100);
  double dbl = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceDouble(m_store, "double", "", &conf, &dbl), 0);
  EXPECT_EQ(dbl, 2.5);
  EXPECT_EQ(conf, -5);
  char text[8] = {};
  EXPECT_EQ(TIZ_GetSettingConfidenceString(m_store, "string", "", &conf, text, sizeof text), 0);
  EXPECT_STREQ(text, "hello");
  unsigned char copy[8] = {};
  int32_t len = sizeof copy;
  EXPECT_EQ(TIZ_GetSettingConfidenceBuffer(m_store, "buffer", "", &conf, copy, &len), 0);
  EXPECT_EQ(len, 5);
  EXPECT_EQ(std::memcmp(copy, bytes, sizeof bytes), 0);
  EXPECT_EQ(conf, INT_MAX);
  uint32_t gotImage = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceImage(m_store, "image", "", &conf, &gotImage), 0);
  EXPECT_EQ(gotImage, image);
  EXPECT_EQ(conf, INT_MIN);
  void *gotData = nullptr;
  EXPECT_EQ(TIZ_GetSettingConfidenceStructure(m_store, "structure", "", &conf, &gotData), 0);
  EXPECT_EQ(gotData, &data);
  EXPECT_EQ(conf, 100);
  uint32_t gotStore = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceAttrStore(m_store, "store", "", &conf, &gotStore), 0);
  EXPECT_EQ(gotStore, nested);
  EXPECT_EQ(conf, 0);
  TIZ_Release(gotStore);

  // Only the structure setting stays out of tree files.
  for (const char *group : {"dword", "double", "string", "buffer", "image", "store"})
    EXPECT_TRUE(FindOwn(m_store, group, "")->m_serializable) << group;
  EXPECT_FALSE(FindOwn(m_store, "structure", "")->m_serializable);
}

TEST_F(TypedValues, ByteIsTheLowEightBitsOfTheDword) {
  ASSERT_EQ(TIZ_SetSettingConfidenceDword(m_store, "d", "", 12, 0x1234), 0);
  uint8_t byte = 0;
  EXPECT_EQ(TIZ_GetSettingByte(m_store, "d", "", &byte), 0);
  EXPECT_EQ(byte, 0x34);
  int32_t conf = 0;
  byte = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceByte(m_store, "d", "", &conf, &byte), 0);
  EXPECT_EQ(byte, 0x34);
  EXPECT_EQ(conf, 12);
}

TEST_F(TypedValues, SetConfidenceChangesOnlyTheConfidenceOfASettingOfThisStore) {
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "keep"), 0);
  EXPECT_EQ(TIZ_SetConfidence(m_store, "s", "", -77), 0);
  EXPECT_META(m_store, "s", TIZ_TYPE_STRING, 5u, -77);
  char text[8] = {};
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, sizeof text), 0);
  EXPECT_STREQ(text, "keep");
  // A plain set puts it back to 100.
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "new"), 0);
  EXPECT_META(m_store, "s", TIZ_TYPE_STRING, 4u, 100);

  EXPECT_EQ(TIZ_SetConfidence(m_store, "missing", "", 1), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_SetConfidence(m_store, "", "", 1), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetConfidence(m_store, nullptr, "", 1), TIZ_E_INVALID_ARG);
  EXPECT_EQ(tiz::LookupStore(m_store)->Keys().size, 1u);
}

// --- replacing values ---------------------------------------------------

enum Kind { kDword, kDouble, kString, kBuffer, kImage, kStructure, kStore, kKindCount };
const char *const kKindNames[] = {"DWORD", "DOUBLE",      "STRING",        "BUFFER",
                                  "IMAGE", "USERDEFINED", "ATTRIBUTESTORE"};
const int32_t kKindTypes[] = {TIZ_TYPE_DWORD,         TIZ_TYPE_DOUBLE, TIZ_TYPE_STRING,
                              TIZ_TYPE_BUFFER,        TIZ_TYPE_IMAGE,  TIZ_TYPE_USERDEFINED,
                              TIZ_TYPE_ATTRIBUTESTORE};
const uint32_t kKindSizes[] = {4, 8, 5, 3, 4, 4, 4};

// A value written under "v", and what it owns.
struct Held {
  Kind kind;
  uint32_t image = 0;
  int *data = nullptr;
  uint32_t store = 0;
  size_t Releases() const {
    if (image) return TALB_ReleaseCount(image);
    if (data) return ReleasesOf(data);
    return 0;
  }
  bool Owned() const { return image || data; }
};

Held Put(uint32_t h, Kind kind, int32_t conf, std::vector<int> &dataSlots) {
  Held held{kind};
  int32_t r = -1;
  switch (kind) {
    case kDword:
      r = TIZ_SetSettingConfidenceDword(h, "v", "", conf, 7);
      break;
    case kDouble:
      r = TIZ_SetSettingConfidenceDouble(h, "v", "", conf, 7.5);
      break;
    case kString:
      r = TIZ_SetSettingConfidenceString(h, "v", "", conf, "text");
      break;
    case kBuffer:
      r = TIZ_SetSettingConfidenceBuffer(h, "v", "", conf, "abc", 3);
      break;
    case kImage:
      held.image = TALB_CreateImage(3, 4);
      r = TIZ_SetSettingConfidenceImage(h, "v", "", conf, held.image);
      break;
    case kStructure:
      dataSlots.push_back(0);
      held.data = &dataSlots.back();
      r = TIZ_SetSettingConfidenceStructure(h, "v", "", conf, held.data, RecordRelease);
      break;
    case kStore:
      EXPECT_EQ(TIZ_Create(&held.store), 0);
      r = TIZ_SetSettingConfidenceAttrStore(h, "v", "", conf, held.store);
      break;
    default:
      break;
  }
  EXPECT_EQ(r, 0) << kKindNames[kind];
  return held;
}

TEST(TypedValuesReplace, AnyTypeReplacesAnyOtherAndTheOldValueIsReleasedOnce) {
  for (int from = 0; from < kKindCount; ++from) {
    for (int to = 0; to < kKindCount; ++to) {
      SCOPED_TRACE(std::string(kKindNames[from]) + " replaced by " + kKindNames[to]);
      g_released.clear();
      std::vector<int> dataSlots;
      dataSlots.reserve(2);
      uint32_t h = 0;
      ASSERT_EQ(TIZ_Create(&h), 0);
      Held first = Put(h, static_cast<Kind>(from), 5, dataSlots);
      Held second = Put(h, static_cast<Kind>(to), 9, dataSlots);
      EXPECT_META(h, "v", kKindTypes[to], kKindSizes[to], 9);
      EXPECT_EQ(FindOwn(h, "v", "")->m_serializable, to != kStructure);
      EXPECT_EQ(first.Releases(), first.Owned() ? 1u : 0u);
      EXPECT_EQ(second.Releases(), 0u);
      EXPECT_EQ(tiz::LookupStore(h)->Keys().size, 1u);
      // A replaced store link leaves the store alone.
      if (first.store) {
        EXPECT_NE(tiz::LookupStore(first.store), nullptr);
      }

      ASSERT_EQ(TIZ_Release(h), 0);
      EXPECT_EQ(first.Releases(), first.Owned() ? 1u : 0u);
      EXPECT_EQ(second.Releases(), second.Owned() ? 1u : 0u);
      for (const Held *held : {&first, &second}) {
        if (held->store) {
          EXPECT_EQ(TIZ_Release(held->store), 0);
        }
      }
    }
  }
}

TEST_F(TypedValues, ImageRulesReleaseOnlyAReplacedImage) {
  uint32_t a = TALB_CreateImage(1, 1), b = TALB_CreateImage(2, 2);
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "img", "", a), 0);
  // The same handle again: nothing released, confidence and type still set.
  ASSERT_EQ(TIZ_SetSettingConfidenceImage(m_store, "img", "", 3, a), 0);
  EXPECT_EQ(TALB_ReleaseCount(a), 0u);
  EXPECT_META(m_store, "img", TIZ_TYPE_IMAGE, 4u, 3);
  // Another handle: the old one is released once.
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "img", "", b), 0);
  EXPECT_EQ(TALB_ReleaseCount(a), 1u);
  EXPECT_EQ(TALB_ReleaseCount(b), 0u);
  // Zero detaches the image without releasing it.
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "img", "", 0), 0);
  EXPECT_EQ(TALB_ReleaseCount(b), 0u);
  EXPECT_META(m_store, "img", TIZ_TYPE_IMAGE, 4u, 100);
  uint32_t got = 99;
  EXPECT_EQ(TIZ_GetSettingImage(m_store, "img", "", &got), 0);
  EXPECT_EQ(got, 0u);
  TALB_ReleaseImage(b);  // detached: the caller's again
  // A new setting given handle 0 holds no value.
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "empty", "", 0), 0);
  EXPECT_META(m_store, "empty", TIZ_TYPE_IMAGE, 0u, 100);
}

TEST_F(TypedValues, DetachingASharedImageLeavesItToTheOtherHolder) {
  uint32_t image = TALB_CreateImage(1, 1);
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "img", "", image), 0);
  uint32_t copy = NewStore();
  ASSERT_EQ(TIZ_Clone(m_store, copy), 0);  // the copy shares the image
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "img", "", 0), 0);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  // The copy is now the image's only holder and releases it when it goes.
  ASSERT_EQ(TIZ_SetSettingDword(copy, "img", "", 0), 0);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
}

TEST_F(TypedValues, StructureReplacedByItsOwnDataIsReleasedThroughTheOldObject) {
  int data = 0;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "s", "", &data, RecordRelease, DisplayNothing), 0);
  EXPECT_EQ(FindOwn(m_store, "s", "")->m_value.structure->DisplayCallback(), DisplayNothing);
  ASSERT_EQ(TIZ_SetSettingConfidenceStructure(m_store, "s", "", 4, &data, RecordRelease), 0);
  EXPECT_EQ(ReleasesOf(&data), 1u);
  // The confidence form stores no display callback.
  EXPECT_EQ(FindOwn(m_store, "s", "")->m_value.structure->DisplayCallback(), nullptr);
  void *got = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(m_store, "s", "", &got), 0);
  EXPECT_EQ(got, &data);
  // Without a release callback the structure goes silently.
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "s", "", &data, nullptr, nullptr), 0);
  EXPECT_EQ(ReleasesOf(&data), 2u);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "s", "", 1), 0);
  EXPECT_EQ(ReleasesOf(&data), 2u);
}

TEST_F(TypedValues, StringAndBufferSettersAcceptTheSettingsOwnBytes) {
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "hello"), 0);
  uint32_t size = 0;
  char *text = TIZ_GetCharPointer(m_store, "s", "", &size, nullptr);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", text), 0);
  text = TIZ_GetCharPointer(m_store, "s", "", &size, nullptr);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", text + 1), 0);
  EXPECT_STREQ(TIZ_GetCharPointer(m_store, "s", "", &size, nullptr), "ello");
  EXPECT_EQ(size, 5u);

  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "b", "", "abcd", 5), 0);
  void *bytes = TIZ_GetVoidPointer(m_store, "b", "", &size, nullptr);
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(m_store, "b", "", 2, static_cast<char *>(bytes) + 1, 4),
            0);
  bytes = TIZ_GetVoidPointer(m_store, "b", "", &size, nullptr);
  EXPECT_EQ(size, 4u);
  EXPECT_STREQ(static_cast<char *>(bytes), "bcd");
  // Across a change of type: the buffer's bytes become the string.
  ASSERT_EQ(TIZ_SetSettingString(m_store, "b", "", static_cast<char *>(bytes)), 0);
  EXPECT_META(m_store, "b", TIZ_TYPE_STRING, 4u, 100);
  EXPECT_STREQ(TIZ_GetCharPointer(m_store, "b", "", &size, nullptr), "bcd");
  text = TIZ_GetCharPointer(m_store, "b", "", &size, nullptr);
  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "b", "", text, size), 0);
  EXPECT_META(m_store, "b", TIZ_TYPE_BUFFER, 4u, 100);
}

// A text of the size held takes the old text's place: no memory needed, the
// confidence and text both the new ones, a text of another size a new block.
TEST_F(TypedValues, AStringRewrittenAtItsSizeNeedsNoMemory) {
  ASSERT_EQ(TIZ_SetSettingConfidenceString(m_store, "s", "", 40, "first"), 0);
  int32_t result = 0;
  {
    tiz_test::ScopedAllocationFailure fail(0);
    result = TIZ_SetSettingConfidenceString(m_store, "s", "", 7, "other");
  }
  EXPECT_FALSE(tiz_test::AllocationFailed());
  EXPECT_EQ(result, 0);
  EXPECT_META(m_store, "s", TIZ_TYPE_STRING, 6u, 7);
  uint32_t size = 0;
  EXPECT_STREQ(TIZ_GetCharPointer(m_store, "s", "", &size, nullptr), "other");
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "longer text"), 0);
  EXPECT_META(m_store, "s", TIZ_TYPE_STRING, 12u, 100);
  EXPECT_STREQ(TIZ_GetCharPointer(m_store, "s", "", &size, nullptr), "longer text");
}

// A set looks its key up once and files a new setting in the slot its miss
// found, or seeks one afresh when the index grows first: through every
// growth, with rewrites and lookups of older keys between new ones, each
// setting stays found with its own value and the table stays consistent.
TEST_F(TypedValues, NewSettingsAreFiledWhereTheirLookupMissedThroughEveryGrowth) {
  const auto group = [](int i) { return "Pipeline.Stage.P" + std::to_string(i); };
  for (int i = 0; i < 300; ++i) {
    ASSERT_EQ(TIZ_SetSettingDword(m_store, group(i).c_str(), "Value", i), 0);
    ASSERT_EQ(TIZ_SetSettingDword(m_store, group(i / 2).c_str(), "Value", i / 2), 0);
    ASSERT_EQ(TIZ_SetSettingString(m_store, group(i).c_str(), "Name", group(i).c_str()), 0);
  }
  EXPECT_EQ(tiz_test::StoreFaults(m_store), "");
  EXPECT_EQ(tiz_test::KeyCount(m_store), 600u);
  for (int i = 0; i < 300; ++i) {
    uint32_t value = 0;
    char name[32] = {};
    EXPECT_EQ(TIZ_GetSettingDword(m_store, group(i).c_str(), "Value", &value), 0);
    EXPECT_EQ(value, static_cast<uint32_t>(i));
    EXPECT_EQ(TIZ_GetSettingString(m_store, group(i).c_str(), "Name", name, sizeof name), 0);
    EXPECT_EQ(name, group(i));
  }
}

TEST_F(TypedValues, NewSettingsKeepInsertionOrderAndRewritesKeepTheirPlace) {
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "a", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "b", "", 2), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "c", "", 3), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "a", "", "x"), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "", "", "refused"), TIZ_E_INVALID_ARG);
  std::vector<std::string> keys;
  for (tiz::KeyEntry *e = tiz::LookupStore(m_store)->Keys().head; e; e = e->next)
    keys.emplace_back(e->KeyView());
  EXPECT_EQ(keys, (std::vector<std::string>{"a\x7FValue", "b\x7FValue", "c\x7FValue"}));
}

// --- getters: copies into the caller's buffers --------------------------

TEST_F(TypedValues, StringGetterCopiesBoundedAndTerminatesACutText) {
  ASSERT_EQ(TIZ_SetSettingConfidenceString(m_store, "s", "", 42, "hello"), 0);
  char text[10];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 6), 0);
  EXPECT_STREQ(text, "hello");
  // A larger buffer is filled up with NUL bytes, and only up to its length.
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 9), 0);
  EXPECT_EQ(std::string(text, 10), std::string("hello\0\0\0\0x", 10));
  // One byte short: cut by one character, terminated in the last byte.
  std::memset(text, 'x', sizeof text);
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceString(m_store, "s", "", &conf, text, 5), TIZ_E_TOO_SMALL);
  EXPECT_EQ(std::string(text, 6), std::string("hell\0x", 6));
  EXPECT_EQ(conf, 42);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 1), TIZ_E_TOO_SMALL);
  EXPECT_EQ(text[0], '\0');
}

// A text that did not come from a setter (read back from a file, or copied)
// may hold a NUL before its end: the getter copies it only up to that NUL,
// as it always has, while a setter's text, whose length is known, reads the
// same as before. The value is given here as a load would give it.
TEST_F(TypedValues, StringGetterStopsAtANulInsideATextNotStoredByASetter) {
  tiz::CAttribute *attr = tiz_test::FileBlankSetting(tiz::LookupStore(m_store), "s\x7FValue");
  ASSERT_NE(attr, nullptr);
  static const char kLoaded[] = "ab\0cd";  // six bytes with the closing NUL
  attr->m_type = tiz::kTypeString;
  attr->m_value.text = new char[sizeof kLoaded];
  std::memcpy(attr->m_value.text, kLoaded, sizeof kLoaded);
  attr->m_size = sizeof kLoaded;
  char text[10];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 8), 0);
  EXPECT_EQ(std::string(text, 10), std::string("ab\0\0\0\0\0\0xx", 10));
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 5), TIZ_E_TOO_SMALL);
  EXPECT_EQ(std::string(text, 6), std::string("ab\0\0\0x", 6));
  // Rewritten by a setter, at another size and then at the same size.
  for (const char *stored : {"abcd", "wxyz"}) {
    ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", stored), 0);
    std::memset(text, 'x', sizeof text);
    EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 7), 0);
    EXPECT_EQ(std::string(text, 8), std::string(stored) + std::string("\0\0\0x", 4));
  }
  // Another type and back: the text is the setter's again.
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "s", "", 7), 0);
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "q"), 0);
  EXPECT_EQ(TIZ_GetSettingString(m_store, "s", "", text, 3), 0);
  EXPECT_EQ(std::string(text, 3), std::string("q\0\0", 3));
}

TEST_F(TypedValues, BufferGetterCopiesWhatFitsAndReportsTheStoredSize) {
  const unsigned char bytes[] = {1, 2, 3, 4, 5};
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(m_store, "b", "", 8, bytes, sizeof bytes), 0);
  unsigned char out[8];
  std::memset(out, 0xEE, sizeof out);
  int32_t len = 3, conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceBuffer(m_store, "b", "", &conf, out, &len), TIZ_E_TOO_SMALL);
  EXPECT_EQ(len, 3);
  EXPECT_EQ(conf, 8);
  const unsigned char cut[] = {1, 2, 3, 0xEE};
  EXPECT_EQ(std::memcmp(out, cut, sizeof cut), 0);
  len = 8;
  EXPECT_EQ(TIZ_GetSettingBuffer(m_store, "b", "", out, &len), 0);
  EXPECT_EQ(len, 5);
  EXPECT_EQ(std::memcmp(out, bytes, sizeof bytes), 0);
  EXPECT_EQ(out[5], 0xEE);
}

TEST_F(TypedValues, AnEmptyBufferReadsAsNothingBeforeAnyTypeTest) {
  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "e", "", "abc", 3), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(m_store, "e", "", 6, nullptr, 0), 0);
  EXPECT_META(m_store, "e", TIZ_TYPE_BUFFER, 0u, 6);
  Outs outs;
  int32_t conf = outs.conf;
  EXPECT_EQ(TIZ_GetSettingConfidenceBuffer(m_store, "e", "", &outs.conf, outs.bytes, &outs.len), 0);
  EXPECT_EQ(TIZ_GetSettingConfidenceString(m_store, "e", "", &outs.conf, outs.text, 4), 0);
  EXPECT_TRUE(outs.Untouched());
  EXPECT_EQ(outs.conf, conf);
  uint32_t size = 99;
  int32_t status = 99;
  EXPECT_EQ(TIZ_GetVoidPointer(m_store, "e", "", &size, &status), nullptr);
  EXPECT_EQ(status, 0);
  EXPECT_EQ(size, 0u);
}

TEST_F(TypedValues, PointerGettersHandOutTheStoredBytesInPlace) {
  ASSERT_EQ(TIZ_SetSettingConfidenceString(m_store, "s", "", 33, "hello"), 0);
  uint32_t size = 0;
  int32_t status = 99, conf = 0;
  char *text = TIZ_GetConfidenceCharPointer(m_store, "s", "", &conf, &size, &status);
  ASSERT_NE(text, nullptr);
  EXPECT_STREQ(text, "hello");
  EXPECT_EQ(status, 0);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(conf, 33);
  EXPECT_EQ(TIZ_GetCharPointer(m_store, "s", "", &size, nullptr), text);

  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "b", "", "wxyz", 4), 0);
  auto *bytes =
      static_cast<char *>(TIZ_GetConfidenceVoidPointer(m_store, "b", "", &conf, &size, &status));
  ASSERT_NE(bytes, nullptr);
  EXPECT_EQ(std::string(bytes, 4), "wxyz");
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(conf, 100);
  bytes[0] = 'W';  // the store's own bytes, not a copy
  char copy[4];
  int32_t len = 4;
  EXPECT_EQ(TIZ_GetSettingBuffer(m_store, "b", "", copy, &len), 0);
  EXPECT_EQ(copy[0], 'W');

  // Another type gives no pointer at all, not the value word as an address.
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "d", "", 0x1000), 0);
  size = 77;
  EXPECT_EQ(TIZ_GetCharPointer(m_store, "d", "", &size, &status), nullptr);
  EXPECT_EQ(status, TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_GetVoidPointer(m_store, "s", "", &size, &status), nullptr);
  EXPECT_EQ(status, TIZ_E_WRONG_TYPE);
  EXPECT_EQ(size, 77u);
}

// --- getters over the parent chain: every export, every kind of result --

// A chain grand <- parent <- child of child-linked stores, and a store that
// is only plainly linked under the child.
class TypedValuesChain : public TypedValues {
 protected:
  void SetUp() override {
    TypedValues::SetUp();
    m_grand = m_store;
    ASSERT_EQ(TIZ_Create(&m_parent), 0);
    ASSERT_EQ(TIZ_Create(&m_child), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_grand, "kids", "parent", m_parent), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_parent, "kids", "child", m_child), 0);
    m_plain = NewStore();
    ASSERT_EQ(TIZ_SetSettingAttrStore(m_child, "plain", "", m_plain), 0);
    // The grand store owns the chain now.
    ASSERT_EQ(TIZ_Release(m_child), 0);
    ASSERT_EQ(TIZ_Release(m_parent), 0);
  }

  // Writes a setting of `type` that the getters can read.
  void SetOfType(uint32_t h, const char *group, int32_t type) {
    int32_t r = -1;
    switch (type) {
      case TIZ_TYPE_UNDEFINED:
      case TIZ_TYPE_DWORD:
        r = TIZ_SetSettingConfidenceDword(h, group, "", 61, 0x1234);
        break;
      case TIZ_TYPE_DOUBLE:
        r = TIZ_SetSettingConfidenceDouble(h, group, "", 61, 1.25);
        break;
      case TIZ_TYPE_STRING:
        r = TIZ_SetSettingConfidenceString(h, group, "", 61, "abc");
        break;
      case TIZ_TYPE_BUFFER:
        r = TIZ_SetSettingConfidenceBuffer(h, group, "", 61, "abc", 3);
        break;
      case TIZ_TYPE_IMAGE:
        r = TIZ_SetSettingConfidenceImage(h, group, "", 61, TALB_CreateImage(1, 1));
        break;
      case TIZ_TYPE_USERDEFINED:
        r = TIZ_SetSettingConfidenceStructure(h, group, "", 61, this, nullptr);
        break;
      case TIZ_TYPE_ATTRIBUTESTORE:
        r = TIZ_SetSettingConfidenceAttrStore(h, group, "", 61, NewStore());
        break;
    }
    ASSERT_EQ(r, 0);
  }

  uint32_t m_grand = 0, m_parent = 0, m_child = 0, m_plain = 0;
};

TEST_F(TypedValuesChain, GettersReadThisStoreFirstThenTheAncestors) {
  for (const auto &getter : Getters()) {
    SCOPED_TRACE(getter.name);
    const bool store = getter.requiredType == TIZ_TYPE_ATTRIBUTESTORE;
    SetOfType(m_grand, getter.name, getter.requiredType);
    struct Where {
      uint32_t h;
      int32_t expected;
    } places[] = {{m_grand, 0},
                  // A nested store handed out from an ancestor still counts as found.
                  {m_parent, store ? 0 : TIZ_FOUND_IN_ANCESTOR},
                  {m_child, store ? 0 : TIZ_FOUND_IN_ANCESTOR}};
    for (const Where &where : places) {
      Outs outs;
      EXPECT_EQ(getter.call(where.h, getter.name, "", outs), where.expected);
      EXPECT_FALSE(outs.Untouched());
      if (store) {
        EXPECT_EQ(TIZ_Release(outs.store), 0);
      }
    }
    // The nearest store that has the setting answers.
    SetOfType(m_child, getter.name, getter.requiredType);
    Outs outs;
    EXPECT_EQ(getter.call(m_child, getter.name, "", outs), 0);
    if (store) {
      EXPECT_EQ(TIZ_Release(outs.store), 0);
    }
  }
}

TEST_F(TypedValuesChain, MissingEverywhereGivesTwoAndWritesNothing) {
  for (const auto &getter : Getters()) {
    SCOPED_TRACE(getter.name);
    for (uint32_t h : {m_child, m_grand, m_plain}) {
      Outs outs;
      EXPECT_EQ(getter.call(h, "missing", "", outs), TIZ_NOT_FOUND);
      if (getter.nullsStoreOnFailure) {
        EXPECT_EQ(outs.store, 0u);
        outs.store = Outs().store;
      }
      EXPECT_TRUE(outs.Untouched());
    }
  }
}

TEST_F(TypedValuesChain, AnotherTypeGivesWrongTypeAndWritesNothing) {
  for (const auto &getter : Getters()) {
    if (getter.requiredType == TIZ_TYPE_UNDEFINED) continue;
    SCOPED_TRACE(getter.name);
    int32_t other = getter.requiredType == TIZ_TYPE_DWORD ? TIZ_TYPE_DOUBLE : TIZ_TYPE_DWORD;
    SetOfType(m_grand, getter.name, other);
    SetOfType(m_parent, getter.name, getter.requiredType);
    // Found first in the grand store (wrong) and in the child (shadowing the
    // parent's right one): -313 from any depth, no conversion.
    SetOfType(m_child, getter.name, other);
    for (uint32_t h : {m_grand, m_child}) {
      Outs outs;
      EXPECT_EQ(getter.call(h, getter.name, "", outs), TIZ_E_WRONG_TYPE);
      if (getter.nullsStoreOnFailure) {
        EXPECT_EQ(outs.store, 0u);
        outs.store = Outs().store;
      }
      EXPECT_TRUE(outs.Untouched());
    }
  }
}

TEST_F(TypedValuesChain, SettersWriteToTheStoreGivenOnly) {
  ASSERT_EQ(TIZ_SetSettingDword(m_grand, "x", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_child, "x", "", 2), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(m_grand, "x", "", &value), 0);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(TIZ_GetSettingDword(m_parent, "x", "", &value), TIZ_FOUND_IN_ANCESTOR);
  EXPECT_EQ(value, 1u);
  // Confidence is set only where the setting itself is.
  EXPECT_EQ(TIZ_SetConfidence(m_parent, "x", "", 5), TIZ_NOT_FOUND);
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetConfidence(m_parent, "x", "", &conf), TIZ_FOUND_IN_ANCESTOR);
  EXPECT_EQ(conf, 100);
  // A plain link sets no parent: nothing is inherited through it.
  EXPECT_EQ(TIZ_GetSettingDword(m_plain, "x", "", &value), TIZ_NOT_FOUND);
}

// --- refused arguments --------------------------------------------------

TEST_F(TypedValuesChain, EmptyOrNullNamesAreRefusedByEveryGetter) {
  SetOfType(m_child, "Default", TIZ_TYPE_STRING);
  struct Names {
    const char *group, *item;
  } refused[] = {{"", ""}, {nullptr, ""}, {"Default", nullptr}};
  for (const auto &getter : Getters()) {
    SCOPED_TRACE(getter.name);
    for (const Names &n : refused) {
      Outs outs;
      EXPECT_EQ(getter.call(m_child, n.group, n.item, outs), TIZ_E_INVALID_ARG);
      if (getter.nullsStoreOnFailure) {
        EXPECT_EQ(outs.store, 0u);
        outs.store = Outs().store;
      }
      EXPECT_TRUE(outs.Untouched());
    }
  }
}

TEST_F(TypedValues, EmptyOrNullNamesAreRefusedByEverySetter) {
  uint32_t nested = NewStore();
  tiz_test::g_tableReleases = 0;
  struct Names {
    const char *group, *item;
  } refused[] = {{"", ""}, {nullptr, "i"}, {"g", nullptr}};
  for (const auto &setter : Setters()) {
    SCOPED_TRACE(setter.name);
    for (const Names &n : refused)
      EXPECT_EQ(setter.call(m_store, n.group, n.item, nested), TIZ_E_INVALID_ARG);
  }
  EXPECT_TRUE(tiz::LookupStore(m_store)->Keys().Empty());
  EXPECT_EQ(tiz_test::g_tableReleases, 0);  // a refused structure stays the caller's
  EXPECT_EQ(tiz::LookupStore(nested)->Name(), "Root");
  EXPECT_EQ(RefCount(nested), 1);
}

TEST_F(TypedValues, NullPointersAreRefusedAndChangeNothing) {
  ASSERT_EQ(TIZ_SetSettingString(m_store, "s", "", "keep"), 0);
  ASSERT_EQ(TIZ_SetSettingBuffer(m_store, "b", "", "keep", 4), 0);
  EXPECT_EQ(TIZ_SetSettingString(m_store, "s", "", nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetSettingConfidenceString(m_store, "s", "", 1, nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetSettingBuffer(m_store, "b", "", nullptr, 2), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetSettingConfidenceBuffer(m_store, "b", "", 1, nullptr, 2), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetSettingString(m_store, "new", "", nullptr), TIZ_E_INVALID_ARG);
  EXPECT_META(m_store, "s", TIZ_TYPE_STRING, 5u, 100);
  EXPECT_META(m_store, "b", TIZ_TYPE_BUFFER, 4u, 100);
  EXPECT_EQ(tiz::LookupStore(m_store)->Keys().size, 2u);

  ASSERT_EQ(TIZ_SetSettingDword(m_store, "d", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDouble(m_store, "f", "", 1), 0);
  ASSERT_EQ(TIZ_SetSettingImage(m_store, "i", "", 0), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "u", "", this, nullptr, nullptr), 0);
  uint32_t nested = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_store, "n", "", nested), 0);
  Outs o;
  int32_t status = 0;
  const int32_t results[] = {
      TIZ_GetSettingDword(m_store, "d", "", nullptr),
      TIZ_GetSettingConfidenceDword(m_store, "d", "", nullptr, &o.dword),
      TIZ_GetSettingConfidenceDword(m_store, "d", "", &o.conf, nullptr),
      TIZ_GetSettingByte(m_store, "d", "", nullptr),
      TIZ_GetSettingConfidenceByte(m_store, "d", "", nullptr, &o.byte),
      TIZ_GetSettingConfidenceByte(m_store, "d", "", &o.conf, nullptr),
      TIZ_GetSettingDouble(m_store, "f", "", nullptr),
      TIZ_GetSettingConfidenceDouble(m_store, "f", "", nullptr, &o.dbl),
      TIZ_GetSettingConfidenceDouble(m_store, "f", "", &o.conf, nullptr),
      TIZ_GetSettingString(m_store, "s", "", nullptr, 5),
      TIZ_GetSettingString(m_store, "s", "", o.text, 0),
      TIZ_GetSettingString(m_store, "s", "", o.text, -1),
      TIZ_GetSettingConfidenceString(m_store, "s", "", nullptr, o.text, 5),
      TIZ_GetSettingConfidenceString(m_store, "s", "", &o.conf, nullptr, 5),
      TIZ_GetSettingConfidenceString(m_store, "s", "", &o.conf, o.text, 0),
      TIZ_GetSettingBuffer(m_store, "b", "", nullptr, &o.len),
      TIZ_GetSettingBuffer(m_store, "b", "", o.bytes, nullptr),
      TIZ_GetSettingConfidenceBuffer(m_store, "b", "", nullptr, o.bytes, &o.len),
      TIZ_GetSettingConfidenceBuffer(m_store, "b", "", &o.conf, nullptr, &o.len),
      TIZ_GetSettingImage(m_store, "i", "", nullptr),
      TIZ_GetSettingConfidenceImage(m_store, "i", "", nullptr, &o.image),
      TIZ_GetSettingConfidenceImage(m_store, "i", "", &o.conf, nullptr),
      TIZ_GetSettingStructure(m_store, "u", "", nullptr),
      TIZ_GetSettingConfidenceStructure(m_store, "u", "", nullptr, &o.data),
      TIZ_GetSettingConfidenceStructure(m_store, "u", "", &o.conf, nullptr),
      TIZ_GetSettingAttrStore(m_store, "n", "", nullptr),
      TIZ_GetSettingConfidenceAttrStore(m_store, "n", "", nullptr, &o.store),
      TIZ_GetSettingConfidenceAttrStore(m_store, "n", "", &o.conf, nullptr),
      TIZ_GetSettingSize(m_store, "s", "", nullptr),
      TIZ_GetSettingType(m_store, "s", "", nullptr),
      TIZ_GetConfidence(m_store, "s", "", nullptr),
      (TIZ_GetCharPointer(m_store, "s", "", nullptr, &status), status),
      (TIZ_GetConfidenceCharPointer(m_store, "s", "", nullptr, &o.size, &status), status),
      (TIZ_GetConfidenceCharPointer(m_store, "s", "", &o.conf, nullptr, &status), status),
      (TIZ_GetVoidPointer(m_store, "b", "", nullptr, &status), status),
      (TIZ_GetConfidenceVoidPointer(m_store, "b", "", nullptr, &o.size, &status), status),
      (TIZ_GetConfidenceVoidPointer(m_store, "b", "", &o.conf, nullptr, &status), status),
  };
  for (size_t n = 0; n < sizeof results / sizeof results[0]; ++n)
    EXPECT_EQ(results[n], TIZ_E_INVALID_ARG) << "call " << n;
  o.len = sizeof o.bytes;
  EXPECT_TRUE(o.Untouched());
  int32_t negative = -1;
  EXPECT_EQ(TIZ_GetSettingBuffer(m_store, "b", "", o.bytes, &negative), TIZ_E_INVALID_ARG);
  EXPECT_EQ(negative, -1);
  EXPECT_EQ(RefCount(nested), 1);  // no reference handed out
  uint32_t size = 0;
  EXPECT_EQ(TIZ_GetCharPointer(m_store, "s", "", nullptr, nullptr), nullptr);
  EXPECT_EQ(TIZ_GetCharPointer(m_store, "s", "", &size, nullptr) != nullptr, true);
}

// --- nested stores ------------------------------------------------------

TEST_F(TypedValues, StoreGetterHandsOutAReferenceTheCallerGivesBack) {
  uint32_t nested = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_store, "n", "", nested), 0);
  EXPECT_EQ(RefCount(nested), 1);  // a plain link adds nothing
  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetSettingAttrStore(m_store, "n", "", &got), 0);
  EXPECT_EQ(got, nested);
  EXPECT_EQ(RefCount(nested), 2);
  EXPECT_EQ(TIZ_Release(got), 0);
  EXPECT_EQ(RefCount(nested), 1);
  uint32_t parent = 7;
  EXPECT_EQ(TIZ_GetParent(nested, &parent), 0);
  EXPECT_EQ(parent, 0u);
}

TEST_F(TypedValues, StoreGetterOfAnAncestorsStoreAnswersZero) {
  uint32_t child = 0, nested = NewStore();
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "child", "", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(m_store, "n", "", nested), 0);
  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetSettingAttrStore(child, "n", "", &got), 0);
  EXPECT_EQ(got, nested);
  EXPECT_EQ(TIZ_Release(got), 0);
  EXPECT_EQ(RefCount(nested), 1);
  int32_t conf = 0;
  got = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceAttrStore(child, "n", "", &conf, &got), 0);
  EXPECT_EQ(got, nested);
  EXPECT_EQ(conf, 100);
  EXPECT_EQ(TIZ_Release(got), 0);
  EXPECT_EQ(TIZ_Release(child), 0);
}

TEST_F(TypedValues, ChildLinkSetsTheParentAndCarriesTheChildsReferences) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_AddRef(child), 0);  // count 2
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStoreChild(m_store, "c", "", 4, child), 0);
  EXPECT_EQ(RefCount(m_store), 3);
  uint32_t parent = 0;
  EXPECT_EQ(TIZ_GetParent(child, &parent), 0);
  EXPECT_EQ(parent, m_store);
  EXPECT_META(m_store, "c", TIZ_TYPE_ATTRIBUTESTORE, 4u, 4);
  EXPECT_EQ(TIZ_Release(child), 0);
  EXPECT_EQ(TIZ_Release(child), 0);
  EXPECT_EQ(RefCount(m_store), 1);
  EXPECT_NE(tiz::LookupStore(child), nullptr);  // owned by m_store now, goes with it
}

TEST_F(TypedValues, ChildLinkThatWouldCloseACycleIsRefusedButTheSettingStays) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "c", "", child), 0);
  ASSERT_EQ(TIZ_Release(child), 0);
  const int32_t countBefore = RefCount(m_store);
  struct Case {
    uint32_t holder, nested;
  } cases[] = {{child, m_store}, {child, child}, {m_store, m_store}};
  for (const Case &c : cases) {
    EXPECT_EQ(TIZ_SetSettingAttrStoreChild(c.holder, "loop", "", c.nested), TIZ_E_CYCLE);
    uint32_t got = 0;
    EXPECT_EQ(TIZ_GetSettingAttrStore(c.holder, "loop", "", &got), 0);
    EXPECT_EQ(got, c.nested);
    EXPECT_EQ(TIZ_Release(got), 0);
  }
  EXPECT_EQ(TIZ_SetSettingConfidenceAttrStoreChild(child, "loop", "", 3, m_store), TIZ_E_CYCLE);
  EXPECT_EQ(RefCount(m_store), countBefore);
  uint32_t parent = 7;
  EXPECT_EQ(TIZ_GetParent(m_store, &parent), 0);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_GetParent(child, &parent), 0);
  EXPECT_EQ(parent, m_store);
}

TEST_F(TypedValues, AStoreDestroyedElsewhereReadsAsNoStore) {
  uint32_t nested = 0;
  ASSERT_EQ(TIZ_Create(&nested), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStore(m_store, "n", "", 8, nested), 0);
  ASSERT_EQ(TIZ_Release(nested), 0);  // destroyed: a plain link does not keep it
  ASSERT_EQ(tiz::LookupStore(nested), nullptr);
  uint32_t got = 55;
  EXPECT_EQ(TIZ_GetSettingAttrStore(m_store, "n", "", &got), 0);
  EXPECT_EQ(got, 0u);
  int32_t conf = 0;
  got = 55;
  EXPECT_EQ(TIZ_GetSettingConfidenceAttrStore(m_store, "n", "", &conf, &got), 0);
  EXPECT_EQ(got, 0u);
  EXPECT_EQ(conf, 8);
  EXPECT_META(m_store, "n", TIZ_TYPE_ATTRIBUTESTORE, 4u, 8);
  // A new store in the old one's place is not mistaken for it.
  uint32_t fresh = NewStore();
  EXPECT_NE(fresh, nested);
  EXPECT_EQ(TIZ_GetSettingAttrStore(m_store, "n", "", &got), 0);
  EXPECT_EQ(got, 0u);
}

// --- exhausted memory ---------------------------------------------------

// Fails each allocation of a setter in turn: the call is then reported, a
// new setting is not filed, an existing one keeps its value, and a refused
// structure stays the caller's. The sanitizer build checks for leaks.
TEST(TypedValuesOutOfMemory, EveryFailedAllocationOfASetterLeavesTheStoreAsItWas) {
  constexpr int32_t kReportResult = -999;
  ORV_SetReportResult(kReportResult);
  for (bool existing : {false, true}) {
    for (const auto &setter : Setters()) {
      SCOPED_TRACE(std::string(setter.name) + (existing ? " over a string" : " new"));
      uint32_t h = 0, nested = 0;
      ASSERT_EQ(TIZ_Create(&h), 0);
      ASSERT_EQ(TIZ_Create(&nested), 0);
      if (existing) {
        ASSERT_EQ(TIZ_SetSettingString(h, "g", "i", "old"), 0);
      }
      tiz_test::g_tableReleases = 0;
      for (size_t n = 0;; ++n) {
        ASSERT_LT(n, 100u);
        int32_t r;
        {
          tiz_test::ScopedAllocationFailure fail(n);
          r = setter.call(h, "g", "i", nested);
          if (!tiz_test::AllocationFailed()) {
            EXPECT_GE(r, 0);
            break;
          }
        }
        EXPECT_EQ(r, kReportResult) << n;
        EXPECT_EQ(tiz_test::g_tableReleases, 0) << n;
        int32_t type = 0;
        char text[8] = {};
        if (existing) {
          EXPECT_EQ(TIZ_GetSettingString(h, "g", "i", text, sizeof text), 0) << n;
          EXPECT_STREQ(text, "old");
        } else {
          EXPECT_EQ(TIZ_GetSettingType(h, "g", "i", &type), TIZ_NOT_FOUND) << n;
        }
      }
      EXPECT_EQ(TIZ_Release(nested), 0);
      EXPECT_EQ(TIZ_Release(h), 0);
    }
  }
  ORV_SetReportResult(-1);
}

// Parents and children made per case, every store released to its end.
class TypedValuesAncestors : public LabelledStores {};

// --- getters over the parent chain: results other than 0 -------------------

// Only a 0 from an ancestor becomes 1: a cut value keeps -27, with its
// confidence; an empty value reads as found there, with nothing written.
TEST_F(TypedValuesAncestors, AncestorResultsOtherThanZeroPassUnchanged) {
  uint32_t parent = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "kids", "", child), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceString(parent, "text", "", 9, "hello"), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(parent, "bytes", "", 8, "12345", 5), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceBuffer(parent, "empty", "", 7, nullptr, 0), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceImage(parent, "noimage", "", 6, 0), 0);

  struct Case {
    const char *group;
    bool asString;
    int32_t len;
    int32_t result;
    std::string out;  // the first `len` bytes written, or "" when none
    int32_t conf;     // -1: not written
  };
  const Case cases[] = {
      {"text", true, 6, 1, std::string("hello\0", 6), 9},
      {"text", true, 5, TIZ_E_TOO_SMALL, std::string("hell\0", 5), 9},
      {"bytes", false, 8, 1, "12345", 8},
      {"bytes", false, 3, TIZ_E_TOO_SMALL, "123", 8},
      {"empty", false, 8, 1, "", -1},
      {"empty", true, 8, 1, "", -1},
      {"noimage", true, 8, 1, "", -1},
      {"noimage", false, 8, 1, "", -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(std::string(c.group) + (c.asString ? " as text" : " as bytes") + " in " +
                 std::to_string(c.len));
    char dest[16];
    std::memset(dest, '#', sizeof dest);
    int32_t conf = -1, len = c.len;
    int32_t result = c.asString
                         ? TIZ_GetSettingConfidenceString(child, c.group, "", &conf, dest, c.len)
                         : TIZ_GetSettingConfidenceBuffer(child, c.group, "", &conf, dest, &len);
    EXPECT_EQ(result, c.result);
    EXPECT_EQ(conf, c.conf);
    if (c.out.empty()) {
      EXPECT_EQ(std::string(dest, sizeof dest), std::string(sizeof dest, '#'));
      EXPECT_EQ(len, c.len);
    } else {
      EXPECT_EQ(std::string(dest, c.out.size()), c.out);
      if (!c.asString) {
        EXPECT_EQ(len, result == TIZ_E_TOO_SMALL ? c.len : 5);
      }
    }
  }
}

}  // namespace
