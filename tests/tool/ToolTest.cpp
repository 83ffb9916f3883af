#include "ToolTest.h"

#include <fstream>
#include <iterator>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace tiztest {

void ToolTest::SetUp() {
  std::random_device entropy;
  const ::testing::TestInfo *test = ::testing::UnitTest::GetInstance()->current_test_info();
  do {
    m_directory = fs::temp_directory_path() / ("tiz-tool-test-" + std::string(test->name()) + "-" +
                                               std::to_string(entropy() % 1000000));
  } while (!fs::create_directory(m_directory));
  for (const char *sub : {"persist", "settings", "tmp"}) fs::create_directory(m_directory / sub);
}

void ToolTest::TearDown() {
  std::error_code ignored;
  if (!HasFailure()) fs::remove_all(m_directory, ignored);
}

std::string ToolTest::Write(const std::string &name, const std::string &text) const {
  std::ofstream(Path(name), std::ios::binary) << text;
  return name;
}

std::string ToolTest::Read(const std::string &name) const {
  std::ifstream in(Path(name), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

ToolRun ToolTest::Tiz(const std::vector<std::string> &arguments, const std::string &input) const {
  // Configured directories that the tool must override for the files it is
  // given, and a temporary directory for the files it makes itself.
  return RunTool({arguments,
                  input,
                  m_directory,
                  {{"TIZ_PERSIST_DIR", (m_directory / "persist").string()},
                   {"TIZ_SETTINGS_DIR", (m_directory / "settings").string()},
                   {"TMPDIR", (m_directory / "tmp").string()}}});
}

std::string ToolTest::MakeTree(const std::string &name, const std::string &settingsLines) const {
  Write(name + ".settings", settingsLines);
  ToolRun run = Tiz({"load", name + ".settings", "--save", name});
  EXPECT_EQ(run.status, 0) << run.err;
  return name;
}

void ToolTest::MakeJobTree() const {
  Write("table.bin", std::string("\x01\x02\xff", 3));
  MakeTree("job.tree",
           "Scan.Speed=12,Value\n"
           "Scan.Gamma=2.5,Value,double\n"
           "Job=Front page,Title,string\n"
           "Mask=-1,Value\n"
           "Table=table.bin,Bytes,filebuffer,3\n");
}

const char *const kNestedTree =
    "[Root\x7fStage\x7f"
    "Deskew]\r\nSize=4\r\nType=ATTRIBUTESTORE\r\n\r\n"
    "[Root\x7fStage\x7f"
    "Deskew\x7f"
    "Deskew\x7f"
    "Angle]\r\nSize=4\r\nType=DWORD\r\nValue=3\r\n\r\n"
    "[Root\x7fStage\x7f"
    "Deskew\x7f"
    "Crop\x7f"
    "Box]\r\nSize=4\r\nType=ATTRIBUTESTORE\r\n\r\n"
    "[Root\x7fStage\x7f"
    "Deskew\x7f"
    "Crop\x7f"
    "Box\x7f"
    "Crop\x7f"
    "Width]\r\nSize=4\r\nType=DWORD\r\n"
    "Value=2480\r\n\r\n"
    "[Root\x7fJob\x7fTitle]\r\nSize=11\r\nType=STRING\r\nValue=Front page\r\n";

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

}  // namespace tiztest
