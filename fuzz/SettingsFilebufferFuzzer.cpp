// "filebuffer" lines of settings files against files of a scratch directory:
// empty, short, long, a directory, missing ones, names through other
// directories. One input is two settings files:
// - free text, loaded for clean failure only; `$0` to `$9` in it stand for
//   the scratch names below;
// - lines built from the rest of the input, with counts from 0 up to
//   beyond the largest allowed, whose outcome is known: each BUFFER holds the
//   file's first bytes padded with zeros, a bad count stops the load with
//   -24, a file that cannot be read with -135, and nothing after the failing
//   line is applied. A huge count on a missing file must fail without
//   claiming its memory (malloc_limit_mb catches that).
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "tiz.h"

namespace {

struct ScratchFile {
  std::string name;     // as a settings line names it
  bool readable;        // opens and reads as a file
  std::string content;  // when readable
};

std::vector<ScratchFile> g_files;

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 131 + seed) % 251);
  return bytes;
}

void WriteFile(const std::string &path, const std::string &bytes) {
  if (FILE *f = std::fopen(path.c_str(), "wb")) {
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
  }
}

[[noreturn]] void Finding(const std::string &what) {
  std::fprintf(stderr, "FILEBUFFER FINDING: %s\n", what.c_str());
  std::fflush(stderr);
  std::abort();
}

// Counts a line may carry: small, around the file sizes, up to the largest
// allowed (only for files that cannot be read: a readable file is padded up
// to the count) and beyond it.
struct CountCase {
  const char *text;
  int64_t value;  // -1: not a valid count
};
const CountCase kCounts[] = {
    {"0", 0},
    {"1", 1},
    {"7", 7},
    {"8", 8},
    {" 16 ", 16},
    {"4096", 4096},
    {"4097", 4097},
    {"70000", 70000},
    {"1048576", 1048576},
    {"2147483647", 2147483647},
    {"2147483648", -1},
    {"4294967296", -1},
    {"99999999999999999999", -1},
    {"-1", -1},
    {"", -1},
    {"x12", -1},
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  const std::filesystem::path dir = fuzz::ScratchPath("filebuffer");
  std::filesystem::create_directories(dir / "dir");
  const std::string d = dir.string();
  WriteFile(d + "/empty", "");
  WriteFile(d + "/short", Pattern(7, 1));
  WriteFile(d + "/page", Pattern(4096, 2));
  WriteFile(d + "/large", Pattern(300000, 3));
  // A relative name is taken from the current directory, which libFuzzer
  // needs for its own paths: reach the scratch file from there.
  const std::string relative = std::filesystem::relative(dir / "short").string();
  g_files = {
      {d + "/empty", true, ""},
      {d + "/short", true, Pattern(7, 1)},
      {d + "/page", true, Pattern(4096, 2)},
      {d + "/large", true, Pattern(300000, 3)},
      {d + "/dir", false, ""},
      {d + "/missing", false, ""},
      {d + "/nodir/missing", false, ""},
      {relative, true, Pattern(7, 1)},
      {d + "/short/", false, ""},  // a file named as a directory
      {d + "/dir/../page", true, Pattern(4096, 2)},
  };
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  FuzzedDataProvider in(data, size);

  // The free text, its placeholders replaced. Its numbers keep at most six
  // digits: a "filebuffer" count on a readable file is honoured (the buffer
  // is padded with zeros up to it), so a free count of 2147483647 would
  // rightly claim 2 GB and trip the memory limit, which is there for the
  // counts claimed before their file is read; the built lines below try
  // huge counts where their outcome is known.
  const std::string raw = in.ConsumeRandomLengthString(4096);
  std::string text;
  size_t digits = 0;
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '$' && i + 1 < raw.size() && raw[i + 1] >= '0' && raw[i + 1] <= '9') {
      text += g_files[static_cast<size_t>(raw[++i] - '0')].name;
      digits = 0;
    } else if (raw[i] >= '0' && raw[i] <= '9') {
      if (++digits <= 6) text += raw[i];
    } else {
      text += raw[i];
      digits = 0;
    }
  }
  const std::string freePath = fuzz::ScratchPath("free.settings");
  WriteFile(freePath, text);
  uint32_t store = 0;
  if (TIZ_Create(&store) != 0) Finding("TIZ_Create failed");
  const int32_t freeResult = TIZ_LoadSettings(store, freePath.c_str());
  if (freeResult != 0 && freeResult != TIZ_E_INVALID_ARG && freeResult != TIZ_E_OPEN_FILE &&
      freeResult != TIZ_E_NO_MEMORY_LINE)
    Finding("the free text loaded with " + std::to_string(freeResult));
  TIZ_Release(store);

  // The built lines and what each must do.
  struct Line {
    const ScratchFile *file;
    int64_t count;
  };
  std::vector<Line> lines;
  std::string built;
  const size_t lineCount = in.ConsumeIntegralInRange<size_t>(1, 8);
  for (size_t n = 0; n < lineCount; ++n) {
    const ScratchFile &file = g_files[in.ConsumeIntegralInRange<size_t>(0, g_files.size() - 1)];
    size_t pick = in.ConsumeIntegralInRange<size_t>(0, sizeof kCounts / sizeof *kCounts - 1);
    // A readable file is padded up to the count: keep such counts to what a
    // run can afford.
    if (file.readable && kCounts[pick].value > 1048576) pick = 0;
    const bool quoted = in.ConsumeBool();
    const std::string path = quoted ? "\"" + file.name + "\"" : file.name;
    built += "FB" + std::to_string(n) + "=" + path + ",Item,filebuffer," + kCounts[pick].text +
             (in.ConsumeBool() ? "\r\n" : "\n");
    lines.push_back({&file, kCounts[pick].value});
  }
  const std::string builtPath = fuzz::ScratchPath("built.settings");
  WriteFile(builtPath, built);
  if (TIZ_Create(&store) != 0) Finding("TIZ_Create failed");
  const int32_t result = TIZ_LoadSettings(store, builtPath.c_str());

  int32_t expected = 0;
  size_t applied = 0;
  for (const Line &line : lines) {
    if (line.count < 0) {
      expected = TIZ_E_INVALID_ARG;
      break;
    }
    if (!line.file->readable) {
      expected = TIZ_E_OPEN_FILE;
      break;
    }
    ++applied;
  }
  if (result != expected)
    Finding("load returned " + std::to_string(result) + ", expected " + std::to_string(expected) +
            " for:\n" + built);
  for (size_t n = 0; n < lines.size(); ++n) {
    const std::string group = "FB" + std::to_string(n);
    int32_t type = -1;
    const int32_t found = TIZ_GetSettingType(store, group.c_str(), "Item", &type);
    if (n >= applied) {
      if (found != TIZ_NOT_FOUND) Finding(group + " was applied after the failing line");
      continue;
    }
    if (found != 0 || type != TIZ_TYPE_BUFFER) Finding(group + " is not a BUFFER");
    std::string want = lines[n].file->content.substr(0, static_cast<size_t>(lines[n].count));
    want.resize(static_cast<size_t>(lines[n].count), '\0');
    uint32_t gotSize = 0;
    int32_t status = 0;
    const void *got = TIZ_GetVoidPointer(store, group.c_str(), "Item", &gotSize, &status);
    if (status != 0 || gotSize != want.size() ||
        (gotSize && (!got || std::memcmp(got, want.data(), gotSize) != 0)))
      Finding(group + " holds other bytes (" + std::to_string(gotSize) + " of " +
              std::to_string(want.size()) + ") for:\n" + built);
  }
  TIZ_Release(store);
  return 0;
}
