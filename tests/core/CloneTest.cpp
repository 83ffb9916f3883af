// Cloning a store: values copied or shared, nested stores copied with their
// child links, links to a store already copied sharing that copy, refused
// clones within one tree, and shared images and structures released exactly
// once however their holders go.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "AllocFailure.h"
#include "ReleaseProbe.h"
#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using tiz::LookupStore;

using tiz_test::Alive;
using tiz_test::ExtraImageHolders;
using tiz_test::FindOwn;
using tiz_test::Keys;
using tiz_test::Probe;
using tiz_test::RefCount;
using tiz_test::ReleaseProbe;

// The store a setting holds, read without taking a reference: a copy lives
// by its source's count, and a copy at count 0 without a parent would go at
// the release that balances a getter.
uint32_t StoreOf(uint32_t h, const char *group, const char *item) {
  tiz::CAttribute *a = FindOwn(h, group, item);
  EXPECT_TRUE(a && a->m_type == tiz::kTypeAttributeStore);
  return a && a->m_type == tiz::kTypeAttributeStore ? a->m_value.store : 0;
}

int32_t ConfidenceOf(uint32_t h, const char *group, const char *item) {
  int32_t conf = -1;
  EXPECT_EQ(TIZ_GetConfidence(h, group, item, &conf), 0);
  return conf;
}

class Clone : public ::testing::Test {
 protected:
  void SetUp() override {
    m_liveStores = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
    m_liveImages = TALB_LiveImageCount();
  }
  // Every test frees what it made; a store or image left over is a leak.
  void TearDown() override {
    EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), m_liveStores);
    EXPECT_EQ(TALB_LiveImageCount(), m_liveImages);
  }

  static uint32_t NewStore() {
    uint32_t h = 0;
    EXPECT_EQ(TIZ_Create(&h), 0);
    return h;
  }

  // Frees a store whatever its count (copies mirror their sources' counts).
  static void Free(uint32_t h) {
    if (tiz::CAttributeStore *s = LookupStore(h)) {
      s->SetRefCount(1);
      TIZ_Release(h);
    }
  }

  size_t m_liveStores = 0;
  uint32_t m_liveImages = 0;
};

TEST_F(Clone, InvalidHandlesCopyNothing) {
  uint32_t s = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(s, "g", "i", 1), 0);
  const uint32_t pairs[][2] = {{0, d}, {s, 0}, {0, 0}, {s, 0x12345678}, {0x12345678, d}};
  for (const auto &pair : pairs) EXPECT_EQ(TIZ_Clone(pair[0], pair[1]), TIZ_E_INVALID_HANDLE);
  EXPECT_TRUE(Keys(d).empty());
  Free(s);
  Free(d);
}

TEST_F(Clone, StoresOfOneTreeAreRefused) {
  uint32_t s = NewStore(), child = NewStore(), linked = NewStore(), holder = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(s, "child", "i", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(child, "plain", "i", linked), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(holder, "s", "i", s), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "d", "i", 1), 0);
  TIZ_Release(child);
  std::vector<std::vector<std::string>> keysBefore;
  for (uint32_t h : {s, child, linked, holder}) keysBefore.push_back(Keys(h));
  int32_t countBefore = RefCount(s);

  struct Case {
    uint32_t source, dest;
  } cases[] = {
      {s, s},            // itself
      {s, child},        // a child of the source
      {s, linked},       // a store the source reaches through a plain link
      {child, s},        // the destination reaches the source
      {holder, linked},  // reachable over two levels
      {linked, holder},
  };
  for (const Case &c : cases) EXPECT_EQ(TIZ_Clone(c.source, c.dest), TIZ_E_INVALID_ARG);

  std::vector<std::vector<std::string>> keysAfter;
  for (uint32_t h : {s, child, linked, holder}) keysAfter.push_back(Keys(h));
  EXPECT_EQ(keysAfter, keysBefore);
  EXPECT_EQ(RefCount(s), countBefore);
  Free(holder);
  Free(s);
  Free(linked);
}

