// Deleting settings: results, values released once, and nested stores taken
// down with the references they gave their parents.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ReleaseProbe.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.h"

namespace {

uint32_t NewStore() {
  uint32_t h = 0;
  EXPECT_EQ(TIZ_Create(&h), 0);
  return h;
}

using tiz_test::Alive;
using tiz_test::Keys;
using tiz_test::Probe;
using tiz_test::RefCount;
using tiz_test::ReleaseProbe;

TEST(DeleteSetting, ResultsByCase) {
  uint32_t empty = NewStore();
  uint32_t full = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(full, "g", "i", 1), 0);
  struct Case {
    uint32_t store;
    const char *group;
    const char *item;
    int32_t result;
  } cases[] = {
      {empty, "g", "i", 0},                     // nothing to delete, no lookup
      {empty, "anything", "", 0},               //
      {full, "g", "other", TIZ_NOT_FOUND},      //
      {full, "G", "i", TIZ_NOT_FOUND},          // keys are case-sensitive
      {full, nullptr, "i", TIZ_E_INVALID_ARG},  //
      {full, "", "i", TIZ_E_INVALID_ARG},       //
      {empty, "", "i", TIZ_E_INVALID_ARG},      // the group is checked first
      {full, "g", nullptr, TIZ_E_INVALID_ARG},  //
      {0, "g", "i", TIZ_E_INVALID_HANDLE},      //
      {0x12345678, "g", "i", TIZ_E_INVALID_HANDLE},
  };
  for (const Case &c : cases) {
    EXPECT_EQ(TIZ_DeleteSetting(c.store, c.group, c.item), c.result)
        << (c.group ? c.group : "(null)") << "/" << (c.item ? c.item : "(null)");
  }
  EXPECT_EQ(Keys(full).size(), 1u);
  EXPECT_EQ(TIZ_DeleteSetting(full, "g", "i"), 0);
  EXPECT_TRUE(Keys(full).empty());
  TIZ_Release(empty);
  TIZ_Release(full);
}

TEST(DeleteSetting, EmptyItemMeansValue) {
  uint32_t s = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(s, "g", "Value", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "keep", "", 1), 0);
  EXPECT_EQ(TIZ_DeleteSetting(s, "g", ""), 0);
  EXPECT_EQ(Keys(s), std::vector<std::string>{"keep\x7FValue"});
  TIZ_Release(s);
}

TEST(DeleteSetting, ActsOnTheStoreItselfNeverOnAncestors) {
  uint32_t parent = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "c", "c", child), 0);
  ASSERT_EQ(TIZ_SetSettingString(parent, "s", "i", "parent"), 0);
  ASSERT_EQ(TIZ_SetSettingString(child, "s", "i", "child"), 0);
  ASSERT_EQ(TIZ_SetSettingDword(child, "other", "i", 1), 0);

  EXPECT_EQ(TIZ_DeleteSetting(child, "s", "i"), 0);
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(child, "s", "i", &type), TIZ_FOUND_IN_ANCESTOR);
  EXPECT_EQ(type, TIZ_TYPE_STRING);
  // Only the parent has it now: deleting through the child finds nothing.
  EXPECT_EQ(TIZ_DeleteSetting(child, "s", "i"), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_GetSettingType(parent, "s", "i", &type), 0);

  EXPECT_EQ(TIZ_DeleteSetting(parent, "s", "i"), 0);
  EXPECT_EQ(TIZ_GetSettingType(child, "s", "i", &type), TIZ_NOT_FOUND);
  TIZ_Release(child);
  TIZ_Release(parent);
  EXPECT_FALSE(Alive(parent));
}

TEST(DeleteSetting, SetAgainGoesToTheEndOfTheKeyList) {
  uint32_t s = NewStore();
  for (const char *g : {"a", "b", "c"}) ASSERT_EQ(TIZ_SetSettingDword(s, g, "i", 1), 0);
  ASSERT_EQ(TIZ_DeleteSetting(s, "a", "i"), 0);
  ASSERT_EQ(TIZ_SetSettingDword(s, "a", "i", 2), 0);
  EXPECT_EQ(Keys(s), (std::vector<std::string>{"b\x7Fi", "c\x7Fi", "a\x7Fi"}));
  TIZ_Release(s);
}

