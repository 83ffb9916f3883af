// Taking stores down, seen through release callbacks that note their names:
// the order in which a store's values go however it goes (bucket by bucket,
// children depth first), callbacks that take down part of the tree
// meanwhile, keys too long for a 32-bit byte sum, and what re-linking,
// overwriting or a refused link does to a child and to when it goes.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "LabelledStores.h"
#include "tiz.h"

namespace {

using tiz_test::g_releaseOrder;
using tiz_test::Labelled;
using tiz_test::LabelledStores;
using tiz_test::ReleaseLabelled;

// Stores that note the order in which their values are released: the order
// in which a store's values go, however it goes.
class StoreTeardown : public LabelledStores {};

// Child links seen through the releases of the stores they join.
class StoreLinks : public LabelledStores {};

// --- the order in which a store's values go ----------------------------------

// The keys "ab"/"ba" with item "i" have one byte sum, so one bucket; "zz" has
// another. Values go bucket by bucket, buckets in the order the key list
// first reaches them, a bucket's entries in the order they were filed.
TEST_F(StoreTeardown, ValuesAreReleasedBucketByBucketInKeyListOrder) {
  struct Case {
    const char *name;
    std::vector<const char *> filed;
    bool sorted;
    const char *filedAgain;  // deleted and set again: goes to the end of both
    std::vector<std::string> released;
  };
  const Case cases[] = {
      {"filing order", {"ab", "zz", "ba"}, false, nullptr, {"ab", "ba", "zz"}},
      {"bucket first reached by zz", {"zz", "ab", "ba"}, false, nullptr, {"zz", "ab", "ba"}},
      {"sorted list, bucket order kept", {"zz", "ba", "ab"}, true, nullptr, {"ba", "ab", "zz"}},
      {"set again", {"ab", "ba", "zz"}, false, "ab", {"ba", "ab", "zz"}},
      {"set again, then sorted", {"ab", "ba", "zz"}, true, "ab", {"ba", "ab", "zz"}},
  };
  // Every way a store goes takes its values down in the same order.
  enum Way { kReleased, kSettingDeleted, kHolderReleased };
  for (Way way : {kReleased, kSettingDeleted, kHolderReleased}) {
    for (const Case &c : cases) {
      SCOPED_TRACE(std::string(c.name) + ", way " + std::to_string(way));
      uint32_t holder = NewStore(), s = NewStore();
      if (way != kReleased) {
        ASSERT_EQ(TIZ_SetSettingAttrStoreChild(holder, "nested", "", s), 0);
        ASSERT_EQ(TIZ_Release(s), 0);  // the holder owns it now
      }
      for (const char *group : c.filed) SetLabelled(s, group, group);
      if (c.filedAgain) {
        ASSERT_EQ(TIZ_DeleteSetting(s, c.filedAgain, "i"), 0);
        SetLabelled(s, c.filedAgain, c.filedAgain);
      }
      if (c.sorted) {
        ASSERT_EQ(TIZ_StartIteratorSorted(s), 0);
      }
      g_releaseOrder.clear();
      switch (way) {
        case kReleased:
          ASSERT_EQ(TIZ_Release(s), 0);
          break;
        case kSettingDeleted:
          ASSERT_EQ(TIZ_DeleteSetting(holder, "nested", ""), 0);
          break;
        case kHolderReleased:
          ASSERT_EQ(TIZ_Release(holder), 0);
          break;
      }
      EXPECT_FALSE(Alive(s));
      EXPECT_EQ(g_releaseOrder, c.released);
    }
  }
}

// Plain values are memory only, but they still count for the order in which
// the key list first reaches a bucket: "y{" shares the byte sum of "zz".
TEST_F(StoreTeardown, PlainValuesDecideWhichBucketIsReachedFirst) {
  uint32_t s = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(s, "y{", "i", 1), 0);
  ASSERT_EQ(TIZ_SetSettingString(s, "text", "i", "plain"), 0);
  for (const char *group : {"ab", "ba", "zz"}) SetLabelled(s, group, group);
  g_releaseOrder.clear();
  ASSERT_EQ(TIZ_Release(s), 0);
  EXPECT_FALSE(Alive(s));
  EXPECT_EQ(g_releaseOrder, (std::vector<std::string>{"zz", "ab", "ba"}));
}