TEST_F(Clone, EmptySourceGivesOnlyItsCount) {
  uint32_t s = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(d, "own", "i", 7), 0);
  TIZ_AddRef(s);
  TIZ_AddRef(s);
  EXPECT_EQ(TIZ_Clone(s, d), 0);
  EXPECT_EQ(RefCount(d), 3);
  EXPECT_EQ(Keys(d), std::vector<std::string>{"own\x7Fi"});
  EXPECT_EQ(LookupStore(d)->Name(), "Root");
  Free(s);
  Free(d);
}

TEST_F(Clone, ValuesAreCopiedWithTheirConfidence) {
  uint32_t s = NewStore(), d = NewStore();
  const unsigned char bytes[] = {1, 0, 2, 0xFF};
  ASSERT_EQ(TIZ_SetSettingConfidenceDword(s, "dword", "i", -5, 0xDEADBEEF), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceDouble(s, "double", "i", 7, 2.5), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceString(s, "string", "i", 1000, "text"), 0);
  ASSERT_EQ(TIZ_SetSettingBuffer(s, "buffer", "i", bytes, sizeof bytes), 0);
  ASSERT_EQ(TIZ_SetSettingBuffer(s, "empty", "i", bytes, 0), 0);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  // Changing the source afterwards leaves the copy alone.
  ASSERT_EQ(TIZ_SetSettingString(s, "string", "i", "changed"), 0);
  const unsigned char other[] = {9, 9, 9, 9};
  ASSERT_EQ(TIZ_SetSettingBuffer(s, "buffer", "i", other, sizeof other), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "dword", "i", 1), 0);

  uint32_t dword = 0;
  double dbl = 0;
  char text[16] = "";
  unsigned char got[8] = {};
  int32_t len = sizeof got;
  EXPECT_EQ(TIZ_GetSettingDword(d, "dword", "i", &dword), 0);
  EXPECT_EQ(dword, 0xDEADBEEF);
  EXPECT_EQ(TIZ_GetSettingDouble(d, "double", "i", &dbl), 0);
  EXPECT_EQ(dbl, 2.5);
  EXPECT_EQ(TIZ_GetSettingString(d, "string", "i", text, sizeof text), 0);
  EXPECT_STREQ(text, "text");
  EXPECT_EQ(TIZ_GetSettingBuffer(d, "buffer", "i", got, &len), 0);
  EXPECT_EQ(len, 4);
  EXPECT_EQ(std::memcmp(got, bytes, sizeof bytes), 0);
  uint32_t size = 99;
  EXPECT_EQ(TIZ_GetSettingSize(d, "empty", "i", &size), 0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(ConfidenceOf(d, "dword", "i"), -5);
  EXPECT_EQ(ConfidenceOf(d, "double", "i"), 7);
  EXPECT_EQ(ConfidenceOf(d, "string", "i"), 1000);
  EXPECT_EQ(ConfidenceOf(d, "buffer", "i"), 100);
  EXPECT_EQ(Keys(d), Keys(s));  // the source's key order
  Free(s);
  Free(d);
}

TEST_F(Clone, DestinationKeepsItsOwnSettingsAndNameAndParent) {
  uint32_t s = NewStore(), d = NewStore(), parent = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "d", "i", d), 0);
  TIZ_Release(d);
  ASSERT_EQ(TIZ_SetSettingDword(s, "shared", "i", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "new", "i", 2), 0);
  ASSERT_EQ(TIZ_SetSettingString(d, "shared", "i", "mine"), 0);
  std::string name = LookupStore(d)->Name();
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  char text[8] = "";
  EXPECT_EQ(TIZ_GetSettingString(d, "shared", "i", text, sizeof text), 0);
  EXPECT_STREQ(text, "mine");
  uint32_t v = 0;
  EXPECT_EQ(TIZ_GetSettingDword(d, "new", "i", &v), 0);
  EXPECT_EQ(v, 2u);
  EXPECT_EQ(LookupStore(d)->Name(), name);
  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetParent(d, &got), 0);
  EXPECT_EQ(got, parent);
  Free(s);
  Free(parent);
}

