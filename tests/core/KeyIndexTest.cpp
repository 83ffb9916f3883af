// The lookup index of a store's table on its own, with hashes chosen to
// make keys collide and probe runs wrap round the end of the slots: every
// key filed is found, under its own key only, after any erase.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "StoreInspection.h"
#include "core/Attribute.h"
#include "core/AttributeStore.h"
#include "core/KeyIndex.h"

namespace {

using tiz::EntryFree;
using tiz::KeyEntry;
using tiz::KeyIndex;

using Entry = std::unique_ptr<KeyEntry, EntryFree>;

// The slots of a fresh index that has room for a few keys.
constexpr uint32_t kSlots = 16;

struct Filed {
  std::string key;
  uint32_t hash;
};

// Files the keys, erases the one at `erased`, and checks that the others
// are all found and the erased one is not.
void ExpectEraseKeepsTheOthers(const std::vector<Filed> &keys, size_t erased) {
  KeyIndex index;
  std::vector<Entry> entries;
  for (const Filed &f : keys) {
    entries.emplace_back(KeyEntry::Make(f.key, f.hash, entries.size()));
    index.Insert(entries.back().get());
  }
  index.Erase(entries[erased].get());
  EXPECT_EQ(index.Size(), keys.size() - 1);
  for (size_t i = 0; i < keys.size(); ++i) {
    SCOPED_TRACE(keys[i].key);
    EXPECT_EQ(index.Find(keys[i].key, keys[i].hash), i == erased ? nullptr : entries[i].get());
  }
}

TEST(KeyIndex, KeysThatShareAHashAreToldApart) {
  KeyIndex index;
  EXPECT_EQ(index.Find("a", 5), nullptr);
  const std::vector<std::string> keys = {"Scan\x7FSpeed", "Scan\x7FSpeeD", "Scan\x7FSpeeds", "x"};
  std::vector<Entry> entries;
  for (const std::string &key : keys) {
    entries.emplace_back(KeyEntry::Make(key, 5, 0));
    index.Insert(entries.back().get());
  }
  for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(index.Find(keys[i], 5), entries[i].get());
  EXPECT_EQ(index.Find("Scan\x7FSpeex", 5), nullptr);
  EXPECT_EQ(index.Find("Scan\x7FSpeed", 6), nullptr);
}

// Runs of probes that wrap from the last slot to the first, erased at every
// position: the backward shift must move exactly the entries whose home is
// at or before the hole, counting round the end.
TEST(KeyIndex, EraseKeepsEveryOtherKeyFindableAcrossTheWrap) {
  const std::vector<std::vector<uint32_t>> layouts = {
      {kSlots - 2, kSlots - 2, kSlots - 1, kSlots - 1, 0, 1},
      {kSlots - 1, 0, kSlots - 1, 0, 1},
      {kSlots - 1, kSlots - 1, kSlots - 1, 1, 1},
      {kSlots - 2, 0, kSlots - 1, 0},
      {kSlots - 2, kSlots - 1, kSlots - 1},  // the last one must not move before its home
      {3, 3, 4, 3, 5},
  };
  for (const std::vector<uint32_t> &homes : layouts) {
    std::vector<Filed> keys;
    for (uint32_t home : homes)
      keys.push_back({"k" + std::to_string(keys.size()),
                      home + kSlots * static_cast<uint32_t>(keys.size() + 1)});
    for (size_t erased = 0; erased < keys.size(); ++erased) {
      SCOPED_TRACE("layout of " + std::to_string(homes.size()) + ", erased " +
                   std::to_string(erased));
      ExpectEraseKeepsTheOthers(keys, erased);
    }
  }
}

TEST(KeyIndex, ErasingAnEntryThatIsNotFiledChangesNothing) {
  KeyIndex index;
  Entry stranger(KeyEntry::Make("stranger", 3, 0));
  index.Erase(stranger.get());
  EXPECT_EQ(index.Size(), 0u);
  Entry filed(KeyEntry::Make("filed", 3, 0));
  index.Insert(filed.get());
  index.Erase(stranger.get());
  EXPECT_EQ(index.Size(), 1u);
  EXPECT_EQ(index.Find("filed", 3), filed.get());
  EXPECT_EQ(index.Find("stranger", 3), nullptr);
}

// Readers hash and compare a key as its names, straight from the caller's
// strings; writers and loaders as the composed key. Both must meet at every
// length round the eight-byte words the hash reads, wherever the separator
// falls in a word, and a key whose group holds 0x7F itself is one key
// however it splits.
TEST(KeyIndex, KeysGivenAsNamesMeetTheComposedKeys) {
  KeyIndex index;
  std::vector<Entry> entries;
  std::vector<std::pair<std::string, std::string>> names;
  for (size_t groupLen = 1; groupLen <= 19; ++groupLen) {
    for (size_t itemLen : {0, 1, 6, 7, 8, 9, 16, 23}) {
      std::string group(groupLen, 'g'), item(itemLen, 'i');
      group.back() = static_cast<char>('A' + itemLen);
      if (itemLen) item.front() = static_cast<char>('a' + groupLen);
      names.emplace_back(group, item);
    }
  }
  for (const auto &[group, item] : names) {
    std::string key = group + '\x7F' + item;
    EXPECT_EQ(tiz::HashKey(tiz::KeyNames{group, item}), tiz::HashKey(key)) << key;
    entries.emplace_back(KeyEntry::Make(key, tiz::HashKey(key), 0));
    index.Insert(entries.back().get());
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const auto &[group, item] = names[i];
    tiz::KeyNames asNames{group, item};
    EXPECT_EQ(index.Find(asNames, tiz::HashKey(asNames)), entries[i].get()) << group;
    // One byte more, or one byte changed, is another key.
    const std::string longerItem = item + "x", changedGroup = group.substr(1) + "z";
    tiz::KeyNames longer{group, longerItem}, changed{changedGroup, item};
    EXPECT_EQ(index.Find(longer, tiz::HashKey(longer)), nullptr);
    EXPECT_EQ(index.Find(changed, tiz::HashKey(changed)), nullptr);
  }
  const std::string split =
      "Scan\x7F"
      "Front\x7F"
      "Speed";
  Entry nested(KeyEntry::Make(split, tiz::HashKey(split), 0));
  index.Insert(nested.get());
  for (tiz::KeyNames parts : {tiz::KeyNames{"Scan\x7F"
                                            "Front",
                                            "Speed"},
                              tiz::KeyNames{"Scan",
                                            "Front\x7F"
                                            "Speed"}})
    EXPECT_EQ(index.Find(parts, tiz::HashKey(parts)), nested.get());
}

}  // namespace

// The table of a store on top of the index: an empty key is never filed, and
// a key filed once keeps its first setting.
namespace {

TEST(StoreTable, EmptyAndDuplicateKeysAreRefused) {
  tiz::CAttributeStore store;
  EXPECT_EQ(store.PrepareEntry(""), nullptr);
  EXPECT_EQ(store.FindAttribute(""), nullptr);
  tiz::CAttribute *filed = tiz_test::FileBlankSetting(&store, "Scan\x7FSpeed");
  ASSERT_NE(filed, nullptr);
  filed->m_type = tiz::kTypeDword;
  EXPECT_EQ(store.PrepareEntry("Scan\x7FSpeed"), nullptr);
  EXPECT_EQ(store.FindAttribute("Scan\x7FSpeed"), filed);
  EXPECT_EQ(filed->m_type, tiz::kTypeDword);
  EXPECT_EQ(store.FindAttribute(""), nullptr);
  EXPECT_EQ(store.Keys().size, 1u);
}

}  // namespace
