// The core seen only through the C interface: the order in which a store's
// values are released when it goes, release callbacks that call back into
// the library meanwhile, keys too long for a 32-bit byte sum, a replaced
// structure released before the new value is stored, results of getters that
// find a cut or empty value in an ancestor, groups of keys whose names hold
// the separator, and what becomes of re-linked and overwritten children.
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "talb310.h"
#include "tiz.h"

namespace {

// Release callbacks append the name of their data here, in the order they run.
std::vector<std::string> g_releaseOrder;

struct Labelled {
  std::string name;
  std::function<void()> onRelease;
};

void TIZ_API ReleaseLabelled(void *data) {
  auto *labelled = static_cast<Labelled *>(data);
  g_releaseOrder.push_back(labelled->name);
  if (labelled->onRelease) labelled->onRelease();
}

class ConformanceCore : public ::testing::Test {
 protected:
  void SetUp() override {
    g_releaseOrder.clear();
    liveImages_ = TALB_LiveImageCount();
  }
  void TearDown() override {
    // Releasing in creation order takes holders (made first) with their
    // children; a linked child left at count 0 stops its loop with -24.
    for (uint32_t h : stores_) {
      uint32_t parent = 0;
      while (TIZ_GetParent(h, &parent) == 0 && TIZ_Release(h) == 0) {
      }
    }
    EXPECT_EQ(TALB_LiveImageCount(), liveImages_);
  }

 public:
  // Case tables call these through the fixture.

  // A store released (until its handle fails) when the test ends.
  uint32_t NewStore() {
    uint32_t h = 0;
    EXPECT_EQ(TIZ_Create(&h), 0);
    stores_.push_back(h);
    return h;
  }

  // A structure setting whose release is recorded under `name`.
  Labelled &SetLabelled(uint32_t h, const char *group, const std::string &name) {
    Labelled &labelled = labels_.emplace_back(Labelled{name, nullptr});
    EXPECT_EQ(TIZ_SetSettingStructure(h, group, "i", &labelled, ReleaseLabelled, nullptr), 0);
    return labelled;
  }

  static bool Alive(uint32_t h) {
    uint32_t parent = 0;
    return TIZ_GetParent(h, &parent) == 0;
  }