TEST_F(Clone, SettingsWhoseNamesHoldTheSeparatorArePassedOver) {
  uint32_t s = NewStore(), d = NewStore();
  const std::string group = std::string("a") + '\x7F' + "b";
  ASSERT_EQ(TIZ_SetSettingDword(s, group.c_str(), "z", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "plain", "z", 1), 0);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  EXPECT_EQ(Keys(d), std::vector<std::string>{"plain\x7Fz"});
  Free(s);
  Free(d);
}

// A tree-file section of an unknown type loads as a setting without a value;
// the copy is such a setting too, with confidence 100 whatever the source's.
TEST_F(Clone, SettingsWithoutAValueAreCopiedWithoutOne) {
  tiz_test::ScratchDirectory scratch;
  tiz_test::WriteFileText(scratch.Path("t.tree"),
                          "[Root\x7FScan\x7FMode]\r\nSize=4\r\nType=GADGET\r\n\r\n");
  uint32_t s = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_Deserialize(s, "t.tree"), 0);
  ASSERT_EQ(TIZ_SetConfidence(s, "Scan", "Mode", 7), 0);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  int32_t type = -1;
  EXPECT_EQ(TIZ_GetSettingType(d, "Scan", "Mode", &type), 0);
  EXPECT_EQ(type, TIZ_TYPE_UNDEFINED);
  EXPECT_EQ(ConfidenceOf(d, "Scan", "Mode"), 100);
  uint32_t value = 5;
  EXPECT_EQ(TIZ_GetSettingDword(d, "Scan", "Mode", &value), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(value, 5u);
  Free(s);
  Free(d);
}

// Images and structures loaded from a tree file are numbers of another
// process: the copy holds the same numbers, just as inert, and neither the
// copy nor the source ever releases or calls them. An image 0 is no image;
// an empty buffer stays empty.
TEST_F(Clone, LoadedImagesAndStructuresStayInertInTheCopy) {
  tiz_test::ScratchDirectory scratch;
  const uint32_t liveImages = TALB_LiveImageCount();
  const uint32_t image = TALB_CreateImage(1, 1);
  const std::string number = std::to_string(image);
  tiz_test::WriteFileText(scratch.Path("t.tree"),
                          "[Root\x7FPage\x7FImage]\r\nSize=4\r\nType=IMAGE\r\nValue=" + number +
                              "\r\n\r\n[Root\x7FPage\x7FNone]\r\nSize=4\r\nType=IMAGE\r\nValue=0"
                              "\r\n\r\n[Root\x7FPage\x7FStruct]\r\nSize=4\r\nType=USERDEFINED\r\n"
                              "Value=1234\r\n\r\n[Root\x7FPage\x7FNoStruct]\r\nSize=4\r\n"
                              "Type=USERDEFINED\r\nValue=0\r\n\r\n[Root\x7FPage\x7F"
                              "Empty]\r\nSize=0\r\nType=BUFFER\r\n\r\n");
  uint32_t s = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_Deserialize(s, "t.tree"), 0);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  for (auto [item, expected] : {std::pair{"Image", image}, std::pair{"None", 0u}}) {
    SCOPED_TRACE(item);
    uint32_t handle = 7;
    EXPECT_EQ(TIZ_GetSettingImage(d, "Page", item, &handle), 0);
    EXPECT_EQ(handle, expected);
    EXPECT_TRUE(FindOwn(d, "Page", item)->m_inert);
  }
  for (const char *item : {"Struct", "NoStruct"}) {
    SCOPED_TRACE(item);
    int32_t type = 0;
    EXPECT_EQ(TIZ_GetSettingType(d, "Page", item, &type), 0);
    EXPECT_EQ(type, TIZ_TYPE_USERDEFINED);
    void *data = &data;
    EXPECT_EQ(TIZ_GetSettingStructure(d, "Page", item, &data), 0);
    EXPECT_EQ(data, nullptr);
  }
  EXPECT_TRUE(FindOwn(d, "Page", "Struct")->m_inert);
  uint32_t size = 99;
  EXPECT_EQ(TIZ_GetSettingSize(d, "Page", "Empty", &size), 0);
  EXPECT_EQ(size, 0u);
  EXPECT_EQ(ExtraImageHolders(image), 0u);
  Free(d);
  Free(s);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  TALB_ReleaseImage(image);
  EXPECT_EQ(TALB_LiveImageCount(), liveImages);
}

