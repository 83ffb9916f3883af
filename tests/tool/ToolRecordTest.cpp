// tiz pack and unpack: record text built from arguments and listed again.
#include "ToolTest.h"

namespace tiztest {
namespace {

using ToolRecords = ToolTest;

TEST_F(ToolRecords, PackKeepsTheOrderOfTextAndDwordRecords) {
  ToolRun run = Tiz({"pack", "--dword", "Scan", "Speed", "12", "Job", "Title", "Front page",
                     "--dword", "Mask", "Value", "-1", "Job", "Empty", ""});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out,
            "Scan Speed 0 12\n"
            "Job Title 1 Front page\n"
            "Mask Value 0 -1\n"
            "Job Empty 1 \n");
}

TEST_F(ToolRecords, UnpackListsTheRecordsFromStandardInputOrAFile) {
  const std::string text =
      "Scan Speed 0 12\n"
      "Job Title 1 Front page\n"
      "Mask Value 0 -1\n";
  const std::string listing =
      "Scan Speed dword 12\n"
      "Job Title text Front page\n"
      "Mask Value dword 4294967295\n";
  ToolRun run = Tiz({"unpack"}, text);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, listing);
  Write("records.txt", text);
  EXPECT_EQ(Tiz({"unpack", "records.txt"}).out, listing);
  EXPECT_EQ(Tiz({"unpack", "-"}, text).out, listing);
  EXPECT_EQ(Tiz({"unpack"}, "").out, "");
}

TEST_F(ToolRecords, PackedTextUnpacksToWhatWasPacked) {
  ToolRun pack = Tiz({"pack", "A", "B", "text with  two blanks", "--dword", "C", "D", "0x10"});
  ASSERT_EQ(pack.status, 0) << pack.err;
  ToolRun unpack = Tiz({"unpack"}, pack.out);
  EXPECT_EQ(unpack.out, "A B text text with  two blanks\nC D dword 16\n");
}

TEST_F(ToolRecords, AnIncompleteLastRecordIsReportedButNotListed) {
  ToolRun run = Tiz({"unpack"}, "Scan Speed 0 12\nJob Title 1 cut");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.out, "Scan Speed dword 12\n");
  EXPECT_EQ(run.err,
            "tiz unpack: standard input: the text after the last line feed is not a complete "
            "record\n");
}

TEST_F(ToolRecords, ABadRecordFailsWithTheLibrarysResult) {
  ToolRun run = Tiz({"unpack"}, "Scan Speed 0 12\nScan Speed x 12\n");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.out, "Scan Speed dword 12\n");
  EXPECT_EQ(run.err,
            "tiz unpack: standard input: unpacking record 1 failed: result -83 (no such record, "
            "or a field of the record is not a number)\n");

  run = Tiz({"unpack", "missing.txt"});
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.err, "tiz unpack: missing.txt: no such file\n");
}

}  // namespace
}  // namespace tiztest