  std::vector<uint32_t> stores_;
  std::deque<Labelled> labels_;  // data of structures, alive until the test ends
  uint32_t liveImages_ = 0;
};

// --- teardown ---------------------------------------------------------------

// The keys "ab"/"ba" with item "i" have one byte sum, so one bucket; "zz" has
// another. Values go bucket by bucket, buckets in the order the key list
// first reaches them, a bucket's entries in the order they were filed.
TEST_F(ConformanceCore, ValuesAreReleasedBucketByBucketInKeyListOrder) {
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
TEST_F(ConformanceCore, PlainValuesDecideWhichBucketIsReachedFirst) {
  uint32_t s = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(s, "y{", "i", 1), 0);
  ASSERT_EQ(TIZ_SetSettingString(s, "text", "i", "plain"), 0);
  for (const char *group : {"ab", "ba", "zz"}) SetLabelled(s, group, group);
  g_releaseOrder.clear();
  ASSERT_EQ(TIZ_Release(s), 0);
  EXPECT_FALSE(Alive(s));
  EXPECT_EQ(g_releaseOrder, (std::vector<std::string>{"zz", "ab", "ba"}));
}

TEST_F(ConformanceCore, ChildStoresGoDepthFirstBeforeTheirHoldersValues) {
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
TEST_F(ConformanceCore, ReleaseCallbackMayTakeDownTheStoreBeingTornDown) {
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
TEST_F(ConformanceCore, KeysWhoseByteSumOverflowsAreKeptAndReleased) {
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
    Labelled &labelled = labels_.emplace_back(Labelled{c.name, nullptr});
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

// --- replacing a structure -------------------------------------------------

struct Seen {
  int32_t result = 99;
  void *data = &g_releaseOrder;
  int32_t type = -1;
};

TEST_F(ConformanceCore, ReplacedStructureIsReleasedBeforeTheNewValueIsStored) {
  struct Case {
    const char *name;
    int32_t newType;
    std::function<int32_t(ConformanceCore &, uint32_t)> set;
  };
  const Case cases[] = {
      {"DWORD", TIZ_TYPE_DWORD,
       [](ConformanceCore &, uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 1); }},
      {"DOUBLE", TIZ_TYPE_DOUBLE,
       [](ConformanceCore &, uint32_t h) {
         return TIZ_SetSettingConfidenceDouble(h, "g", "i", 5, 1.5);
       }},
      {"STRING", TIZ_TYPE_STRING,
       [](ConformanceCore &, uint32_t h) { return TIZ_SetSettingString(h, "g", "i", "x"); }},
      {"BUFFER", TIZ_TYPE_BUFFER,
       [](ConformanceCore &, uint32_t h) { return TIZ_SetSettingBuffer(h, "g", "i", "xy", 2); }},
      {"IMAGE", TIZ_TYPE_IMAGE,
       [](ConformanceCore &, uint32_t h) {
         return TIZ_SetSettingImage(h, "g", "i", TALB_CreateImage(1, 1));
       }},
      {"USERDEFINED", TIZ_TYPE_USERDEFINED,
       [](ConformanceCore &t, uint32_t h) {
         Labelled &next = t.labels_.emplace_back(Labelled{"next", nullptr});
         return TIZ_SetSettingStructure(h, "g", "i", &next, ReleaseLabelled, nullptr);
       }},
      {"USERDEFINED with confidence", TIZ_TYPE_USERDEFINED,
       [](ConformanceCore &, uint32_t h) {
         return TIZ_SetSettingConfidenceStructure(h, "g", "i", 5, nullptr, nullptr);
       }},
      {"ATTRIBUTESTORE", TIZ_TYPE_ATTRIBUTESTORE,
       [](ConformanceCore &t, uint32_t h) {
         return TIZ_SetSettingAttrStore(h, "g", "i", t.NewStore());
       }},
      {"ATTRIBUTESTORE child", TIZ_TYPE_ATTRIBUTESTORE,
       [](ConformanceCore &t, uint32_t h) {
         return TIZ_SetSettingAttrStoreChild(h, "g", "i", t.NewStore());
       }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = NewStore();
    Labelled &old = SetLabelled(h, "g", "old");
    Seen seen;
    old.onRelease = [&] {
      seen.result = TIZ_GetSettingStructure(h, "g", "i", &seen.data);
      TIZ_GetSettingType(h, "g", "i", &seen.type);
    };
    g_releaseOrder.clear();
    ASSERT_EQ(c.set(*this, h), 0);
    EXPECT_EQ(g_releaseOrder, std::vector<std::string>{"old"});
    // While the old structure went, the setting held no value, and the new
    // one was not there yet.
    EXPECT_EQ(seen.result, 0);
    EXPECT_EQ(seen.data, nullptr);
    EXPECT_EQ(seen.type, TIZ_TYPE_USERDEFINED);
    int32_t type = -1;
    EXPECT_EQ(TIZ_GetSettingType(h, "g", "i", &type), 0);
    EXPECT_EQ(type, c.newType);
  }
}

TEST_F(ConformanceCore, TextIsCopiedBeforeTheStructureItReplacesIsReleased) {
  uint32_t h = NewStore();
  Labelled &old = SetLabelled(h, "g", "payload");
  // The text handed in lives in the structure's data, which its release
  // callback wipes.
  old.onRelease = [&] { old.name.assign(old.name.size(), '#'); };
  ASSERT_EQ(TIZ_SetSettingString(h, "g", "i", old.name.c_str()), 0);
  char text[16] = {};
  EXPECT_EQ(TIZ_GetSettingString(h, "g", "i", text, sizeof text), 0);
  EXPECT_STREQ(text, "payload");

  Labelled &again = SetLabelled(h, "g", "bytes");
  again.onRelease = [&] { again.name.assign(again.name.size(), '#'); };
  ASSERT_EQ(TIZ_SetSettingBuffer(h, "g", "i", again.name.data(), 5), 0);
  int32_t len = sizeof text;
  EXPECT_EQ(TIZ_GetSettingBuffer(h, "g", "i", text, &len), 0);
  EXPECT_EQ(std::string(text, static_cast<size_t>(len)), "bytes");
}

// A release callback that calls back into the library while its structure is
// being replaced: whatever it does to the setting or the store, the set ends
// cleanly.
TEST_F(ConformanceCore, ReleaseCallbackMayChangeTheSettingOrStoreBeingWritten) {
  struct Case {
    const char *name;
    std::function<void(ConformanceCore &, uint32_t)> during;
    int32_t result;
    int32_t finalType;  // -1: the store is gone
  };
  const Case cases[] = {
      {"setting deleted",
       [](ConformanceCore &, uint32_t h) { EXPECT_EQ(TIZ_DeleteSetting(h, "g", "i"), 0); }, 0,
       TIZ_TYPE_DWORD},
      {"setting set again",
       [](ConformanceCore &t, uint32_t h) {
         Labelled &inner = t.labels_.emplace_back(Labelled{"inner", nullptr});
         EXPECT_EQ(TIZ_SetSettingStructure(h, "g", "i", &inner, ReleaseLabelled, nullptr), 0);
       },
       0, TIZ_TYPE_DWORD},
      {"store released", [](ConformanceCore &, uint32_t h) { EXPECT_EQ(TIZ_Release(h), 0); },
       TIZ_E_INVALID_HANDLE, -1},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = NewStore();
    Labelled &old = SetLabelled(h, "g", "old");
    old.onRelease = [&] { c.during(*this, h); };
    g_releaseOrder.clear();
    EXPECT_EQ(TIZ_SetSettingDword(h, "g", "i", 7), c.result);
    int32_t type = -1;
    if (c.finalType < 0) {
      EXPECT_FALSE(Alive(h));
    } else {
      EXPECT_EQ(TIZ_GetSettingType(h, "g", "i", &type), 0);
      EXPECT_EQ(type, c.finalType);
    }
    // Each structure released once, the replaced one first.
    std::vector<std::string> expected{"old"};
    if (std::string(c.name) == "setting set again") expected.push_back("inner");
    EXPECT_EQ(g_releaseOrder, expected);
  }

  // A structure set into a store that its predecessor's callback took down
  // is not stored, and its data stays the caller's.
  uint32_t h = NewStore();
  Labelled &old = SetLabelled(h, "g", "old");
  old.onRelease = [&] { TIZ_Release(h); };
  Labelled &refused = labels_.emplace_back(Labelled{"refused", nullptr});
  g_releaseOrder.clear();
  EXPECT_EQ(TIZ_SetSettingStructure(h, "g", "i", &refused, ReleaseLabelled, nullptr),
            TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(g_releaseOrder, std::vector<std::string>{"old"});

  // A store to be child-linked that the callback took down is not linked.
  uint32_t holder = NewStore(), nested = NewStore();
  Labelled &held = SetLabelled(holder, "g", "held");
  held.onRelease = [&] { TIZ_Release(nested); };
  EXPECT_EQ(TIZ_SetSettingAttrStoreChild(holder, "g", "i", nested), TIZ_E_INVALID_HANDLE);
  EXPECT_FALSE(Alive(nested));
  uint32_t got = 77;
  EXPECT_EQ(TIZ_GetSettingAttrStore(holder, "g", "i", &got), 0);
  EXPECT_EQ(got, 0u);
}

// --- getters over the parent chain -------------------------------------------

// Only a 0 from an ancestor becomes 1: a cut value keeps -27, with its
// confidence; an empty value reads as found there, with nothing written.
TEST_F(ConformanceCore, AncestorResultsOtherThanZeroPassUnchanged) {
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

// --- iteration ----------------------------------------------------------------

// The group reported for a key is what lies before its last separator, and of
// that what follows the last separator: a separator inside a name moves it.
TEST_F(ConformanceCore, IterationReportsTheGroupOfTheKeyAsItSplits) {
  struct Setting {
    const char *group, *item;
  };
  struct Case {
    std::vector<Setting> settings;
    std::vector<std::string> groups;
  };
  const Case cases[] = {
      {{{"A\x7F"
         "B",
         "Z"}},
       {"B"}},
      {{{"g", "x\x7Fy"}}, {"x"}},
      // Both keys split to the group B and sort next to each other.
      {{{"A\x7F"
         "B",
         "Z"},
        {"B", "1"}},
       {"B"}},
      {{{"a", "1"},
        {"A\x7F"
         "a",
         "2"},
        {"b", "1"}},
       {"a", "b"}},
  };
  for (const Case &c : cases) {
    uint32_t h = NewStore();
    for (const Setting &s : c.settings) ASSERT_EQ(TIZ_SetSettingDword(h, s.group, s.item, 1), 0);
    ASSERT_EQ(TIZ_StartIteratorSorted(h), 0);
    std::vector<std::string> groups;
    char buffer[16] = "";
    int32_t result;
    while ((result = TIZ_IterateSetting(h, buffer, sizeof buffer)) == 0 && groups.size() < 10) {
      groups.push_back(buffer);
    }
    EXPECT_EQ(result, TIZ_E_END_OF_ITERATION);
    EXPECT_EQ(groups, c.groups);
  }
}

// --- links --------------------------------------------------------------------

// A child linked under a second parent belongs to that one; the first keeps
// the references the child gave it, so it outlives its own last reference.
TEST_F(ConformanceCore, RelinkedChildLeavesItsReferencesWithTheFirstParent) {
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
TEST_F(ConformanceCore, ChildWhoseSettingIsOverwrittenStillGoesWithItsParent) {
  struct Case {
    const char *name;
    std::function<int32_t(ConformanceCore &, uint32_t)> overwrite;
  };
  const Case cases[] = {
      {"by a DWORD",
       [](ConformanceCore &, uint32_t h) { return TIZ_SetSettingDword(h, "c", "", 1); }},
      {"by a plain link",
       [](ConformanceCore &t, uint32_t h) {
         return TIZ_SetSettingAttrStore(h, "c", "", t.NewStore());
       }},
      {"by another child",
       [](ConformanceCore &t, uint32_t h) {
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
TEST_F(ConformanceCore, RefusedChildLinkStillRenamesTheStore) {
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