TEST_F(Clone, ChildLinkedStoresAreCopiedUnderTheDestination) {
  uint32_t s = NewStore(), child = NewStore(), grandchild = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(s, "only-in-root", "i", 5), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStoreChild(s, "child", "i", 42, child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "grandchild", "i", grandchild), 0);
  ASSERT_EQ(TIZ_SetSettingDword(grandchild, "leaf", "i", 9), 0);
  TIZ_Release(grandchild);  // counts: grandchild 0, child 1, s 2

  ASSERT_EQ(TIZ_Clone(s, d), 0);
  uint32_t child2 = StoreOf(d, "child", "i");
  ASSERT_TRUE(Alive(child2));
  EXPECT_NE(child2, child);
  uint32_t grandchild2 = StoreOf(child2, "grandchild", "i");
  ASSERT_TRUE(Alive(grandchild2));
  EXPECT_NE(grandchild2, grandchild);
  uint32_t parent = 0;
  EXPECT_EQ(TIZ_GetParent(child2, &parent), 0);
  EXPECT_EQ(parent, d);
  EXPECT_EQ(TIZ_GetParent(grandchild2, &parent), 0);
  EXPECT_EQ(parent, child2);
  EXPECT_EQ(LookupStore(child2)->Name(), LookupStore(child)->Name());
  EXPECT_EQ(ConfidenceOf(d, "child", "i"), 42);
  // Each copy has its source's count.
  EXPECT_EQ(RefCount(d), RefCount(s));
  EXPECT_EQ(RefCount(child2), RefCount(child));
  EXPECT_EQ(RefCount(grandchild2), RefCount(grandchild));
  // A read that misses in a copy falls back to the destination.
  uint32_t v = 0;
  EXPECT_EQ(TIZ_GetSettingDword(grandchild2, "only-in-root", "i", &v), TIZ_FOUND_IN_ANCESTOR);
  EXPECT_EQ(v, 5u);
  EXPECT_EQ(TIZ_GetSettingDword(grandchild2, "leaf", "i", &v), 0);

  // The caller's one reference frees each tree with its children.
  TIZ_Release(child);
  TIZ_Release(s);
  EXPECT_FALSE(Alive(s));
  TIZ_Release(child2);
  TIZ_Release(d);
  EXPECT_FALSE(Alive(d));
  EXPECT_FALSE(Alive(grandchild2));
}

TEST_F(Clone, LinkToAnOwnedStoreAlreadyCopiedSharesTheCopy) {
  // s owns owner, owner owns n; a later key of s links n plainly.
  uint32_t s = NewStore(), owner = NewStore(), n = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(s, "a-owner", "i", owner), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(owner, "n", "i", n), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStore(s, "b-link", "i", 55, n), 0);
  TIZ_Release(n);
  TIZ_Release(owner);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  uint32_t owner2 = StoreOf(d, "a-owner", "i");
  uint32_t n2 = StoreOf(owner2, "n", "i");
  ASSERT_TRUE(Alive(n2));
  EXPECT_NE(n2, n);
  EXPECT_EQ(StoreOf(d, "b-link", "i"), n2);
  EXPECT_EQ(ConfidenceOf(d, "b-link", "i"), 100);  // redirected links take 100
  Free(s);
  Free(d);
  EXPECT_FALSE(Alive(n2));
}

