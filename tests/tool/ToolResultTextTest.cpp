// tiz_result.h: a meaning for every code the library returns, compiled here
// as C++ with pedantic warnings.
#include <gtest/gtest.h>

#include <string>

#include "tiz_result.h"

namespace {

TEST(ResultText, EveryCodeOfTheLibraryHasAMeaningOfItsOwn) {
  const int32_t codes[] = {TIZ_OK,
                           TIZ_FOUND_IN_ANCESTOR,
                           TIZ_NOT_FOUND,
                           TIZ_TRUNCATED_DISPLAY,
                           -1,
                           -2,
                           -3,
                           -4,
                           -5,
                           TIZ_E_NO_MEMORY_LINE,
                           TIZ_E_WRITE_BUFFER,
                           TIZ_E_INVALID_HANDLE,
                           TIZ_E_INVALID_ARG,
                           TIZ_E_TOO_SMALL,
                           TIZ_E_SIDE_MISMATCH,
                           TIZ_E_NO_DPI,
                           TIZ_E_CYCLE,
                           TIZ_E_NO_RECORD,
                           TIZ_E_SAME_IMAGE,
                           TIZ_E_NULL_POINTER,
                           TIZ_E_OPEN_FILE,
                           TIZ_E_NO_SAVED_TREE,
                           TIZ_E_END_OF_ITERATION,
                           TIZ_E_BAD_SECTION,
                           TIZ_E_READ_BUFFER,
                           TIZ_E_EMPTY_TYPE,
                           TIZ_E_RESET_REFCOUNTS,
                           TIZ_E_EMPTY_STORE,
                           TIZ_E_WRONG_TYPE,
                           TIZ_E_NOT_PROVIDED};
  const std::string unknown = tiz_result_text(-77);
  for (int32_t code : codes) {
    ASSERT_NE(tiz_result_text(code), nullptr) << code;
    EXPECT_NE(tiz_result_text(code), unknown) << code;
  }
  EXPECT_NE(std::string(tiz_result_text(99)), unknown);
}

TEST(ResultText, CodesWithSeveralCausesNameThemAll) {
  // -135: a tree file that cannot be read or replaced, or a filebuffer file.
  const std::string open = tiz_result_text(TIZ_E_OPEN_FILE);
  EXPECT_NE(open.find("tree file"), std::string::npos) << open;
  EXPECT_NE(open.find("filebuffer"), std::string::npos) << open;
  // -9: a settings file's memory, or a display that failed.
  const std::string memory = tiz_result_text(TIZ_E_NO_MEMORY_LINE);
  EXPECT_NE(memory.find("settings file"), std::string::npos) << memory;
  EXPECT_NE(memory.find("display"), std::string::npos) << memory;
  // -4, from the configuration library.
  EXPECT_NE(std::string(tiz_result_text(-4)).find("directory"), std::string::npos);
}

}  // namespace