TEST(DeleteSetting, ReleasesImagesAndStructuresOnce) {
  uint32_t s = NewStore();
  uint32_t image = TALB_CreateImage(1, 2), kept = TALB_CreateImage(1, 2);
  Probe probe;
  ASSERT_EQ(TIZ_SetSettingImage(s, "img", "i", image), 0);
  ASSERT_EQ(TIZ_SetSettingImage(s, "kept", "i", kept), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(s, "st", "i", &probe, ReleaseProbe, nullptr), 0);

  EXPECT_EQ(TIZ_DeleteSetting(s, "img", "i"), 0);
  EXPECT_EQ(TIZ_DeleteSetting(s, "st", "i"), 0);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(probe.releases, 1);
  EXPECT_EQ(TALB_ReleaseCount(kept), 0u);
  EXPECT_EQ(TIZ_DeleteSetting(s, "img", "i"), TIZ_NOT_FOUND);
  TIZ_Release(s);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(TALB_ReleaseCount(kept), 1u);
  EXPECT_EQ(probe.releases, 1);
}

// parent -> child -> grandchild, all child-linked, an image at each level,
// and a plainly linked store held by the grandchild.
struct Tree {
  uint32_t parent = NewStore(), child = NewStore(), grandchild = NewStore(), plain = NewStore();
  uint32_t images[3] = {TALB_CreateImage(1, 1), TALB_CreateImage(1, 1), TALB_CreateImage(1, 1)};

  explicit Tree(bool keepCreationRefs) {
    EXPECT_EQ(TIZ_SetSettingAttrStoreChild(parent, "child", "i", child), 0);
    EXPECT_EQ(TIZ_SetSettingAttrStoreChild(child, "grandchild", "i", grandchild), 0);
    EXPECT_EQ(TIZ_SetSettingAttrStore(grandchild, "plain", "i", plain), 0);
    EXPECT_EQ(TIZ_SetSettingImage(parent, "img", "i", images[0]), 0);
    EXPECT_EQ(TIZ_SetSettingImage(child, "img", "i", images[1]), 0);
    EXPECT_EQ(TIZ_SetSettingImage(grandchild, "img", "i", images[2]), 0);
    if (!keepCreationRefs) {
      TIZ_Release(grandchild);
      TIZ_Release(child);
    }
  }
};

TEST(DeleteSetting, ChildLinkedStoreGoesWithItsSubtreeAndGivesBackItsReferences) {
  for (bool keepCreationRefs : {false, true}) {
    SCOPED_TRACE(keepCreationRefs);
    Tree t(keepCreationRefs);
    ASSERT_EQ(RefCount(t.parent), keepCreationRefs ? 3 : 1);

    EXPECT_EQ(TIZ_DeleteSetting(t.parent, "child", "i"), 0);
    EXPECT_FALSE(Alive(t.child));
    EXPECT_FALSE(Alive(t.grandchild));
    EXPECT_EQ(TIZ_AddRef(t.child), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TALB_ReleaseCount(t.images[1]), 1u);
    EXPECT_EQ(TALB_ReleaseCount(t.images[2]), 1u);
    EXPECT_EQ(TALB_ReleaseCount(t.images[0]), 0u);
    EXPECT_TRUE(Alive(t.plain));  // only plainly linked: survives
    // The references of the subtree are taken back: the caller's one remains,
    // and releasing it frees the parent.
    EXPECT_EQ(RefCount(t.parent), 1);
    EXPECT_EQ(TIZ_Release(t.parent), 0);
    EXPECT_FALSE(Alive(t.parent));
    EXPECT_EQ(TALB_ReleaseCount(t.images[0]), 1u);
    TIZ_Release(t.plain);
  }
}

TEST(DeleteSetting, ReferencesAreTakenBackFromTheWholeAncestorChain) {
  uint32_t root = NewStore(), mid = NewStore(), leaf = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "mid", "i", mid), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(mid, "leaf", "i", leaf), 0);
  ASSERT_EQ(RefCount(root), 3);
  ASSERT_EQ(RefCount(mid), 2);
  EXPECT_EQ(TIZ_DeleteSetting(mid, "leaf", "i"), 0);
  EXPECT_FALSE(Alive(leaf));
  EXPECT_EQ(RefCount(mid), 1);
  EXPECT_EQ(RefCount(root), 2);
  TIZ_Release(mid);
  TIZ_Release(root);
  EXPECT_FALSE(Alive(root));
  EXPECT_FALSE(Alive(mid));
}

