// Store life through the C interface: creation, reference counts propagated
// to ancestors, teardown with linked children, handle checks.
#include <gtest/gtest.h>

#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "tiz.h"

namespace {

using tiz_test::RefCount;

TEST(StoreLife, NewStoreHasOneReferenceNoParentAndRootName) {
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  ASSERT_NE(h, 0u);
  tiz::CAttributeStore *s = tiz::LookupStore(h);
  ASSERT_NE(s, nullptr);
  EXPECT_EQ(s->RefCount(), 1);
  EXPECT_EQ(s->Name(), "Root");
  EXPECT_TRUE(s->Keys().Empty());
  uint32_t parent = 123;
  EXPECT_EQ(TIZ_GetParent(h, &parent), 0);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_Release(h), 0);
  EXPECT_EQ(tiz::LookupStore(h), nullptr);
}

TEST(StoreLife, ReleasedHandleFailsTheCheck) {
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  ASSERT_EQ(TIZ_Release(h), 0);
  EXPECT_EQ(TIZ_AddRef(h), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Release(h), TIZ_E_INVALID_HANDLE);
  uint32_t parent = 77;
  EXPECT_EQ(TIZ_GetParent(h, &parent), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(parent, 77u);
}

TEST(StoreLife, InvalidHandlesAreRefused) {
  for (uint32_t h : {0u, 1u, 0xFFFFFFFFu, 0x6E756765u, 0x12345678u}) {
    EXPECT_EQ(TIZ_AddRef(h), TIZ_E_INVALID_HANDLE) << h;
    EXPECT_EQ(TIZ_Release(h), TIZ_E_INVALID_HANDLE) << h;
  }
}

TEST(StoreLife, NullOutPointersGiveInvalidArgument) {
  EXPECT_EQ(TIZ_Create(nullptr), TIZ_E_INVALID_ARG);
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  EXPECT_EQ(TIZ_GetParent(h, nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetParent(0, nullptr), TIZ_E_INVALID_ARG);
  TIZ_Release(h);
}

TEST(StoreLife, ChildCountsInParentAndGoesWithIt) {
  uint32_t parent = 0, child = 0;
  ASSERT_EQ(TIZ_Create(&parent), 0);
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "a", "b", child), 0);
  EXPECT_EQ(RefCount(parent), 2);
  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetParent(child, &got), 0);
  EXPECT_EQ(got, parent);

  EXPECT_EQ(TIZ_Release(parent), 0);
  EXPECT_EQ(RefCount(parent), 1);
  EXPECT_EQ(TIZ_Release(child), 0);
  EXPECT_EQ(tiz::LookupStore(parent), nullptr);
  EXPECT_EQ(tiz::LookupStore(child), nullptr);
}

TEST(StoreLife, AddRefOnChildRaisesLowerParentInStepsOfThousand) {
  uint32_t parent = 0, child = 0;
  ASSERT_EQ(TIZ_Create(&parent), 0);
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "a", "b", child), 0);
  tiz::LookupStore(parent)->SetRefCount(0);  // ends up below the child's count
  ASSERT_EQ(TIZ_AddRef(child), 0);
  EXPECT_EQ(RefCount(child), 2);
  EXPECT_EQ(RefCount(parent), 1001);
  tiz::LookupStore(parent)->SetRefCount(1);
  tiz::LookupStore(child)->SetRefCount(1);
  TIZ_Release(child);
}

TEST(StoreLife, ReleaseBelowOneIsRefused) {
  uint32_t parent = 0, child = 0;
  ASSERT_EQ(TIZ_Create(&parent), 0);
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "a", "b", child), 0);
  ASSERT_EQ(TIZ_Release(child), 0);  // linked child stays at 0
  EXPECT_EQ(RefCount(child), 0);
  EXPECT_EQ(TIZ_Release(child), TIZ_E_INVALID_ARG);
  EXPECT_EQ(RefCount(parent), 1);
  EXPECT_EQ(TIZ_Release(parent), 0);
  EXPECT_EQ(tiz::LookupStore(child), nullptr);
}

TEST(StoreLife, TeardownIsDepthFirstAndSparesPlainLinks) {
  uint32_t root = 0, mid = 0, leaf = 0, plain = 0;
  ASSERT_EQ(TIZ_Create(&root), 0);
  ASSERT_EQ(TIZ_Create(&mid), 0);
  ASSERT_EQ(TIZ_Create(&leaf), 0);
  ASSERT_EQ(TIZ_Create(&plain), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "g", "mid", mid), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(mid, "g", "leaf", leaf), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(leaf, "g", "plain", plain), 0);
  TIZ_Release(leaf);
  TIZ_Release(mid);
  EXPECT_EQ(TIZ_Release(root), 0);
  EXPECT_EQ(tiz::LookupStore(root), nullptr);
  EXPECT_EQ(tiz::LookupStore(mid), nullptr);
  EXPECT_EQ(tiz::LookupStore(leaf), nullptr);
  ASSERT_NE(tiz::LookupStore(plain), nullptr);
  EXPECT_EQ(TIZ_Release(plain), 0);
}

TEST(StoreLife, HandleValuesAreNotReusedSoon) {
  uint32_t first = 0;
  ASSERT_EQ(TIZ_Create(&first), 0);
  TIZ_Release(first);
  for (int i = 0; i < 10000; ++i) {
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    ASSERT_NE(h, first);
    TIZ_Release(h);
  }
}

TEST(StoreLife, KeysFiledOnceAndFoundSeparatelyInOneBucket) {
  tiz::CAttributeStore *s = tiz::CreateStore();
  // "ab" and "ba" share a byte sum, hence a bucket.
  ASSERT_EQ(tiz::BucketOfKey("ab"), tiz::BucketOfKey("ba"));
  tiz::CAttribute *a = tiz_test::FileBlankSetting(s, "ab");
  tiz::CAttribute *b = tiz_test::FileBlankSetting(s, "ba");
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_EQ(tiz_test::FileBlankSetting(s, "ab"), nullptr);
  EXPECT_EQ(s->FindAttribute("ab"), a);
  EXPECT_EQ(s->FindAttribute("ba"), b);
  EXPECT_EQ(s->FindAttribute("AB"), nullptr);
  EXPECT_EQ(s->Keys().size, 2u);
  s->Release();
}

TEST(StoreLife, BucketRuleUsesSignedBytes) {
  EXPECT_EQ(tiz::BucketOfKey("\xFF"), 1);
  EXPECT_EQ(tiz::BucketOfKey("\x80"), 128);
  EXPECT_EQ(tiz::BucketOfKey(std::string(20, 'z')), (20 * 'z') % 1009);
}

TEST(AttributeKeywords, RoundTripAndCaseSensitivity) {
  for (int32_t t = 1; t <= 7; ++t) EXPECT_EQ(tiz::TypeFromKeyword(tiz::KeywordFromType(t)), t);
  EXPECT_EQ(tiz::TypeFromKeyword("dword"), 0);
  EXPECT_EQ(tiz::TypeFromKeyword("UNDEFINED"), 0);
  EXPECT_STREQ(tiz::KeywordFromType(0), "UNDEFINED");
  EXPECT_STREQ(tiz::KeywordFromType(8), "UNDEFINED");
}

}  // namespace