TEST_F(Clone, PlainLinkBeforeTheOwnerGetsACopyOfItsOwn) {
  uint32_t s = NewStore(), owner = NewStore(), n = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingConfidenceAttrStore(s, "a-link", "i", 55, n), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(s, "b-owner", "i", owner), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(owner, "n", "i", n), 0);
  ASSERT_EQ(TIZ_SetSettingDword(n, "v", "i", 3), 0);
  TIZ_Release(n);
  TIZ_Release(owner);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  uint32_t linked = StoreOf(d, "a-link", "i");
  uint32_t owned = StoreOf(StoreOf(d, "b-owner", "i"), "n", "i");
  ASSERT_TRUE(Alive(linked));
  ASSERT_TRUE(Alive(owned));
  EXPECT_NE(linked, owned);
  EXPECT_EQ(ConfidenceOf(d, "a-link", "i"), 55);
  uint32_t parent = 99;
  EXPECT_EQ(TIZ_GetParent(linked, &parent), 0);
  EXPECT_EQ(parent, 0u);  // a plain copy has no parent
  uint32_t v = 0;
  EXPECT_EQ(TIZ_GetSettingDword(linked, "v", "i", &v), 0);
  EXPECT_EQ(v, 3u);
  // The plain copy lives by its own count: deleting its setting frees it.
  EXPECT_EQ(TIZ_DeleteSetting(d, "a-link", "i"), 0);
  EXPECT_FALSE(Alive(linked));
  Free(s);
  Free(d);
}

TEST_F(Clone, StoreLinkedUnderTwoKeysOfItsOwnerIsCopiedOnce) {
  // The second link either plain or a second child link: one copy, which the
  // later setting links with confidence 100.
  for (auto secondLink :
       {TIZ_SetSettingConfidenceAttrStore, TIZ_SetSettingConfidenceAttrStoreChild}) {
    uint32_t s = NewStore(), n = NewStore(), d = NewStore();
    ASSERT_EQ(TIZ_SetSettingConfidenceAttrStoreChild(s, "first", "i", 7, n), 0);
    ASSERT_EQ(secondLink(s, "second", "i", 8, n), 0);
    TIZ_Release(n);
    ASSERT_EQ(TIZ_Clone(s, d), 0);
    uint32_t copy = StoreOf(d, "first", "i");
    ASSERT_TRUE(Alive(copy));
    EXPECT_EQ(StoreOf(d, "second", "i"), copy);
    EXPECT_EQ(ConfidenceOf(d, "first", "i"), 7);
    EXPECT_EQ(ConfidenceOf(d, "second", "i"), 100);
    Free(s);
    Free(d);
    EXPECT_FALSE(Alive(copy));
  }
}

TEST_F(Clone, PathNamesThatRepeatDoNotMixUpCopies) {
  // Two bags named alike, as a side's successive current bags are once the
  // shortcut setting has renamed them; the shortcut must reach the copy of
  // the bag it links, not the other.
  uint32_t g = NewStore(), first = NewStore(), second = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(g, "bags", "i", first), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(first, "next", "i", second), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(g, "shortcut", "i", first), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(g, "shortcut", "i", second), 0);
  ASSERT_EQ(LookupStore(first)->Name(), LookupStore(second)->Name());
  TIZ_Release(second);
  TIZ_Release(first);
  ASSERT_EQ(TIZ_Clone(g, d), 0);
  uint32_t first2 = StoreOf(d, "bags", "i");
  uint32_t second2 = StoreOf(first2, "next", "i");
  EXPECT_EQ(StoreOf(d, "shortcut", "i"), second2);
  Free(g);
  Free(d);
}

TEST_F(Clone, LoopsOfPlainLinksAreCopiedAsLoops) {
  uint32_t s = NewStore(), x = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(s, "self", "i", s), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(s, "x", "i", x), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(x, "back", "i", s), 0);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  EXPECT_EQ(StoreOf(d, "self", "i"), d);
  uint32_t x2 = StoreOf(d, "x", "i");
  ASSERT_TRUE(Alive(x2));
  EXPECT_NE(x2, x);
  EXPECT_EQ(StoreOf(x2, "back", "i"), d);
  EXPECT_EQ(ConfidenceOf(d, "self", "i"), 100);
  Free(x2);
  Free(x);
  Free(s);
  Free(d);
}

TEST_F(Clone, LinkToAStoreGoneElsewhereCopiesAsNoStore) {
  uint32_t s = NewStore(), other = NewStore(), n = NewStore(), d = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(s, "n", "i", n), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(other, "n", "i", n), 0);
  ASSERT_EQ(TIZ_DeleteSetting(other, "n", "i"), 0);  // destroys n
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(d, "n", "i", &type), 0);
  EXPECT_EQ(type, TIZ_TYPE_ATTRIBUTESTORE);
  EXPECT_EQ(StoreOf(d, "n", "i"), 0u);
  Free(s);
  Free(other);
  Free(d);
}

