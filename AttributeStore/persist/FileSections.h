// A profile file's sections read straight from the file, a piece at a time:
// a tree load holds one section's text at once instead of the whole file,
// so its peak is the store it fills, not the store and the file's text and
// a document of it.
#ifndef TIZ_PERSIST_FILESECTIONS_H
#define TIZ_PERSIST_FILESECTIONS_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "persist/SectionSource.h"

namespace tiz {

namespace platform {
struct File;
}

class FileSections : public SectionSource {
 public:
  FileSections() = default;
  ~FileSections() override;
  FileSections(const FileSections &) = delete;
  FileSections &operator=(const FileSections &) = delete;

  // Opens the file: 0, with no sections for a missing file, or
  // kProfileFileFailed for one that cannot be opened or read.
  int32_t Open(const char *path);
  // A file of UTF-16 text is converted whole, as a document is: it is not
  // read in pieces. TakeWholeFile then gives all its bytes (0, or
  // kProfileFileFailed when the rest could not be read).
  bool HoldsUtf16() const { return m_utf16; }
  int32_t TakeWholeFile(std::string *bytes);

  bool Next(std::string_view *name) override;
  void FindValues(const std::string_view *keys, size_t count, bool *found, std::string_view *values,
                  std::string *scratch) const override;
  uint32_t Number() const override { return m_number; }
  int32_t Status() const override;
  void DoneReading() override;

 private:
  // The line that starts at `at`: its text ends at *lineEnd, and the next
  // line starts at *next. Reads on while the line's end is not in the
  // buffer; the bytes from `keep` on stay, and both positions follow them
  // when the buffer moves. False when no line starts at `at`.
  bool LineAt(size_t *keep, size_t *at, size_t *lineEnd, size_t *next);
  // Reads more bytes after those held, first moving the bytes from `keep`
  // on to the buffer's start; how far they moved.
  size_t Fill(size_t keep);
  void CloseFile();

  platform::File *m_file = nullptr;
  std::unique_ptr<char[]> m_buffer;
  size_t m_capacity = 0;
  size_t m_held = 0;  // bytes in the buffer
  size_t m_pos = 0;   // where the next section's search starts
  bool m_atEnd = false;
  bool m_failed = false;
  bool m_utf16 = false;
  std::string_view m_body;  // the current section's lines after its header
  uint32_t m_number = 0;    // sections given before the current one, plus one
};

}  // namespace tiz

#endif
