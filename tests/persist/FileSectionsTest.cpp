// A tree file loaded straight from the disk, a piece at a time, loads as the
// same text does when it is read whole into a document first: the same
// settings, stores and result, whatever the line ends, the byte order mark,
// duplicate or empty headers, NUL bytes, and wherever the pieces end.
#include <gtest/gtest.h>

#include <string>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "TreeFileGenerator.h"
#include "persist/ProfileFile.h"
#include "persist/TreeReader.h"
#include "tiz.h"

namespace {

struct Loaded {
  int32_t result;
  std::string tree;
};

class FileSections : public testing::Test {
 protected:
  // The text loaded from the disk through the C interface.
  Loaded FromFile(const std::string &text) {
    tiz_test::WriteFileText(m_dir.Path("tree.ini"), text);
    uint32_t store = 0;
    TIZ_Create(&store);
    Loaded loaded{TIZ_Deserialize(store, "tree.ini"), tiz_test::DumpStore(store, false, false)};
    tiz_test::ReleaseTree(store);
    return loaded;
  }
  // The same text read whole into a document and loaded from it.
  static Loaded FromDocument(const std::string &text) {
    uint32_t store = 0;
    TIZ_Create(&store);
    tiz::ProfileDocument doc = tiz::ProfileDocumentFromBytes(text);
    Loaded loaded{tiz::DeserializeStore(tiz::LookupStore(store), doc),
                  tiz_test::DumpStore(store, false, false)};
    tiz_test::ReleaseTree(store);
    return loaded;
  }
  void ExpectSameLoad(const std::string &text) {
    Loaded fromFile = FromFile(text), fromDocument = FromDocument(text);
    EXPECT_EQ(fromFile.result, fromDocument.result) << tiz_test::PrintableLines(text);
    EXPECT_EQ(fromFile.tree, fromDocument.tree) << tiz_test::PrintableLines(text);
  }

  tiz_test::ScratchDirectory m_dir;
};

TEST_F(FileSections, HandEditedFilesLoadAsTheirDocumentsDo) {
  tiz_test::TreeFileGenerator generator;
  for (int i = 0; i < 300; ++i) {
    SCOPED_TRACE("file " + std::to_string(i));
    ExpectSameLoad(generator.HandEditedFile());
    if (HasFailure()) return;
  }
}

// Many files end to end: sections, line ends and long lines meet the ends
// of the pieces the file is read in.
TEST_F(FileSections, LargeFilesLoadAsTheirDocumentsDo) {
  tiz_test::TreeFileGenerator generator;
  for (int i = 0; i < 4; ++i) {
    std::string text;
    while (text.size() < 600 * 1024) text += generator.HandEditedFile();
    ExpectSameLoad(text);
  }
}

// A CR LF, a lone CR, a header and a section far larger than a piece,
// placed across the end of the first piece at every offset near it.
TEST_F(FileSections, LineEndsAcrossTheEndOfAPiece) {
  const std::string tail[] = {"\r\n[Root\x7FNext\x7FValue]\r\nType=DWORD\r\nValue=5\r\n",
                              "\r[Root\x7FNext\x7FValue]\rType=DWORD\rValue=5\r",
                              "\n[Root\x7FNext\x7FValue]\nType=DWORD\nValue=5"};
  for (const std::string &end : tail) {
    for (size_t pad = 128 * 1024 - 60; pad < 128 * 1024 + 4; ++pad) {
      std::string text = "[Root\x7FText\x7FValue]\r\nType=STRING\r\nSize=999999\r\nValue=";
      text.append(pad - text.size(), 'v');
      text += end;
      SCOPED_TRACE(pad);
      ExpectSameLoad(text);
    }
  }
  std::string huge = "[Root\x7FHuge\x7FValue]\nType=STRING\nSize=999999\nValue=";
  huge.append(700 * 1024, 'h');
  ExpectSameLoad(huge + "\n[root\x7Fhuge\x7Fvalue]\nType=DWORD\nValue=1\n");
}

}  // namespace