// Shared images and structures ------------------------------------------------

class CloneSharing : public Clone {
 protected:
  void SetUp() override {
    Clone::SetUp();
    m_source = NewStore();
    m_copy = NewStore();
    m_image = TALB_CreateImage(1, 1);
    ASSERT_EQ(TIZ_SetSettingImage(m_source, "img", "i", m_image), 0);
    ASSERT_EQ(TIZ_SetSettingStructure(m_source, "st", "i", &m_probe, ReleaseProbe, nullptr), 0);
    ASSERT_EQ(TIZ_Clone(m_source, m_copy), 0);
  }
  void TearDown() override {
    Free(m_source);
    Free(m_copy);
    EXPECT_EQ(TALB_ReleaseCount(m_image), 1u);
    EXPECT_EQ(m_probe.releases, 1);
    EXPECT_EQ(ExtraImageHolders(m_image), 0u);
    Clone::TearDown();
  }

  void ExpectHeld() {
    EXPECT_EQ(TALB_ReleaseCount(m_image), 0u);
    EXPECT_EQ(m_probe.releases, 0);
  }

  uint32_t m_source = 0, m_copy = 0, m_image = 0;
  Probe m_probe;
};

TEST_F(CloneSharing, CopyHoldsTheSameImageAndStructure) {
  uint32_t image = 0;
  EXPECT_EQ(TIZ_GetSettingImage(m_copy, "img", "i", &image), 0);
  EXPECT_EQ(image, m_image);
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(m_copy, "st", "i", &data), 0);
  EXPECT_EQ(data, &m_probe);
  EXPECT_FALSE(FindOwn(m_source, "st", "i")->m_serializable);
  EXPECT_TRUE(FindOwn(m_copy, "st", "i")->m_serializable);
}

TEST_F(CloneSharing, TeardownOfEitherTreeFirstReleasesOnlyAtTheLastHolder) {
  // The fixture frees the source first; this test frees the copy first.
  Free(m_copy);
  ExpectHeld();
}

TEST_F(CloneSharing, DeletionReleasesOnlyAtTheLastHolder) {
  EXPECT_EQ(TIZ_DeleteSetting(m_copy, "img", "i"), 0);
  EXPECT_EQ(TIZ_DeleteSetting(m_source, "st", "i"), 0);
  ExpectHeld();
  EXPECT_EQ(TIZ_DeleteSetting(m_source, "img", "i"), 0);
  EXPECT_EQ(TIZ_DeleteSetting(m_copy, "st", "i"), 0);
  EXPECT_EQ(TALB_ReleaseCount(m_image), 1u);
  EXPECT_EQ(m_probe.releases, 1);
}

TEST_F(CloneSharing, ReplacementReleasesOnlyAtTheLastHolder) {
  uint32_t other = TALB_CreateImage(2, 2);
  EXPECT_EQ(TIZ_SetSettingImage(m_copy, "img", "i", other), 0);
  EXPECT_EQ(TIZ_SetSettingDword(m_source, "st", "i", 1), 0);  // another type replaces it
  ExpectHeld();
  EXPECT_EQ(TIZ_SetSettingImage(m_source, "img", "i", m_image), 0);  // the same handle: no change
  Probe second;
  EXPECT_EQ(TIZ_SetSettingStructure(m_copy, "st", "i", &second, ReleaseProbe, nullptr), 0);
  EXPECT_EQ(m_probe.releases, 1);
  EXPECT_EQ(TIZ_SetSettingDouble(m_source, "img", "i", 1.0), 0);
  EXPECT_EQ(TALB_ReleaseCount(m_image), 1u);
  EXPECT_EQ(TIZ_DeleteSetting(m_copy, "img", "i"), 0);
  EXPECT_EQ(TALB_ReleaseCount(other), 1u);
  EXPECT_EQ(TIZ_DeleteSetting(m_copy, "st", "i"), 0);
  EXPECT_EQ(second.releases, 1);
}

