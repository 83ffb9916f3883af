// tiz diff: settings removed, changed and added; exit status as diff's.
#include "ToolTest.h"

namespace tiztest {
namespace {

class ToolDiff : public ToolTest {
 protected:
  void SetUp() override {
    ToolTest::SetUp();
    MakeTree("before.tree",
             "Scan.Speed=12,Value\n"
             "Scan.Gamma=2.5,Value,double\n"
             "Job=Front page,Title,string\n");
    MakeTree("after.tree",
             "Job=Front page,Title,string\n"
             "Scan.Speed=15,Value\n"
             "Scan.Mode=Gray,Value,string\n");
  }
};

TEST_F(ToolDiff, ListsRemovedChangedAndAddedSettingsAndExitsWithOne) {
  ToolRun run = Tiz({"diff", "before.tree", "after.tree"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "~ Scan.Speed/Value: DWORD 12 -> DWORD 15\n"
            "- Scan.Gamma/Value: DOUBLE 2.5\n"
            "+ Scan.Mode/Value: STRING Gray\n");
  EXPECT_EQ(run.err, "");
}

TEST_F(ToolDiff, AChangeOfTypeIsAChange) {
  MakeTree("typed.tree",
           "Scan.Speed=12,Value,string\n"
           "Scan.Gamma=2.5,Value,double\n"
           "Job=Front page,Title,string\n");
  ToolRun run = Tiz({"diff", "before.tree", "typed.tree"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "~ Scan.Speed/Value: DWORD 12 -> STRING 12\n");
}

TEST_F(ToolDiff, NestedSettingsAreComparedUnderTheirPath) {
  Write("nested.tree", kNestedTree);
  std::string changed = kNestedTree;
  changed.replace(changed.find("Value=2480"), 10, "Value=2400");
  Write("changed.tree", changed);
  ToolRun run = Tiz({"diff", "nested.tree", "changed.tree"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out, "~ Stage/Deskew/Crop/Box/Crop/Width: DWORD 2480 -> DWORD 2400\n");

  // A nested store deleted with everything in it.
  Write("flat.tree", kNestedTree);
  ASSERT_EQ(Tiz({"delete", "flat.tree", "Stage", "Deskew"}).status, 0);
  run = Tiz({"diff", "nested.tree", "flat.tree"});
  EXPECT_EQ(run.status, 1) << run.err;
  EXPECT_EQ(run.out,
            "- Stage/Deskew: ATTRIBUTESTORE\n"
            "- Stage/Deskew/Deskew/Angle: DWORD 3\n"
            "- Stage/Deskew/Crop/Box: ATTRIBUTESTORE\n"
            "- Stage/Deskew/Crop/Box/Crop/Width: DWORD 2480\n");
}

TEST_F(ToolDiff, SameSettingsExitWithZeroAndPrintNothing) {
  MakeTree("reordered.tree",
           "Job=Front page,Title,string\n"
           "Scan.Gamma=2.5,Value,double\n"
           "Scan.Speed=12,Value\n");
  ToolRun run = Tiz({"diff", "before.tree", "reordered.tree"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
}

TEST_F(ToolDiff, TroubleExitsWithTwoLikeDiff) {
  Write("foreign.tree", "[NoSeparatorHere]\nSize=4\nType=DWORD\n");
  for (const std::string file : {"missing.tree", "foreign.tree"}) {
    ToolRun run = Tiz({"diff", "before.tree", file});
    EXPECT_EQ(run.status, 2) << file;
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err.rfind("tiz diff: " + file + ":", 0), 0u) << run.err;
  }
}

}  // namespace
}  // namespace tiztest
