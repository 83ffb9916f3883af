// Listing a store's groups in sorted order: the in-place sort of the key
// list, the group skipping, the bounded copy into the caller's buffer, a
// cursor that survives removals, and the group of a key whose names hold the
// separator.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "LabelledStores.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "orv310.h"
#include "tiz.h"

namespace {

using tiz_test::LabelledStores;

using tiz::LookupStore;

std::string FullKey(const char *group, const char *item) {
  return std::string(group) + '\x7F' + item;
}

class Iteration : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(TIZ_Create(&m_store), 0); }
  void TearDown() override {
    if (LookupStore(m_store)) TIZ_Release(m_store);
  }

  void Set(const char *group, const char *item) {
    ASSERT_EQ(TIZ_SetSettingDword(m_store, group, item, 1), 0);
  }

  // Every group the iteration reports, each handed back as the previous one.
  std::vector<std::string> Groups() {
    EXPECT_EQ(TIZ_StartIteratorSorted(m_store), 0);
    std::vector<std::string> groups;
    char buffer[64] = "";
    int32_t result;
    while ((result = TIZ_IterateSetting(m_store, buffer, sizeof buffer)) == 0) {
      groups.push_back(buffer);
      if (groups.size() > 1000) break;
    }
    EXPECT_EQ(result, TIZ_E_END_OF_ITERATION);
    return groups;
  }

  // One step of the iteration into a buffer that holds the group handed
  // back: the group reported, or the failed result.
  template <size_t N>
  std::string Next(char (&buffer)[N]) {
    int32_t result = TIZ_IterateSetting(m_store, buffer, N);
    return result == 0 ? std::string(buffer) : "result " + std::to_string(result);
  }

  std::vector<std::string> Keys() {
    std::vector<std::string> keys;
    for (tiz::KeyEntry *e = LookupStore(m_store)->Keys().head; e; e = e->next) {
      keys.push_back(e->Key());
    }
    return keys;
  }

  uint32_t m_store = 0;
};

TEST_F(Iteration, EachGroupOnceInSortedOrderThenEndWithEmptyText) {
  Set("b", "1");
  Set("a", "2");
  Set("a", "3");
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  char buffer[8];
  std::memset(buffer, 'x', sizeof buffer);
  buffer[0] = '\0';
  ASSERT_EQ(Next(buffer), "a");
  ASSERT_EQ(Next(buffer), "b");
  std::memset(buffer, 'x', sizeof buffer);
  std::strcpy(buffer, "b");
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
  EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, '\0'));
  // Stays at the end until the next start.
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
  EXPECT_EQ(Groups(), (std::vector<std::string>{"a", "b"}));
}

TEST_F(Iteration, EmptyStoreAndStoreNeverStartedReportTheEnd) {
  char buffer[8] = "";
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
  Set("a", "1");
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
  TIZ_DeleteSetting(m_store, "a", "1");
  EXPECT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
}

TEST_F(Iteration, SeparatorSortsAboveLettersAndBytesAreUnsigned) {
  Set("ab", "x");
  Set("\xE9t\xE9", "x");  // high bytes sort after every ASCII byte
  Set("abc", "y");
  Set("B", "x");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"B", "abc", "ab", "\xE9t\xE9"}));
  EXPECT_EQ(Keys(), (std::vector<std::string>{"B\x7Fx", "abc\x7Fy", "ab\x7Fx", "\xE9t\xE9\x7Fx"}));
}

TEST_F(Iteration, GroupsDifferingOnlyInCaseAreReportedOnceAsTheFirst) {
  Set("scan", "1");
  Set("Scan", "2");
  Set("SCAN", "3");
  Set("t", "1");
  EXPECT_EQ(Groups(), (std::vector<std::string>{"SCAN", "t"}));
}

TEST_F(Iteration, OnlyTheStoreItselfIsListedNotItsAncestors) {
  uint32_t child = 0;
  ASSERT_EQ(TIZ_Create(&child), 0);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(m_store, "child", "i", child), 0);
  ASSERT_EQ(TIZ_SetSettingDword(child, "own", "i", 1), 0);
  TIZ_Release(child);
  ASSERT_EQ(TIZ_StartIteratorSorted(child), 0);
  char buffer[16] = "";
  EXPECT_EQ(TIZ_IterateSetting(child, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "own");
  EXPECT_EQ(TIZ_IterateSetting(child, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
}

TEST_F(Iteration, HandingBackAnotherTextGivesTheNextKeysGroup) {
  Set("a", "1");
  Set("a", "2");
  Set("b", "1");
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  char buffer[8] = "";
  ASSERT_EQ(Next(buffer), "a");
  std::strcpy(buffer, "zzz");
  ASSERT_EQ(Next(buffer), "a");  // the group of a\x7F2
  ASSERT_EQ(Next(buffer), "b");
}

TEST_F(Iteration, CopyIsBoundedAndPaddedWithNul) {
  struct Case {
    uint32_t len;
    std::string expected;  // the first len bytes of the buffer
  } cases[] = {
      {6, std::string("group\0", 6)},
      {5, "group"},  // exactly the group: no terminating NUL
      {3, "gro"},
      {0, ""},
  };
  Set("group", "i");
  for (const Case &c : cases) {
    ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
    char buffer[8];
    std::memset(buffer, '#', sizeof buffer);
    buffer[0] = '\0';
    EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, c.len), 0) << c.len;
    EXPECT_EQ(std::string(buffer, c.len), c.expected) << c.len;
    EXPECT_EQ(buffer[c.len], c.len == 0 ? '\0' : '#') << "wrote past the length " << c.len;
  }
}

