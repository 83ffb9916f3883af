// Generated trees with awkward names and values saved and loaded back: every
// value comes back bit for bit (texts with line breaks through the file's
// marked escape, doubles to the last bit, empty and binary buffers), and a
// save of the loaded tree writes the same file again.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "TreeFileGenerator.h"
#include "tiz.h"

namespace {

TEST(TreeFileRoundTrip, GeneratedTreesComeBackBitExact) {
  tiz_test::ScratchDirectory dir;
  tiz_test::TreeFileGenerator generator;
  const uint64_t seed = tiz_test::GeneratorSeed();
  for (int round = 0; round < 120; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", tree " + std::to_string(round));
    std::filesystem::remove(dir.Path("first.ini"));
    std::filesystem::remove(dir.Path("again.ini"));
    uint32_t saved = tiz_test::BuildStore(generator.Tree());
    ASSERT_EQ(TIZ_Serialize(saved, "first.ini"), 0);
    uint32_t loaded = 0;
    ASSERT_EQ(TIZ_Create(&loaded), 0);
    EXPECT_EQ(TIZ_Deserialize(loaded, "first.ini"), 0);
    const std::string expected = tiz_test::DumpStore(saved, false, false);
    const std::string actual = tiz_test::DumpStore(loaded, false, false);
    EXPECT_EQ(tiz_test::PrintableLines(actual), tiz_test::PrintableLines(expected));
    ASSERT_EQ(TIZ_Serialize(loaded, "again.ini"), 0);
    const std::string file = tiz_test::ReadFileText(dir.Path("first.ini"));
    EXPECT_EQ(tiz_test::PrintableLines(tiz_test::ReadFileText(dir.Path("again.ini"))),
              tiz_test::PrintableLines(file));
    tiz_test::ReleaseTree(saved);
    tiz_test::ReleaseTree(loaded);
    if (HasFailure()) break;  // one tree's report is enough to go on
  }
}

// Files as people edit them (every line end, byte order marks, stray and
// duplicate lines, NUL bytes, quotes) load into a whole store with one of
// the load's own result codes; the Windows suite checks what they load
// against the platform's reading.
TEST(TreeFileRoundTrip, HandEditedFilesLoadIntoAWholeStore) {
  tiz_test::ScratchDirectory dir;
  tiz_test::TreeFileGenerator generator;
  const uint64_t seed = tiz_test::GeneratorSeed();
  const size_t storesBefore = tiz_test::LiveStoreCount();
  for (int round = 0; round < 300; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed) + ", file " + std::to_string(round));
    const std::string file = generator.HandEditedFile();
    tiz_test::WriteFileText(dir.Path("edited.ini"), file);
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    int32_t result = TIZ_Deserialize(store, "edited.ini");
    EXPECT_TRUE(result == 0 || result == TIZ_E_INVALID_ARG || result == TIZ_E_TOO_SMALL ||
                result == TIZ_E_BAD_SECTION || result == TIZ_E_READ_BUFFER ||
                result == TIZ_E_EMPTY_TYPE)
        << result << "\n"
        << tiz_test::PrintableLines(file);
    EXPECT_EQ(tiz_test::StoreFaults(store), "");
    tiz_test::ReleaseTree(store);
  }
  EXPECT_EQ(tiz_test::LiveStoreCount(), storesBefore);
}

}  // namespace
