// Command lines of the tiz tool, run in this process against a scratch
// directory that holds the same small files before every run: two tree files
// that differ, a damaged one, a settings file and a record text. One input is
// the argument vector, one argument a line; a line "<<<" ends it, and the
// rest of the input is the tool's standard input. Arguments that could name a
// file outside the scratch directory (absolute, or through "..") are
// refused, as is `demo`, which makes and removes directories of its own:
// every file the tool touches lies in the scratch directory. Each run must end with an exit status
// of 0, 1 or 2; sanitizer reports, leaks and escaping exceptions are findings.
#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <initializer_list>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "ToolMain.h"

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxArguments = 24;

// One tree file section per setting; names are joined with the tree file's
// separator byte.
struct Section {
  const char *place;  // group and item below Root, separated by '|'
  const char *type;
  const char *size;
  const char *value;  // nullptr: no Value line
};

std::string TreeText(std::initializer_list<Section> sections) {
  std::string text;
  for (const Section &section : sections) {
    std::string name = std::string("Root|") + section.place;
    for (char &c : name) {
      if (c == '|') c = '\x7f';
    }
    text += "[" + name + "]\r\nSize=" + section.size + "\r\nType=" + section.type + "\r\n";
    if (section.value) text += std::string("Value=") + section.value + "\r\n";
    text += "\r\n";
  }
  return text;
}

const char kSettings[] =
    "Scan=12,Speed\nCaption=\"Front, left\",Value,string\n; comment\n"
    "Gamma=2.2,Value,double\nBig=4294967295,Value\n";
const char kRecords[] = "   Scan Speed 0 12\nJob Title 1 Front page\n";

// Output of the tool goes nowhere: the run's outcome is its status.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char *, std::streamsize n) override { return n; }
};

NullBuffer g_null;
fs::path g_scratch;

void WriteText(const char *name, const std::string &text) {
  if (FILE *f = std::fopen(name, "wb")) {
    std::fwrite(text.data(), 1, text.size(), f);
    std::fclose(f);
  }
}

void ResetScratch() {
  std::error_code error;
  for (const fs::directory_entry &entry : fs::directory_iterator(g_scratch, error)) {
    fs::remove_all(entry.path(), error);
  }
  static const std::string treeA = TreeText({{"Scan|Speed", "DWORD", "4", "12"},
                                             {"Scan|Gamma", "DOUBLE", "8", "2.200000e+00"},
                                             {"Scan|Name", "STRING", "12", "front, left"},
                                             {"Scan|Bytes", "BUFFER", "3", "0102FF02"},
                                             {"Child|Value", "ATTRIBUTESTORE", "4", nullptr},
                                             {"Child|Value|Count|Value", "DWORD", "4", "3"}});
  static const std::string treeB = TreeText({{"Scan|Speed", "DWORD", "4", "14"},
                                             {"Scan|Name", "STRING", "5", "back"},
                                             {"Job|Title", "STRING", "6", "cover"},
                                             {"Child|Value", "ATTRIBUTESTORE", "4", nullptr},
                                             {"Child|Value|Count|Value", "DWORD", "4", "4"}});
  static const std::string damaged = TreeText({{"Scan|Speed", "DWORD", "9", "x"},
                                               {"Missing|Store", "ATTRIBUTESTORE", "4", nullptr},
                                               {"Gone|Bytes", "BUFFER", "2", "0G"},
                                               {"Scan|Name", "STRING", "-1", "unsized"}});
  WriteText("a.tree", treeA);
  WriteText("b.tree", treeB);
  WriteText("bad.tree", damaged);
  WriteText("s.settings", kSettings);
  WriteText("r.txt", kRecords);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  std::string pattern = (fs::temp_directory_path() / "tiz-tool-fuzz-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    std::perror("tiz-tool-fuzz: scratch directory");
    std::abort();
  }
  g_scratch = pattern;
  std::atexit([] {
    std::error_code error;
    fs::remove_all(g_scratch, error);
  });
  fuzz::SkipDiskFlushes();
  std::cout.rdbuf(&g_null);
  std::cerr.rdbuf(&g_null);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  std::string text(reinterpret_cast<const char *>(data), size);
  std::vector<std::string> arguments = {"tiz"};
  std::string input;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (line == "<<<") {
      if (start < text.size()) input = text.substr(start);
      break;
    }
    if (line[0] == '/' || line.find("=/") != std::string::npos ||
        line.find("..") != std::string::npos || line.find('\0') != std::string::npos ||
        line == "demo" || arguments.size() == kMaxArguments) {
      return -1;  // kept out of the corpus
    }
    arguments.push_back(line);
  }

  // The tool names files relative to the working directory; libFuzzer's own
  // paths (corpus, artifacts) are relative to the one it was started in.
  const int startedIn = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (startedIn < 0 || chdir(g_scratch.c_str()) != 0) std::abort();
  ResetScratch();
  std::istringstream standardInput(input);
  std::streambuf *previousInput = std::cin.rdbuf(standardInput.rdbuf());
  std::cin.clear();
  std::vector<char *> argv;
  for (std::string &argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int status = tiztool::RunTool(static_cast<int>(arguments.size()), argv.data());
  std::cin.rdbuf(previousInput);
  if (fchdir(startedIn) != 0) std::abort();
  close(startedIn);
  if (status < 0 || status > 2) {
    std::fprintf(stderr, "TOOL FINDING: exit status %d\n", status);
    std::abort();
  }
  return 0;
}