TEST_F(Iteration, UnterminatedGroupHandedBackIsReadWithinTheLength) {
  Set("group", "1");
  Set("group", "2");
  Set("next", "1");
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  char buffer[8];
  std::memset(buffer, '#', sizeof buffer);
  buffer[0] = '\0';
  ASSERT_EQ(TIZ_IterateSetting(m_store, buffer, 5), 0);
  ASSERT_EQ(std::string(buffer, 5), "group");
  // The five bytes are the previous group: its second key is passed over.
  ASSERT_EQ(TIZ_IterateSetting(m_store, buffer, 5), 0);
  EXPECT_EQ(std::string(buffer, 5), std::string("next\0", 5));
}

TEST_F(Iteration, CursorSurvivesRemovalsAndReachesKeysAddedLater) {
  Set("a", "1");
  Set("b", "1");
  Set("c", "1");
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  char buffer[8] = "";
  ASSERT_EQ(Next(buffer), "a");
  // The cursor stands on b's key: removing it moves the cursor on to c.
  ASSERT_EQ(TIZ_DeleteSetting(m_store, "b", "1"), 0);
  Set("0-added", "1");  // appended after the sorted keys
  ASSERT_EQ(Next(buffer), "c");
  ASSERT_EQ(Next(buffer), "0-added");
  // Removing the last key while the cursor stands on it ends the iteration.
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  EXPECT_EQ(Keys().back(), FullKey("c", "1"));
  buffer[0] = '\0';
  for (int i = 0; i < 2; ++i) ASSERT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), 0);
  EXPECT_STREQ(buffer, "a");
  ASSERT_EQ(TIZ_DeleteSetting(m_store, "c", "1"), 0);
  EXPECT_EQ(TIZ_IterateSetting(m_store, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
}

TEST_F(Iteration, CursorEndsWhenTheStoreIsCleared) {
  uint32_t nested = 0;
  ASSERT_EQ(TIZ_Create(&nested), 0);
  ASSERT_EQ(TIZ_SetSettingDword(nested, "a", "1", 1), 0);
  ASSERT_EQ(TIZ_SetSettingDword(nested, "b", "1", 1), 0);
  ASSERT_EQ(TIZ_StartIteratorSorted(nested), 0);
  tiz::ClearTable(LookupStore(nested));
  char buffer[8] = "";
  EXPECT_EQ(TIZ_IterateSetting(nested, buffer, sizeof buffer), TIZ_E_END_OF_ITERATION);
  TIZ_Release(nested);
}

TEST_F(Iteration, SortIsByteOrderOverManyKeys) {
  std::mt19937 random(7);
  std::vector<std::string> keys;
  for (int i = 0; i < 500; ++i) {
    std::string group, item;
    for (int n = 1 + static_cast<int>(random() % 4); n > 0; --n) {
      group.push_back(static_cast<char>("aAb\xC4z_"[random() % 6]));
    }
    item = std::to_string(random() % 50);
    if (LookupStore(m_store)->FindAttribute(group + '\x7F' + item)) continue;
    Set(group.c_str(), item.c_str());
    keys.push_back(group + '\x7F' + item);
  }
  std::sort(keys.begin(), keys.end());  // std::string compares bytes as unsigned
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  EXPECT_EQ(Keys(), keys);
  // The back links agree with the forward order.
  const tiz::KeyList &list = LookupStore(m_store)->Keys();
  std::vector<std::string> backwards;
  for (tiz::KeyEntry *e = list.tail; e; e = e->prev) backwards.insert(backwards.begin(), e->Key());
  EXPECT_EQ(backwards, keys);
  EXPECT_EQ(list.size, keys.size());
}

TEST_F(Iteration, CloneAfterASortVisitsTheSortedOrder) {
  Set("c", "1");
  Set("a", "1");
  Set("b", "1");
  ASSERT_EQ(TIZ_StartIteratorSorted(m_store), 0);
  uint32_t copy = 0;
  ASSERT_EQ(TIZ_Create(&copy), 0);
  ASSERT_EQ(TIZ_Clone(m_store, copy), 0);
  std::vector<std::string> copied;
  for (tiz::KeyEntry *e = LookupStore(copy)->Keys().head; e; e = e->next) {
    copied.push_back(e->Key());
  }
  EXPECT_EQ(copied,
            (std::vector<std::string>{FullKey("a", "1"), FullKey("b", "1"), FullKey("c", "1")}));
  TIZ_Release(copy);
}

TEST(IterationExports, HandleAndBufferChecks) {
  uint32_t reports = ORV_GetLastReport(nullptr, 0);
  char buffer[4] = "";
  for (uint32_t bad : {0u, 0x12345678u}) {
    EXPECT_EQ(TIZ_StartIteratorSorted(bad), TIZ_NOT_FOUND);
    EXPECT_EQ(TIZ_IterateSetting(bad, buffer, sizeof buffer), TIZ_E_INVALID_HANDLE);
    EXPECT_EQ(TIZ_IterateSetting(bad, nullptr, sizeof buffer), TIZ_E_INVALID_ARG);
  }
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), 0);
  EXPECT_EQ(TIZ_IterateSetting(h, nullptr, 4), TIZ_E_INVALID_ARG);
  TIZ_Release(h);
  EXPECT_EQ(TIZ_StartIteratorSorted(h), TIZ_NOT_FOUND);  // released: stale
  EXPECT_EQ(ORV_GetLastReport(nullptr, 0), reports);
}

// A store per case, every store released to its end.
class IterationGroups : public LabelledStores {};

// --- the group reported for a key with separators in its names --------------

// The group reported for a key is what lies before its last separator, and of
// that what follows the last separator: a separator inside a name moves it.
TEST_F(IterationGroups, IterationReportsTheGroupOfTheKeyAsItSplits) {
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

}  // namespace
