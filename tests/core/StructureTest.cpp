// Structure values: the caller's data wrapped with its callbacks, handed back
// by the getters, and released exactly once however the setting goes; a
// replaced structure is released before the value replacing it is stored.
#include <gtest/gtest.h>

#include <deque>
#include <functional>
#include <string>

#include "AllocFailure.h"
#include "LabelledStores.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/UserDefined.h"
#include "tiz.h"

namespace {

using tiz_test::g_releaseOrder;
using tiz_test::Labelled;
using tiz_test::LabelledStores;
using tiz_test::ReleaseLabelled;

// The caller's data in these tests: counts its releases and, when asked,
// calls back into the library from the release callback.
struct Probe {
  int releases = 0;
  std::function<void()> onRelease;
};

void TIZ_API ReleaseProbe(void *data) {
  auto *probe = static_cast<Probe *>(data);
  ++probe->releases;
  if (probe->onRelease) probe->onRelease();
}

class Structure : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&m_store), 0); }
  void TearDown() override {
    if (tiz::LookupStore(m_store)) TIZ_Release(m_store);
  }

  tiz::CAttribute *Find(uint32_t h, const char *group, const char *item) {
    tiz::CAttributeStore *s = tiz::LookupStore(h);
    return s ? s->FindAttribute(tiz::ComposeKey(group, item)) : nullptr;
  }

  // The data of structures left in m_store must outlive its teardown.
  Probe &NewProbe() { return m_probes.emplace_back(); }

  uint32_t m_store = 0;
  std::deque<Probe> m_probes;
};

TEST_F(Structure, SetAndGetHandOutTheDataPointer) {
  Probe &probe = NewProbe();
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &probe, ReleaseProbe, nullptr), 0);
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(m_store, "g", "i", &data), 0);
  EXPECT_EQ(data, &probe);
  int32_t conf = 0, type = 0;
  uint32_t size = 0;
  data = nullptr;
  EXPECT_EQ(TIZ_GetSettingConfidenceStructure(m_store, "g", "i", &conf, &data), 0);
  EXPECT_EQ(data, &probe);
  EXPECT_EQ(conf, 100);
  EXPECT_EQ(TIZ_GetSettingType(m_store, "g", "i", &type), 0);
  EXPECT_EQ(type, TIZ_TYPE_USERDEFINED);
  EXPECT_EQ(TIZ_GetSettingSize(m_store, "g", "i", &size), 0);
  EXPECT_EQ(size, 4u);
  EXPECT_FALSE(Find(m_store, "g", "i")->m_serializable);
  EXPECT_EQ(probe.releases, 0);  // reading hands out no ownership
}

TEST_F(Structure, ConfidenceFormKeepsItsConfidenceAndHasNoDisplayCallback) {
  Probe &probe = NewProbe();
  ASSERT_EQ(TIZ_SetSettingConfidenceStructure(m_store, "g", "", -7, &probe, ReleaseProbe), 0);
  int32_t conf = 0;
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingConfidenceStructure(m_store, "g", "Value", &conf, &data), 0);
  EXPECT_EQ(conf, -7);
  EXPECT_EQ(data, &probe);
  tiz::CAttribute *a = Find(m_store, "g", "");
  EXPECT_FALSE(a->m_serializable);
  EXPECT_EQ(a->m_value.structure->DisplayCallback(), nullptr);
  EXPECT_EQ(a->m_value.structure->ReleaseCallback(), &ReleaseProbe);
}