TEST(DeleteSetting, StoreKeptAliveOnlyByItsChildGoesWithIt) {
  uint32_t parent = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "c", "i", child), 0);
  ASSERT_EQ(TIZ_Release(parent), 0);  // the child's reference keeps it
  ASSERT_EQ(RefCount(parent), 1);
  EXPECT_EQ(TIZ_DeleteSetting(parent, "c", "i"), 0);
  EXPECT_FALSE(Alive(child));
  EXPECT_FALSE(Alive(parent));
}

TEST(DeleteSetting, PlainlyLinkedStoreIsDestroyedAndReadsAsGoneElsewhere) {
  uint32_t a = NewStore(), b = NewStore(), nested = NewStore();
  uint32_t image = TALB_CreateImage(1, 1);
  ASSERT_EQ(TIZ_SetSettingImage(nested, "img", "i", image), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(a, "n", "i", nested), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(b, "n", "i", nested), 0);

  EXPECT_EQ(TIZ_DeleteSetting(a, "n", "i"), 0);
  EXPECT_FALSE(Alive(nested));
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(TIZ_Release(nested), TIZ_E_INVALID_HANDLE);
  uint32_t got = 77;
  EXPECT_EQ(TIZ_GetSettingAttrStore(b, "n", "i", &got), 0);
  EXPECT_EQ(got, 0u);  // b's setting now holds no store
  EXPECT_EQ(TIZ_DeleteSetting(b, "n", "i"), 0);
  EXPECT_EQ(RefCount(a), 1);
  TIZ_Release(a);
  TIZ_Release(b);
}

TEST(DeleteSetting, PlainLinkToAStoreOwnedElsewhereGivesBackItsParentsReferences) {
  uint32_t owner = NewStore(), holder = NewStore(), nested = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(owner, "n", "i", nested), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(holder, "n", "i", nested), 0);
  ASSERT_EQ(RefCount(owner), 2);
  EXPECT_EQ(TIZ_DeleteSetting(holder, "n", "i"), 0);
  EXPECT_FALSE(Alive(nested));
  EXPECT_EQ(RefCount(owner), 1);
  uint32_t got = 77;
  EXPECT_EQ(TIZ_GetSettingAttrStore(owner, "n", "i", &got), 0);
  EXPECT_EQ(got, 0u);
  TIZ_Release(owner);
  EXPECT_FALSE(Alive(owner));
  TIZ_Release(holder);
}

TEST(DeleteSetting, LoopsOfLinksEndSafely) {
  // A store holding itself: deleting that setting takes the store down.
  uint32_t self = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(self, "me", "i", self), 0);
  EXPECT_EQ(TIZ_DeleteSetting(self, "me", "i"), 0);
  EXPECT_FALSE(Alive(self));

  // A child holding its parent: deleting the parent takes the child with it.
  uint32_t parent = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(parent, "c", "i", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStore(child, "up", "i", parent), 0);
  EXPECT_EQ(TIZ_DeleteSetting(child, "up", "i"), 0);
  EXPECT_FALSE(Alive(parent));
  EXPECT_FALSE(Alive(child));
}

uint32_t g_reenteredStore = 0;
void TIZ_API ReadFromReleaseCallback(void *) {
  // A group long enough to make the store replace its key buffer.
  static const std::string group(600, 'g');
  uint32_t v = 0;
  TIZ_GetSettingDword(g_reenteredStore, group.c_str(), "i", &v);
}

TEST(DeleteSetting, StructureCallbackMayReenterTheLibrary) {
  g_reenteredStore = NewStore();
  uint32_t nested = NewStore();
  ASSERT_EQ(TIZ_SetSettingStructure(nested, "st", "i", nullptr, ReadFromReleaseCallback, nullptr),
            0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(g_reenteredStore, "nested", "i", nested), 0);
  ASSERT_EQ(TIZ_SetSettingDword(g_reenteredStore, "keep", "i", 1), 0);
  TIZ_Release(nested);
  EXPECT_EQ(TIZ_DeleteSetting(g_reenteredStore, "nested", "i"), 0);
  EXPECT_EQ(Keys(g_reenteredStore), std::vector<std::string>{"keep\x7Fi"});
  TIZ_Release(g_reenteredStore);
}

}  // namespace