// A tree file's image number that happens to equal a shared image of this
// process is no holder of it: detaching it (image 0) or freeing its store
// leaves the real holders' count alone.
TEST_F(CloneSharing, ALoadedNumberOfASharedImageIsNoHolder) {
  tiz_test::ScratchDirectory scratch;
  tiz_test::WriteFileText(scratch.Path("t.tree"),
                          "[Root\x7FPage\x7FImage]\r\nSize=4\r\nType=IMAGE\r\nValue=" +
                              std::to_string(m_image) + "\r\n\r\n");
  for (bool detach : {true, false}) {
    SCOPED_TRACE(detach);
    uint32_t loaded = NewStore();
    ASSERT_EQ(TIZ_Deserialize(loaded, "t.tree"), 0);
    if (detach) {
      EXPECT_EQ(TIZ_SetSettingImage(loaded, "Page", "Image", 0), 0);
    }
    Free(loaded);
    EXPECT_EQ(ExtraImageHolders(m_image), 1u);
  }
  Free(m_copy);
  ExpectHeld();
}

TEST_F(CloneSharing, CopiesOfCopiesCountEveryHolder) {
  uint32_t d2 = NewStore(), d3 = NewStore();
  ASSERT_EQ(TIZ_Clone(m_copy, d2), 0);
  ASSERT_EQ(TIZ_Clone(m_source, d3), 0);
  EXPECT_EQ(ExtraImageHolders(m_image), 3u);
  Free(d2);
  Free(m_source);
  Free(d3);
  ExpectHeld();  // m_copy still holds them; the fixture frees it last
}

TEST_F(CloneSharing, SharedValuesInNestedCopiesGoWithTheirLastHolder) {
  uint32_t s = NewStore(), child = NewStore(), d = NewStore();
  uint32_t image = TALB_CreateImage(3, 3);
  Probe probe;
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(s, "child", "i", child), 0);
  ASSERT_EQ(TIZ_SetSettingImage(child, "img", "i", image), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(child, "st", "i", &probe, ReleaseProbe, nullptr), 0);
  TIZ_Release(child);
  ASSERT_EQ(TIZ_Clone(s, d), 0);
  ASSERT_EQ(TIZ_DeleteSetting(s, "child", "i"), 0);  // the source's subtree goes
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  EXPECT_EQ(probe.releases, 0);
  TIZ_Release(s);
  TIZ_Release(d);
  EXPECT_FALSE(Alive(d));
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(probe.releases, 1);
}

TEST_F(Clone, ExhaustedMemoryLeavesNoHalfCopiedStoreOrHolder) {
  uint32_t s = NewStore(), child = NewStore();
  uint32_t image = TALB_CreateImage(1, 1);
  Probe probe;
  ASSERT_EQ(TIZ_SetSettingString(s, "a", "i", "text"), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(s, "child", "i", child), 0);
  ASSERT_EQ(TIZ_SetSettingImage(child, "img", "i", image), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(child, "st", "i", &probe, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "z", "i", 1), 0);
  TIZ_Release(child);
  size_t stores = tiz_test::LiveStoresIn(tiz::StoreHandles::Instance());
  bool sawFailure = false;
  for (size_t n = 0;; ++n) {
    ASSERT_LT(n, 500u);
    uint32_t d = NewStore();
    int32_t result;
    bool failed;
    {
      tiz_test::ScopedAllocationFailure failure(n);
      result = TIZ_Clone(s, d);
      failed = tiz_test::AllocationFailed();
    }
    if (failed) {
      sawFailure = true;
      EXPECT_NE(result, 0) << n;
    } else {
      EXPECT_EQ(result, 0);
      EXPECT_EQ(Keys(d), Keys(s));
    }
    // What was copied stays, and goes with the destination.
    TIZ_Release(d);
    EXPECT_EQ(tiz_test::LiveStoresIn(tiz::StoreHandles::Instance()), stores) << n;
    EXPECT_EQ(ExtraImageHolders(image), 0u) << n;
    EXPECT_EQ(TALB_ReleaseCount(image), 0u) << n;
    EXPECT_EQ(probe.releases, 0) << n;
    if (!failed) break;
  }
  EXPECT_TRUE(sawFailure);
  TIZ_Release(s);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(probe.releases, 1);
}

}  // namespace