TEST_F(StoreTeardown, ChildStoresGoDepthFirstBeforeTheirHoldersValues) {
  uint32_t root = NewStore(), first = NewStore(), second = NewStore(), grand = NewStore();
  SetLabelled(root, "own", "root");
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "c1", "", first), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "c2", "", second), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(first, "g", "", grand), 0);
  SetLabelled(first, "own", "first");
  SetLabelled(second, "own", "second");
  SetLabelled(grand, "own", "grand");
  for (uint32_t h : {grand, first, second}) ASSERT_EQ(TIZ_Release(h), 0);
  ASSERT_EQ(TIZ_Release(root), 0);
  EXPECT_EQ(g_releaseOrder, (std::vector<std::string>{"grand", "first", "second", "root"}));
  for (uint32_t h : {root, first, second, grand}) EXPECT_FALSE(Alive(h));
}

// A release callback run while a tree goes may itself take down a store of
// that tree; nothing is destroyed twice and every value goes once.
TEST_F(StoreTeardown, ReleaseCallbackMayTakeDownTheStoreBeingTornDown) {
  struct Case {
    const char *name;
    // What the grandchild's release callback does to the tree.
    std::function<void(uint32_t root, uint32_t holder)> during;
    // How the tree is taken down.
    std::function<int32_t(uint32_t root, uint32_t holder)> takeDown;
  };
  const Case cases[] = {
      {"setting deleted twice",
       [](uint32_t root, uint32_t) { EXPECT_EQ(TIZ_DeleteSetting(root, "child", ""), 0); },
       [](uint32_t root, uint32_t) { return TIZ_DeleteSetting(root, "child", ""); }},
      {"child's setting deleted while the root is released",
       [](uint32_t root, uint32_t) { EXPECT_EQ(TIZ_DeleteSetting(root, "child", ""), 0); },
       [](uint32_t root, uint32_t) { return TIZ_Release(root); }},
      {"plain link to the root deleted while the root is released",
       [](uint32_t, uint32_t holder) { EXPECT_EQ(TIZ_DeleteSetting(holder, "root", ""), 0); },
       [](uint32_t root, uint32_t) { return TIZ_Release(root); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t root = NewStore(), child = NewStore(), grand = NewStore(), holder = NewStore();
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "child", "", child), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "grand", "", grand), 0);
    ASSERT_EQ(TIZ_SetSettingAttrStore(holder, "root", "", root), 0);
    ASSERT_EQ(TIZ_Release(grand), 0);
    ASSERT_EQ(TIZ_Release(child), 0);
    SetLabelled(root, "own", "root");
    SetLabelled(child, "own", "child");
    Labelled &inGrand = SetLabelled(grand, "own", "grand");
    inGrand.onRelease = [&] { c.during(root, holder); };
    g_releaseOrder.clear();
    EXPECT_EQ(c.takeDown(root, holder), 0);
    EXPECT_FALSE(Alive(child));
    EXPECT_FALSE(Alive(grand));
    const bool rootGone = std::string(c.name) != "setting deleted twice";
    EXPECT_EQ(Alive(root), !rootGone);
    std::vector<std::string> expected{"grand", "child"};
    if (rootGone) expected.push_back("root");
    EXPECT_EQ(g_releaseOrder, expected);
  }
}