TEST_F(Structure, GettersInheritAndLeaveTheOutParameterOnFailure) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "kids", "one", child), 0);
  TIZ_Release(child);  // the parent owns it now
  Probe &probe = NewProbe();
  ASSERT_EQ(TIZ_SetSettingConfidenceStructure(m_store, "g", "i", 55, &probe, ReleaseProbe), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "number", 7), 0);

  void *data = nullptr;
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingStructure(child, "g", "i", &data), 1);
  EXPECT_EQ(data, &probe);
  data = nullptr;
  EXPECT_EQ(TIZ_GetSettingConfidenceStructure(child, "g", "i", &conf, &data), 1);
  EXPECT_EQ(data, &probe);
  EXPECT_EQ(conf, 55);

  void *untouched = &conf;
  conf = 1234;
  EXPECT_EQ(TIZ_GetSettingStructure(child, "g", "missing", &untouched), 2);
  EXPECT_EQ(TIZ_GetSettingStructure(child, "g", "number", &untouched), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_GetSettingConfidenceStructure(m_store, "g", "number", &conf, &untouched),
            TIZ_E_WRONG_TYPE);
  EXPECT_EQ(untouched, &conf);
  EXPECT_EQ(conf, 1234);
  EXPECT_EQ(TIZ_GetSettingStructure(m_store, "", "i", &untouched), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetSettingStructure(0, "g", "i", &untouched), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(untouched, &conf);
}

TEST_F(Structure, RefusedSetLeavesTheDataWithTheCaller) {
  Probe probe;
  uint32_t dead = 0;
  ASSERT_EQ(TIZ_Create(&dead), 0);
  TIZ_Release(dead);
  for (uint32_t h : {0u, dead, 0x12345678u}) {
    EXPECT_EQ(TIZ_SetSettingStructure(h, "g", "i", &probe, ReleaseProbe, nullptr),
              TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_SetSettingConfidenceStructure(h, "g", "i", 5, &probe, ReleaseProbe),
              TIZ_E_INVALID_HANDLE);
  }
  for (const char *group : {static_cast<const char *>(nullptr), ""}) {
    EXPECT_EQ(TIZ_SetSettingStructure(m_store, group, "i", &probe, ReleaseProbe, nullptr),
              TIZ_E_INVALID_ARG);
    EXPECT_EQ(TIZ_SetSettingConfidenceStructure(m_store, group, "i", 5, &probe, ReleaseProbe),
              TIZ_E_INVALID_ARG);
  }
  EXPECT_EQ(probe.releases, 0);
  EXPECT_TRUE(tiz::LookupStore(m_store)->Keys().Empty());
}

// Every way a setting loses its structure releases the data exactly once,
// with the data pointer, at the moment the structure goes.
TEST_F(Structure, ReleasedExactlyOnceWhenTheValueGoes) {
  struct Case {
    const char *name;
    std::function<void(uint32_t)> removeValue;
  };
  const Case cases[] = {
      {"deleted", [](uint32_t h) { ASSERT_EQ(TIZ_DeleteSetting(h, "g", "i"), 0); }},
      {"replaced by a DWORD",
       [](uint32_t h) { ASSERT_EQ(TIZ_SetSettingDword(h, "g", "i", 1), 0); }},
      {"replaced by a text",
       [](uint32_t h) { ASSERT_EQ(TIZ_SetSettingString(h, "g", "i", "x"), 0); }},
      {"replaced by a structure",
       [](uint32_t h) {
         ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "i", nullptr, nullptr, nullptr), 0);
       }},
      {"store released", [](uint32_t h) { ASSERT_EQ(TIZ_Release(h), 0); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    Probe probe, other;
    ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "i", &probe, ReleaseProbe, nullptr), 0);
    ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "other", &other, ReleaseProbe, nullptr), 0);
    probe.onRelease = [&] { EXPECT_EQ(probe.releases, 1); };
    c.removeValue(h);
    EXPECT_EQ(probe.releases, 1);
    if (tiz::LookupStore(h)) {
      EXPECT_EQ(other.releases, 0);
      TIZ_Release(h);
    }
    EXPECT_EQ(probe.releases, 1);
    EXPECT_EQ(other.releases, 1);
  }
}

