// A saved job comes back as it was: generated pipeline jobs saved and loaded
// in another process, every setting at its place, every shared store one
// store at all its places, child links with their fallback, and the loaded
// root's release freeing all the load made; then the smallest trees of each
// way a job used to come back wrong.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "PipelineJob.h"
#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "TreeFileGenerator.h"
#include "tiz.h"

namespace {

using tiz_test::DescribeJob;

// Loads `file` into a new store, describes what came back, releases the
// store and names every loaded store still alive after that.
std::string LoadAndDescribe(const char *file) {
  uint32_t root = 0;
  TIZ_Create(&root);
  std::string text = "result " + std::to_string(TIZ_Deserialize(root, file)) + "\n";
  std::vector<uint32_t> stores;
  text += DescribeJob(root, &stores);
  TIZ_Release(root);
  for (size_t i = 0; i < stores.size(); ++i) {
    if (tiz::LookupStore(stores[i])) text += "alive after release: #" + std::to_string(i) + "\n";
  }
  return text;
}

// The same in a fresh process where there is fork: handles and image numbers
// of the saving process mean nothing there.
std::string LoadInAnotherProcess(const tiz_test::ScratchDirectory &dir, const char *file) {
#ifdef _WIN32
  (void)dir;
  return LoadAndDescribe(file);
#else
  const std::string out = dir.Path("described.txt").string();
  pid_t pid = fork();
  if (pid == 0) {
    std::string text = LoadAndDescribe(file);
    FILE *f = std::fopen(out.c_str(), "wb");
    if (f) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    _exit(f ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return "the loading process failed";
  return tiz_test::ReadFileText(out);
#endif
}

TEST(JobRoundTrip, GeneratedJobsComeBackWhole) {
  tiz_test::ScratchDirectory dir;
  const uint64_t seed = tiz_test::GeneratorSeed();
  for (int round = 0; round < 150; ++round) {
    SCOPED_TRACE("seed " + std::to_string(seed + round));
    tiz_test::PipelineJob job(seed + round);
    std::filesystem::remove(dir.Path("job.tree"));
    const std::string saved = "result 0\n" + DescribeJob(job.Global(), nullptr, true);
    ASSERT_EQ(TIZ_Serialize(job.Global(), "job.tree"), 0);
    EXPECT_EQ(LoadInAnotherProcess(dir, "job.tree"), saved);
    if (HasFailure()) break;  // one job's report is enough to go on
  }
}

class JobShapes : public ::testing::Test {
 protected:
  uint32_t NewStore() {
    uint32_t h = 0;
    TIZ_Create(&h);
    m_held.push_back(h);
    return h;
  }
  void TearDown() override {
    for (uint32_t h : m_held) tiz_test::ReleaseTree(h);
  }
  // Saves `root`, loads the file into a new store in this process and
  // compares the two; the loaded store is released by the fixture.
  uint32_t RoundTrip(uint32_t root) {
    const std::string file = "trip" + std::to_string(m_trips++) + ".tree";
    EXPECT_EQ(TIZ_Serialize(root, file.c_str()), 0);
    uint32_t loaded = NewStore();
    EXPECT_EQ(TIZ_Deserialize(loaded, file.c_str()), 0);
    EXPECT_EQ(DescribeJob(loaded), DescribeJob(root));
    return loaded;
  }
  uint32_t Load(const std::string &ini, int32_t *result) {
    std::string text;
    for (char c : ini) text += c == '|' ? '\x7F' : c;
    tiz_test::WriteFileText(m_dir.Path("job.tree"), text);
    uint32_t loaded = NewStore();
    *result = TIZ_Deserialize(loaded, "job.tree");
    return loaded;
  }
  static uint32_t Nested(uint32_t h, const char *group, const char *item) {
    uint32_t nested = 0;
    if (TIZ_GetSettingAttrStore(h, group, item, &nested) != 0) return 0;
    TIZ_Release(nested);  // the getter's reference; the tree holds it
    return nested;
  }

  tiz_test::ScratchDirectory m_dir;
  std::vector<uint32_t> m_held;
  int m_trips = 0;
};

// Each way a store used to be written under a name no load reaches.
TEST_F(JobShapes, EveryStoreComesBackAtItsPlace) {
  // Held at two places: both hold the one store.
  uint32_t root = NewStore(), shared = NewStore();
  TIZ_SetSettingDword(shared, "Deskew", "Angle", 3);
  TIZ_SetSettingAttrStore(root, "Current.ImageStore", "Attribute.Value", shared);
  TIZ_SetSettingAttrStore(root, "Chain", "Bag", shared);
  uint32_t loaded = RoundTrip(root);
  EXPECT_NE(Nested(loaded, "Chain", "Bag"), 0u);
  EXPECT_EQ(Nested(loaded, "Chain", "Bag"),
            Nested(loaded, "Current.ImageStore", "Attribute.Value"));

  // Named before its holder got its final name.
  uint32_t late = NewStore(), holder = NewStore(), below = NewStore();
  TIZ_SetSettingAttrStoreChild(holder, "First", "Bag", below);
  TIZ_SetSettingDword(below, "Result", "Count", 9);
  TIZ_SetSettingAttrStoreChild(late, "Persistent", "Bag", holder);
  RoundTrip(late);

  // Two stores carrying one name: linked at equal keys of two stores.
  uint32_t top = NewStore(), a = NewStore(), b = NewStore(), s1 = NewStore(), s2 = NewStore();
  TIZ_SetSettingAttrStore(a, "Bag", "Next", s1);
  TIZ_SetSettingAttrStore(b, "Bag", "Next", s2);
  TIZ_SetSettingDword(s1, "Side", "Value", 1);
  TIZ_SetSettingDword(s2, "Side", "Value", 2);
  TIZ_SetSettingAttrStore(top, "Front", "Value", a);
  TIZ_SetSettingAttrStore(top, "Back", "Value", b);
  RoundTrip(top);
}

// A child link comes back as one: a miss in it falls back to its holder,
// and the holder's release takes it along.
TEST_F(JobShapes, ChildLinksComeBackWithTheirFallback) {
  uint32_t root = NewStore(), child = NewStore(), plain = NewStore();
  TIZ_SetSettingDword(root, "scan_duplex", "Attribute.Value", 1);
  TIZ_SetSettingAttrStoreChild(root, "Stage", "Deskew", child);
  TIZ_SetSettingAttrStore(root, "Stage", "Plain", plain);
  TIZ_SetSettingDword(child, "Deskew", "Angle", 3);
  TIZ_SetSettingDword(plain, "Plain", "Value", 4);
  uint32_t loaded = RoundTrip(root);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(Nested(loaded, "Stage", "Deskew"), "scan_duplex", "Attribute.Value",
                                &value),
            1);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(TIZ_GetSettingDword(Nested(loaded, "Stage", "Plain"), "scan_duplex", "Attribute.Value",
                                &value),
            2);
  std::vector<uint32_t> stores;
  DescribeJob(loaded, &stores);
  EXPECT_EQ(TIZ_Release(loaded), 0);
  m_held.pop_back();
  for (uint32_t h : stores) EXPECT_EQ(tiz::LookupStore(h), nullptr);
}

// Hand-made files: a link before the place it names, a link to a place that
// holds no store, links that would loop; an item ending in a blank.
TEST_F(JobShapes, LinksLoadWhateverTheOrderAndNeverLoop) {
  int32_t result = 1;
  uint32_t loaded = Load(
      "[Root|b|b]\nSize=4\nType=ATTRIBUTESTORE\nSameStoreAs=Root|a|a\n"
      "[Root|c|c]\nSize=4\nType=ATTRIBUTESTORE\nSameStoreAs=Root|no|where\n"
      "[Root|a|a]\nSize=4\nType=ATTRIBUTESTORE\n"
      "[Root|a|a|k|v]\nSize=4\nType=DWORD\nValue=5\n",
      &result);
  EXPECT_EQ(result, 0);
  EXPECT_NE(Nested(loaded, "a", "a"), 0u);
  EXPECT_EQ(Nested(loaded, "b", "b"), Nested(loaded, "a", "a"));
  uint32_t empty = Nested(loaded, "c", "c");
  ASSERT_NE(empty, 0u);
  EXPECT_EQ(DescribeJob(empty), "#0 probe=2\n");

  // Each of two stores claims the other as its child: one link stays plain.
  loaded = Load(
      "[Root|x|x]\nSize=4\nType=ATTRIBUTESTORE\n"
      "[Root|x|x|y|y]\nSize=4\nType=ATTRIBUTESTORE\nChildLink=1\n"
      "[Root|x|x|y|y|x|x]\nSize=4\nType=ATTRIBUTESTORE\nSameStoreAs=Root|x|x\nChildLink=1\n",
      &result);
  EXPECT_EQ(result, 0);
  std::vector<uint32_t> stores;
  DescribeJob(loaded, &stores);
  EXPECT_EQ(stores.size(), 3u);
  EXPECT_EQ(TIZ_Release(loaded), 0);
  m_held.pop_back();
  for (uint32_t h : stores) EXPECT_EQ(tiz::LookupStore(h), nullptr);

  // The item loses its blank, the store below keeps its settings.
  uint32_t root = NewStore(), nested = NewStore();
  TIZ_SetSettingAttrStoreChild(root, "Stage", "Bag ", nested);
  TIZ_SetSettingDword(nested, "k", "v", 6);
  ASSERT_EQ(TIZ_Serialize(root, "job.tree"), 0);
  loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "job.tree"), 0);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(Nested(loaded, "Stage", "Bag"), "k", "v", &value), 0);
  EXPECT_EQ(value, 6u);
}