// Names so long that the byte sum of the key leaves 32 bits: the setting is
// filed, read and torn down like any other.
TEST_F(StoreTeardown, KeysWhoseByteSumOverflowsAreKeptAndReleased) {
  struct Case {
    const char *name;
    std::string group;
    const char *item;
  } cases[] = {
      {"sum above the highest", std::string(18u << 20, 'z'), "i"},
      // 2^24 bytes of -128, the separator's 127 and the item's -127: exactly
      // the lowest 32-bit number, whose absolute value does not fit.
      {"sum exactly the lowest", std::string(1u << 24, '\x80'), "\x81"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = NewStore();
    Labelled &labelled = m_labels.emplace_back(Labelled{c.name, nullptr});
    ASSERT_EQ(
        TIZ_SetSettingStructure(h, c.group.c_str(), c.item, &labelled, ReleaseLabelled, nullptr),
        0);
    void *data = nullptr;
    EXPECT_EQ(TIZ_GetSettingStructure(h, c.group.c_str(), c.item, &data), 0);
    EXPECT_EQ(data, &labelled);
    g_releaseOrder.clear();
    ASSERT_EQ(TIZ_Release(h), 0);
    EXPECT_EQ(g_releaseOrder, std::vector<std::string>{c.name});
  }
}

// --- links --------------------------------------------------------------------

// A child linked under a second parent belongs to that one; the first keeps
// the references the child gave it, so it outlives its own last reference.
TEST_F(StoreLinks, RelinkedChildLeavesItsReferencesWithTheFirstParent) {
  uint32_t first = NewStore(), second = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(first, "c", "", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(second, "c", "", child), 0);
  uint32_t parent = 0;
  ASSERT_EQ(TIZ_GetParent(child, &parent), 0);
  EXPECT_EQ(parent, second);

  ASSERT_EQ(TIZ_Release(child), 0);   // takes one reference from the second parent
  ASSERT_EQ(TIZ_Release(second), 0);  // its last: the child goes with it
  EXPECT_FALSE(Alive(second));
  EXPECT_FALSE(Alive(child));

  ASSERT_EQ(TIZ_Release(first), 0);  // the child's reference remains
  EXPECT_TRUE(Alive(first));
  uint32_t got = 77;
  EXPECT_EQ(TIZ_GetSettingAttrStore(first, "c", "", &got), 0);
  EXPECT_EQ(got, 0u);  // its setting names a store that is gone
  ASSERT_EQ(TIZ_Release(first), 0);
  EXPECT_FALSE(Alive(first));
}

// Overwriting the setting of a child-linked store releases nothing: the store
// stays its parent's, still inherits from it, and goes when the parent goes.
TEST_F(StoreLinks, ChildWhoseSettingIsOverwrittenStillGoesWithItsParent) {
  struct Case {
    const char *name;
    std::function<int32_t(LabelledStores &, uint32_t)> overwrite;
  };
  const Case cases[] = {
      {"by a DWORD",
       [](LabelledStores &, uint32_t h) { return TIZ_SetSettingDword(h, "c", "", 1); }},
      {"by a plain link",
       [](LabelledStores &t, uint32_t h) {
         return TIZ_SetSettingAttrStore(h, "c", "", t.NewStore());
       }},
      {"by another child",
       [](LabelledStores &t, uint32_t h) {
         uint32_t other = t.NewStore();
         int32_t r = TIZ_SetSettingAttrStoreChild(h, "c", "", other);
         TIZ_Release(other);
         return r;
       }},
  };
  for (bool callerKeepsAReference : {false, true}) {
    for (const Case &c : cases) {
      SCOPED_TRACE(std::string(c.name) + (callerKeepsAReference ? ", child referenced" : ""));
      uint32_t parent = NewStore(), child = NewStore();
      ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "c", "", child), 0);
      if (!callerKeepsAReference) {
        ASSERT_EQ(TIZ_Release(child), 0);
      }
      ASSERT_EQ(TIZ_SetSettingDword(parent, "inherited", "", 5), 0);
      SetLabelled(child, "own", "child");
      ASSERT_EQ(c.overwrite(*this, parent), 0);

      uint32_t got = 0;
      EXPECT_EQ(TIZ_GetParent(child, &got), 0);
      EXPECT_EQ(got, parent);
      uint32_t value = 0;
      EXPECT_EQ(TIZ_GetSettingDword(child, "inherited", "", &value), TIZ_FOUND_IN_ANCESTOR);
      EXPECT_EQ(value, 5u);

      g_releaseOrder.clear();
      if (callerKeepsAReference) {
        ASSERT_EQ(TIZ_Release(child), 0);  // also gives back the parent's share
        EXPECT_TRUE(Alive(child));
      }
      ASSERT_EQ(TIZ_Release(parent), 0);
      EXPECT_FALSE(Alive(parent));
      EXPECT_FALSE(Alive(child));
      EXPECT_EQ(g_releaseOrder, std::vector<std::string>{"child"});
    }
  }
}

// A child link refused as a cycle still renames the store and leaves the
// setting holding it.
TEST_F(StoreLinks, RefusedChildLinkStillRenamesTheStore) {
  uint32_t parent = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "c", "", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "loop", "", parent), TIZ_E_CYCLE);
  char text[64] = {};
  EXPECT_EQ(TIZ_DisplayAttribute(child, "loop", "", text, sizeof text), 0);
  EXPECT_STREQ(text,
               "AttributeStore:\tRoot\x7F"
               "c\x7FValue\x7Floop\x7FValue");
  EXPECT_EQ(TIZ_DisplayAttribute(parent, "c", "", text, sizeof text), 0);
  EXPECT_STREQ(text,
               "AttributeStore:\tRoot\x7F"
               "c\x7FValue");
  uint32_t parentOfParent = 77;
  EXPECT_EQ(TIZ_GetParent(parent, &parentOfParent), 0);
  EXPECT_EQ(parentOfParent, 0u);
  // The loop of plain and child links goes when the parent's last reference does.
  ASSERT_EQ(TIZ_Release(child), 0);
  ASSERT_EQ(TIZ_Release(parent), 0);
  EXPECT_FALSE(Alive(parent));
  EXPECT_FALSE(Alive(child));
}

}  // namespace