TEST_F(Structure, ChildStoreStructuresGoWithTheParent) {
  uint32_t child = 0, grandchild = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_Create(&grandchild), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "a", "b", child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(child, "a", "b", grandchild), 0);
  Probe &inChild = NewProbe(), &inGrandchild = NewProbe();
  ASSERT_EQ(TIZ_SetSettingStructure(child, "g", "i", &inChild, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(grandchild, "g", "i", &inGrandchild, ReleaseProbe, nullptr), 0);
  TIZ_Release(grandchild);
  TIZ_Release(child);
  EXPECT_EQ(inChild.releases + inGrandchild.releases, 0);
  ASSERT_EQ(TIZ_Release(m_store), 0);
  EXPECT_EQ(tiz::LookupStore(child), nullptr);
  EXPECT_EQ(inChild.releases, 1);
  EXPECT_EQ(inGrandchild.releases, 1);
}

TEST_F(Structure, SettingTheSameDataAgainReleasesItThroughTheEarlierHolder) {
  Probe &probe = NewProbe();
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &probe, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &probe, ReleaseProbe, nullptr), 0);
  EXPECT_EQ(probe.releases, 1);
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(m_store, "g", "i", &data), 0);
  EXPECT_EQ(data, &probe);
  ASSERT_EQ(TIZ_Release(m_store), 0);
  EXPECT_EQ(probe.releases, 2);
}

TEST_F(Structure, WithoutReleaseCallbackTheDataIsNeverTouched) {
  int data = 5;
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &data, nullptr, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingConfidenceStructure(m_store, "g", "j", 1, &data, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "i", 1), 0);
  ASSERT_EQ(TIZ_Release(m_store), 0);
  EXPECT_EQ(data, 5);
}

// The release callback runs while the library holds its lock; it may call
// the library again and then finds every store consistent.
TEST_F(Structure, ReleaseCallbackMayCallBackIntoTheLibrary) {
  uint32_t other = 0;
  ASSERT_EQ(TIZ_Create(&other), 0);
  ASSERT_EQ(TIZ_SetSettingDword(other, "g", "n", 42), 0);
  struct Case {
    const char *name;
    std::function<void(uint32_t)> removeValue;
  };
  const Case cases[] = {
      {"deleted", [](uint32_t h) { TIZ_DeleteSetting(h, "g", "i"); }},
      {"replaced", [](uint32_t h) { TIZ_SetSettingDword(h, "g", "i", 1); }},
      {"store released", [](uint32_t h) { TIZ_Release(h); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    Probe probe;
    int32_t result = -1;
    uint32_t value = 0;
    probe.onRelease = [&] { result = TIZ_GetSettingDword(other, "g", "n", &value); };
    ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "i", &probe, ReleaseProbe, nullptr), 0);
    c.removeValue(h);
    EXPECT_EQ(probe.releases, 1);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(value, 42u);
    if (tiz::LookupStore(h)) TIZ_Release(h);
  }
  TIZ_Release(other);
}

// The old structure is released before the new one is stored: meanwhile the
// setting holds no structure at all.
TEST_F(Structure, ReleaseCallbackRunsBeforeTheNewStructureIsStored) {
  Probe &first = NewProbe(), &second = NewProbe();
  void *seen = &first;
  int32_t result = -1;
  first.onRelease = [&] { result = TIZ_GetSettingStructure(m_store, "g", "i", &seen); };
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &first, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &second, ReleaseProbe, nullptr), 0);
  EXPECT_EQ(first.releases, 1);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(seen, nullptr);
  EXPECT_EQ(TIZ_GetSettingStructure(m_store, "g", "i", &seen), 0);
  EXPECT_EQ(seen, &second);
}

TEST_F(Structure, ReleaseCallbackDuringTeardownFindsItsStoreGone) {
  Probe &probe = NewProbe();
  int32_t result = 0;
  uint32_t value = 0;
  probe.onRelease = [&] { result = TIZ_GetSettingDword(m_store, "g", "n", &value); };
  ASSERT_EQ(TIZ_SetSettingDword(m_store, "g", "n", 3), 0);
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &probe, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_Release(m_store), 0);
  EXPECT_EQ(probe.releases, 1);
  EXPECT_EQ(result, TIZ_E_INVALID_HANDLE);
}

