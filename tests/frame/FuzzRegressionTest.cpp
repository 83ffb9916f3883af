// Inputs the fuzz targets found harmful, replayed through the public calls.
#include <gtest/gtest.h>

#include <string>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "tiz.h"

namespace {

uint32_t NewStore() {
  uint32_t h = 0;
  EXPECT_EQ(TIZ_Create(&h), 0);
  return h;
}

// A mistyped "filebuffer" count in a hand-edited settings file: a missing
// file is refused before any memory is claimed for the count, and a file
// shorter than the count is padded with zeros up to it.
TEST(FuzzRegression, FileBufferCountOnAMissingOrShortFile) {
  tiz_test::ScratchDirectory dir;
  const auto data = dir.Path("four.bin");
  tiz_test::WriteFileText(data, "abcd");
  tiz_test::WriteFileText(
      dir.Path("missing.txt"),
      "Data=" + dir.Path("absent.bin").string() + ",Value,filebuffer," + std::to_string(1u << 30));
  tiz_test::WriteFileText(dir.Path("short.txt"), "Data=" + data.string() + ",Value,filebuffer,8");

  uint32_t store = NewStore();
  EXPECT_EQ(TIZ_LoadSettings(store, "missing.txt"), TIZ_E_OPEN_FILE);
  ASSERT_EQ(TIZ_LoadSettings(store, "short.txt"), 0);
  uint32_t size = 0;
  ASSERT_EQ(TIZ_GetSettingSize(store, "Data", "Value", &size), 0);
  EXPECT_EQ(size, 8u);
  char bytes[8] = {'x', 'x', 'x', 'x', 'x', 'x', 'x', 'x'};
  int32_t len = sizeof bytes;
  EXPECT_EQ(TIZ_GetSettingBuffer(store, "Data", "Value", bytes, &len), 0);
  EXPECT_EQ(std::string(bytes, 8), std::string("abcd\0\0\0\0", 8));
  TIZ_Release(store);
}

// Found by the API-sequence target (a read of a freed store): a persistent
// bag of one image tree made the global bag of a second tree, then both
// trees re-initialised. The first tree's re-initialisation frees its old
// persistent bags, whatever references the caller holds, so the second
// tree's global bag is gone afterwards and its handle is refused.
TEST(FuzzRegression, PersistentBagOfOneTreeAsGlobalBagOfAnother) {
  for (uint32_t outerDuplex : {0u, 1u}) {
    for (uint32_t innerDuplex : {0u, 1u}) {
      for (uint32_t side : {0u, 1u}) {
        SCOPED_TRACE(std::to_string(outerDuplex) + " " + std::to_string(innerDuplex) + " " +
                     std::to_string(side));
        uint32_t global = NewStore(), ui = NewStore(), innerUi = NewStore(), bag = 0;
        TIZ_SetSettingAttrStore(global, "ui.bag", "Attribute.Value", ui);
        TIZ_SetSettingDword(global, "scan_duplex", "Attribute.Value", outerDuplex);
        ASSERT_EQ(TIZ_UtilReInitImageTree(global), 0);
        ASSERT_EQ(TIZ_UtilGetPersistentBag(global, side, &bag), 0);

        TIZ_SetSettingAttrStore(bag, "ui.bag", "Attribute.Value", innerUi);
        TIZ_SetSettingDword(bag, "scan_duplex", "Attribute.Value", innerDuplex);
        int32_t inner = TIZ_UtilReInitImageTree(bag);
        EXPECT_TRUE(inner == 0 || inner == TIZ_NOT_FOUND) << inner;
        EXPECT_EQ(TIZ_UtilReInitImageTree(global), 0);
        EXPECT_EQ(TIZ_UtilReInitImageTree(bag), TIZ_E_INVALID_HANDLE);
        EXPECT_EQ(TIZ_Serialize(ui, "regression.ini"), 0);

        EXPECT_EQ(TIZ_UtilDestroyImageTree(global), 0);
        tiz_test::ReleaseTree(ui);
        tiz_test::ReleaseTree(innerUi);
      }
    }
  }
}

// Behind the leak the sequence above left: a store child-linked under a
// setting that is then overwritten by another value keeps its parent link,
// so neither its holder's teardown nor anything else ever frees it.
TEST(FuzzRegression, ChildLinkedStoreOverwrittenByAnotherValueGoesWithItsHolder) {
  const size_t storesBefore = tiz_test::LiveStoreCount();
  uint32_t holder = NewStore(), child = NewStore(), other = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(holder, "g", "i", child), 0);
  TIZ_Release(child);  // the holder owns it now
  ASSERT_EQ(TIZ_SetSettingAttrStore(holder, "g", "i", other), 0);
  ASSERT_EQ(TIZ_SetSettingDword(holder, "g", "i", 5), 0);
  TIZ_Release(holder);
  TIZ_Release(other);
  EXPECT_EQ(tiz_test::LiveStoreCount(), storesBefore);
  EXPECT_EQ(TIZ_AddRef(child), TIZ_E_INVALID_HANDLE);
}

}  // namespace
