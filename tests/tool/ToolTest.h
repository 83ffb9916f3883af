// A test fixture with a fresh directory per test, in which the tool runs
// with its configured directories and TMPDIR pointing inside that directory,
// so nothing a test does reaches the rest of the machine.
#ifndef TIZ_TESTS_TOOL_TOOLTEST_H
#define TIZ_TESTS_TOOL_TOOLTEST_H

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ToolRunner.h"

namespace tiztest {

class ToolTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  std::filesystem::path Path(const std::string &name) const { return m_directory / name; }
  // Writes a file into the test's directory and returns its name there.
  std::string Write(const std::string &name, const std::string &text) const;
  std::string Read(const std::string &name) const;

  ToolRun Tiz(const std::vector<std::string> &arguments, const std::string &input = "") const;

  // A tree file made by the tool from settings lines.
  std::string MakeTree(const std::string &name, const std::string &settingsLines) const;
  // job.tree: one setting of each plain type, the buffer read from
  // table.bin (bytes 01 02 FF).
  void MakeJobTree() const;

 private:
  std::filesystem::path m_directory;
};

// A tree file as the library writes it: a store held under Stage/Deskew
// that holds another under Crop/Box, and a string at the top.
extern const char *const kNestedTree;

// The lines of a text, without their line ends.
std::vector<std::string> Lines(const std::string &text);

}  // namespace tiztest

#endif