// A release callback that takes the whole store down while a setter replaces
// the structure: the setter answers -16 and stores nothing, so a new
// structure stays with the caller and a store to link stays unlinked.
TEST_F(Structure, ReplacedByASetterWhoseStoreTheCallbackTakesDown) {
  uint32_t nested = 0;
  ASSERT_EQ(TIZ_Create(&nested), 0);
  Probe &incoming = NewProbe();
  const unsigned char bytes[] = {1, 2};
  struct Case {
    const char *name;
    std::function<int32_t(uint32_t)> set;
  };
  const Case cases[] = {
      {"dword", [](uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 1); }},
      {"double", [](uint32_t h) { return TIZ_SetSettingDouble(h, "g", "i", 1.5); }},
      {"string", [](uint32_t h) { return TIZ_SetSettingString(h, "g", "i", "text"); }},
      {"buffer", [&](uint32_t h) { return TIZ_SetSettingBuffer(h, "g", "i", bytes, 2); }},
      {"image", [](uint32_t h) { return TIZ_SetSettingImage(h, "g", "i", 0); }},
      {"structure",
       [&](uint32_t h) {
         return TIZ_SetSettingStructure(h, "g", "i", &incoming, ReleaseProbe, nullptr);
       }},
      {"store", [&](uint32_t h) { return TIZ_SetSettingAttrStore(h, "g", "i", nested); }},
      {"child store",
       [&](uint32_t h) { return TIZ_SetSettingAttrStoreChild(h, "g", "i", nested); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    uint32_t h = 0;
    ASSERT_EQ(TIZ_Create(&h), 0);
    Probe &held = NewProbe();
    held.onRelease = [h] { TIZ_Release(h); };
    ASSERT_EQ(TIZ_SetSettingStructure(h, "g", "i", &held, ReleaseProbe, nullptr), 0);
    EXPECT_EQ(c.set(h), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(held.releases, 1);
    EXPECT_EQ(tiz::LookupStore(h), nullptr);
  }
  EXPECT_EQ(incoming.releases, 0);
  uint32_t parent = 7;
  EXPECT_EQ(TIZ_GetParent(nested, &parent), 0);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_Release(nested), 0);
  EXPECT_EQ(tiz::LookupStore(nested), nullptr);
}

// A clone shares the structure with its source: the data is released once,
// when the last store holding it goes.
TEST_F(Structure, StructureSharedWithACloneIsReleasedOnce) {
  uint32_t copy = 0;
  ASSERT_EQ(TIZ_Create(&copy), 0);
  Probe &probe = NewProbe();
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "i", &probe, ReleaseProbe, nullptr), 0);
  ASSERT_EQ(TIZ_Clone(m_store, copy), 0);
  ASSERT_EQ(TIZ_Release(m_store), 0);
  EXPECT_EQ(probe.releases, 0);
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(copy, "g", "i", &data), 0);
  EXPECT_EQ(data, &probe);
  ASSERT_EQ(TIZ_Release(copy), 0);
  EXPECT_EQ(probe.releases, 1);
}

// A set that exhausted memory failed: the caller keeps its data, and a
// structure the setting held before stays there unreleased.
TEST_F(Structure, SetEndedByExhaustedMemoryLeavesTheDataWithTheCaller) {
  Probe &held = NewProbe();
  ASSERT_EQ(TIZ_SetSettingStructure(m_store, "g", "held", &held, ReleaseProbe, nullptr), 0);
  for (const char *item : {"new", "held"}) {
    SCOPED_TRACE(item);
    for (size_t n = 0;; ++n) {
      Probe &probe = NewProbe();
      int32_t result;
      {
        tiz_test::ScopedAllocationFailure failure(n);
        result = TIZ_SetSettingStructure(m_store, "g", item, &probe, ReleaseProbe, nullptr);
        if (!tiz_test::AllocationFailed()) {
          EXPECT_EQ(result, 0);
          break;
        }
      }
      EXPECT_EQ(probe.releases, 0);
      EXPECT_EQ(held.releases, 0);
      void *data = nullptr;
      int32_t found = TIZ_GetSettingStructure(m_store, "g", item, &data);
      if (result == 0) {
        EXPECT_EQ(data, &probe);
        break;
      }
      EXPECT_NE(data, &probe);
      EXPECT_EQ(found, item == std::string("held") ? 0 : 2);
    }
  }
  EXPECT_EQ(held.releases, 1);  // replaced by the last, successful set
}

