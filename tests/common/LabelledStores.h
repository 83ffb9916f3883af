// Structure values that note, by name, when they are released, and a fixture
// of stores that holds them: for the tests of the order in which a store's
// values go and of release callbacks that call back into the library.
// Public interface only.
#ifndef TIZ_TESTS_LABELLEDSTORES_H
#define TIZ_TESTS_LABELLEDSTORES_H

#include <gtest/gtest.h>

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "talb310.h"
#include "tiz.h"

namespace tiz_test {

// Release callbacks append the name of their data here, in the order they run.
inline std::vector<std::string> g_releaseOrder;

struct Labelled {
  std::string name;
  std::function<void()> onRelease;
};

inline void TIZ_API ReleaseLabelled(void *data) {
  auto *labelled = static_cast<Labelled *>(data);
  g_releaseOrder.push_back(labelled->name);
  if (labelled->onRelease) labelled->onRelease();
}

class LabelledStores : public ::testing::Test {
 protected:
  void SetUp() override {
    g_releaseOrder.clear();
    m_liveImages = TALB_LiveImageCount();
  }
  void TearDown() override {
    // Releasing in creation order takes holders (made first) with their
    // children; a linked child left at count 0 stops its loop with -24.
    for (uint32_t h : m_stores) {
      uint32_t parent = 0;
      while (TIZ_GetParent(h, &parent) == 0 && TIZ_Release(h) == 0) {
      }
    }
    EXPECT_EQ(TALB_LiveImageCount(), m_liveImages);
  }

 public:
  // Case tables call these through the fixture.

  // A store released (until its handle fails) when the test ends.
  uint32_t NewStore() {
    uint32_t h = 0;
    EXPECT_EQ(TIZ_Create(&h), 0);
    m_stores.push_back(h);
    return h;
  }

  // A structure setting whose release is recorded under `name`.
  Labelled &SetLabelled(uint32_t h, const char *group, const std::string &name) {
    Labelled &labelled = m_labels.emplace_back(Labelled{name, nullptr});
    EXPECT_EQ(TIZ_SetSettingStructure(h, group, "i", &labelled, ReleaseLabelled, nullptr), 0);
    return labelled;
  }

  static bool Alive(uint32_t h) {
    uint32_t parent = 0;
    return TIZ_GetParent(h, &parent) == 0;
  }

  std::vector<uint32_t> m_stores;
  std::deque<Labelled> m_labels;  // data of structures, alive until the test ends
  uint32_t m_liveImages = 0;
};

}  // namespace tiz_test

#endif
