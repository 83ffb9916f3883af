// The tool's seam into the library: what a load reports of each section, a
// section restored on its own, and the locked edit.
#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

#include "ScratchDirectory.h"
#include "inspect/TreeInspection.h"
#include "tiz.h"

namespace {

using tiz::inspect::LoadNote;
using tiz::inspect::TreeText;

// Tree-file text written readably: '|' stands for the separator byte.
std::string Tree(std::string text) {
  std::replace(text.begin(), text.end(), '|', '\x7f');
  return text;
}

// "line code key: reason", sorted by line; code 0 is a section of no store.
std::vector<std::string> NotesOfLoad(const std::string &text, int32_t *result) {
  uint32_t store = 0;
  EXPECT_EQ(TIZ_Create(&store), 0);
  std::vector<LoadNote> notes;
  *result = tiz::inspect::LoadTree(store, "Root", TreeText(text), &notes);
  std::sort(notes.begin(), notes.end(),
            [](const LoadNote &a, const LoadNote &b) { return a.sectionLine < b.sectionLine; });
  std::vector<std::string> shown;
  for (const LoadNote &note : notes) {
    shown.push_back(std::to_string(note.sectionLine) + " " + std::to_string(note.code) + " " +
                    note.key + ": " + note.reason);
  }
  TIZ_Release(store);
  return shown;
}

TEST(TreeInspection, ALoadNotesWhatTheReaderPassesOverAndItsResultStaysTheSame) {
  struct Case {
    std::string text;
    std::vector<std::string> notes;
  };
  const Case cases[] = {
      {"[Root|A|B]\nSize=4\nValue=1\n", {"1 -182 Type: has no Type"}},
      {"[Root|A|B]\nSize=x\nType=DWORD\nValue=1\n",
       {"1 -24 Size: has a Size that is no 32-bit number"}},
      {"[Root|A|B]\nSize=4\nType=DWORD\nValue=zz\n",
       {"1 -24 Value: has a Value that is no 32-bit number"}},
      {"[Root|A|B]\nSize=1\nType=STRING\nValue=abc\n",
       {"1 -27 Value: has a Value longer than its Size allows"}},
      {"[Root|A|B]\nSize=2\nType=BUFFER\n", {"1 -181 Value: has no Value for its buffer"}},
      {"[Root|A|B]\nSize=2\nType=BUFFER\nValue=zz\n",
       {"1 -181 Value: has a buffer Value that does not match its Size or its checksum"}},
      // Another program's section, and one left below a setting that is no
      // store any more: the tree around them loads.
      {"[Options]\nx=1\n[Root|A|B]\nSize=4\nType=DWORD\nValue=1\n"
       "[Root|A|B|C|D]\nSize=4\nType=DWORD\nValue=2\n",
       {"1 -180 : lacks its store, group or item part", "7 0 : "}},
      // A nested store's own sections are reached; a failing one drops its
      // store and is named.
      {"[Root|A|S]\nSize=4\nType=ATTRIBUTESTORE\n[Root|A|S|B|C]\nSize=4\nType=DWORD\nValue=1\n"
       "[Root|A|S|B|D]\nSize=4\nValue=1\n",
       {"8 -182 Type: has no Type"}},
      {"[Root|A|B]\nSize=4\nType=DWORD\nValue=1\n", {}},
  };
  for (const Case &c : cases) {
    const std::string text = Tree(c.text);
    SCOPED_TRACE(c.text);
    int32_t result = 0;
    EXPECT_EQ(NotesOfLoad(text, &result), c.notes);
    uint32_t store = 0;
    ASSERT_EQ(TIZ_Create(&store), 0);
    EXPECT_EQ(tiz::inspect::LoadTree(store, "Root", TreeText(text)), result);
    TIZ_Release(store);
  }
}

// A section is restored from its own lines, also where its name differs from
// another's only by blanks at its end, which a lookup by name would trim.
TEST(TreeInspection, ASectionIsRestoredFromItsOwnLines) {
  TreeText text(
      Tree("[Root|A|B\t]\nSize=8\nType=DOUBLE\nValue=2.5\n"
           "[Root|A|B]\nSize=4\nType=DWORD\n"));
  tiz::inspect::TreeLayout layout = tiz::inspect::ReadLayout(text);
  ASSERT_EQ(layout.sections.size(), 2u);
  tiz::inspect::RestoredSection first =
      tiz::inspect::RestoreSection(text, layout.sections[0].number);
  EXPECT_EQ(first.result, 0);
  EXPECT_EQ(first.type, TIZ_TYPE_DOUBLE);
  EXPECT_TRUE(first.hasValue);
  tiz::inspect::RestoredSection second =
      tiz::inspect::RestoreSection(text, layout.sections[1].number);
  EXPECT_EQ(second.type, TIZ_TYPE_DWORD);
  EXPECT_EQ(second.value, "0");  // a missing Value restores 0
  EXPECT_EQ(tiz::inspect::RestoreSection(text, 99).result, TIZ_E_EMPTY_TYPE);
}

TEST(TreeInspection, AnEditThatThrowsLeavesTheFileAsItWas) {
  tiz_test::ScratchDirectory scratch;
  const std::string path = scratch.Path("edit.tree").string();
  const std::string original = Tree(
      "; kept\r\n[Root|A|S]\r\nSize=4\r\nType=ATTRIBUTESTORE\r\n\r\n"
      "[Root|A|S|B|C]\r\nSize=4\r\nType=DWORD\r\nValue=1\r\n\r\n"
      "[Root|X|Y]\r\nSize=4\r\nType=DWORD\r\nValue=2\r\n");
  tiz_test::WriteFileText(path, original);
  EXPECT_THROW(
      tiz::inspect::EditTreeFile(path,
                                 [](TreeText &text) -> bool {
                                   tiz::inspect::RemoveSettingSections(text, "Root", {"X", "Y"});
                                   throw std::runtime_error("refused");
                                 }),
      std::runtime_error);
  EXPECT_EQ(tiz_test::ReadFileText(path), original);
  // The setting and every store below it go; the rest stays byte for byte.
  EXPECT_EQ(
      tiz::inspect::EditTreeFile(path,
                                 [](TreeText &text) {
                                   tiz::inspect::RemoveSettingSections(text, "Root", {"A", "S"});
                                   return true;
                                 }),
      0);
  EXPECT_EQ(tiz_test::ReadFileText(path),
            Tree("; kept\r\n[Root|X|Y]\r\nSize=4\r\nType=DWORD\r\nValue=2\r\n"));
}

}  // namespace