// Structures that note, by name, when they are released: the release of a
// replaced structure against the store of the value that replaces it.
class StructureReplacement : public LabelledStores {};

// --- replacing a structure, seen by the releases ---------------------------

struct Seen {
  int32_t result = 99;
  void *data = &g_releaseOrder;
  int32_t type = -1;
};

TEST_F(StructureReplacement, ReplacedStructureIsReleasedBeforeTheNewValueIsStored) {
  struct Case {
    const char *name;
    int32_t newType;
    std::function<int32_t(LabelledStores &, uint32_t)> set;
  };
  const Case cases[] = {
      {"DWORD", TIZ_TYPE_DWORD,
       [](LabelledStores &, uint32_t h) { return TIZ_SetSettingDword(h, "g", "i", 1); }},
      {"DOUBLE", TIZ_TYPE_DOUBLE,
       [](LabelledStores &, uint32_t h) {
         return TIZ_SetSettingConfidenceDouble(h, "g", "i", 5, 1.5);
       }},
      {"STRING", TIZ_TYPE_STRING,
       [](LabelledStores &, uint32_t h) { return TIZ_SetSettingString(h, "g", "i", "x"); }},
      {"BUFFER", TIZ_TYPE_BUFFER,
       [](LabelledStores &, uint32_t h) { return TIZ_SetSettingBuffer(h, "g", "i", "xy", 2); }},
      {"IMAGE", TIZ_TYPE_IMAGE,
       [](LabelledStores &, uint32_t h) {
         return TIZ_SetSettingImage(h, "g", "i", TALB_CreateImage(1, 1));
       }},
      {"USERDEFINED", TIZ_TYPE_USERDEFINED,
       [](LabelledStores &t, uint32_t h) {
         Labelled &next = t.m_labels.emplace_back(Labelled{"next", nullptr});
         return TIZ_SetSettingStructure(h, "g", "i", &next, ReleaseLabelled, nullptr);
       }},
      {"USERDEFINED with confidence", TIZ_TYPE_USERDEFINED,
       [](LabelledStores &, uint32_t h) {
         return TIZ_SetSettingConfidenceStructure(h, "g", "i", 5, nullptr, nullptr);
       }},
      {"ATTRIBUTESTORE", TIZ_TYPE_ATTRIBUTESTORE,
       [](LabelledStores &t, uint32_t h) {
         return TIZ_SetSettingAttrStore(h, "g", "i", t.NewStore());
       }},
      {"ATTRIBUTESTORE child", TIZ_TYPE_ATTRIBUTESTORE,
       [](LabelledStores &t, uint32_t h) {
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

TEST_F(StructureReplacement, TextIsCopiedBeforeTheStructureItReplacesIsReleased) {
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
TEST_F(StructureReplacement, ReleaseCallbackMayChangeTheSettingOrStoreBeingWritten) {
  struct Case {
    const char *name;
    std::function<void(LabelledStores &, uint32_t)> during;
    int32_t result;
    int32_t finalType;  // -1: the store is gone
  };
  const Case cases[] = {
      {"setting deleted",
       [](LabelledStores &, uint32_t h) { EXPECT_EQ(TIZ_DeleteSetting(h, "g", "i"), 0); }, 0,
       TIZ_TYPE_DWORD},
      {"setting set again",
       [](LabelledStores &t, uint32_t h) {
         Labelled &inner = t.m_labels.emplace_back(Labelled{"inner", nullptr});
         EXPECT_EQ(TIZ_SetSettingStructure(h, "g", "i", &inner, ReleaseLabelled, nullptr), 0);
       },
       0, TIZ_TYPE_DWORD},
      {"store released", [](LabelledStores &, uint32_t h) { EXPECT_EQ(TIZ_Release(h), 0); },
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
  Labelled &refused = m_labels.emplace_back(Labelled{"refused", nullptr});
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

}  // namespace