// A program that knows nothing of the escape marker rewrites the escaped
// value: the text it wrote reads as it wrote it.
TEST_F(JobShapes, AValueRewrittenBehindTheMarkerReadsPlain) {
  uint32_t root = NewStore();
  TIZ_SetSettingString(root, "Paths", "Rates", "line 1\r\nline 2, and more");
  ASSERT_EQ(TIZ_Serialize(root, "job.tree"), 0);
  std::string text = tiz_test::ReadFileText(m_dir.Path("job.tree"));
  const std::string escaped = "Value=\"line 1\\r\\nline 2, and more\"";
  size_t at = text.find(escaped);
  ASSERT_NE(at, std::string::npos) << text;
  uint32_t loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "job.tree"), 0);
  uint32_t size = 0;
  int32_t status = 1;
  EXPECT_STREQ(TIZ_GetCharPointer(loaded, "Paths", "Rates", &size, &status),
               "line 1\r\nline 2, and more");

  text.replace(at, escaped.size(), "Value=\"C:\\new dir\\rates\"");
  tiz_test::WriteFileText(m_dir.Path("job.tree"), text);
  loaded = NewStore();
  ASSERT_EQ(TIZ_Deserialize(loaded, "job.tree"), 0);
  EXPECT_STREQ(TIZ_GetCharPointer(loaded, "Paths", "Rates", &size, &status), "C:\\new dir\\rates");
}

}  // namespace
