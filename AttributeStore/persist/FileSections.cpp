#include "persist/FileSections.h"

#include <cstring>
#include <stdexcept>

#include "persist/ProfileFile.h"
#include "persist/ProfileLines.h"
#include "persist/SectionText.h"
#include "platform/FileSystem.h"

namespace tiz {

namespace {

// Most sections of a tree file are a few hundred bytes: a piece holds
// thousands of them, and a larger section grows the buffer.
constexpr size_t kPieceSize = 128 * 1024;

}  // namespace

FileSections::~FileSections() { CloseFile(); }

void FileSections::CloseFile() {
  if (!m_file) return;
  platform::File *file = m_file;
  m_file = nullptr;
  // A close that fails after the whole text was read may mean the read was
  // not what the disk holds.
  if (platform::Files().close(file) != platform::FileStatus::kOk) m_failed = true;
}

int32_t FileSections::Open(const char *path) {
  platform::FileStatus status = platform::Files().openRead(path, &m_file);
  if (status == platform::FileStatus::kNotFound) {
    m_file = nullptr;
    m_atEnd = true;
    return 0;
  }
  if (status != platform::FileStatus::kOk) {
    m_file = nullptr;
    return kProfileFileFailed;
  }
  m_buffer.reset(new char[kPieceSize]);
  m_capacity = kPieceSize;
  // The byte order mark decides how the text is read.
  while (m_held < 3 && !m_atEnd) Fill(0);
  if (m_failed) return kProfileFileFailed;
  const char *data = m_buffer.get();
  if (m_held >= 2 &&
      ((data[0] == '\xFF' && data[1] == '\xFE') || (data[0] == '\xFE' && data[1] == '\xFF'))) {
    m_utf16 = true;
  } else if (m_held >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
    // A UTF-8 mark is no part of the first line.
    m_pos = 3;
  }
  return 0;
}

int32_t FileSections::TakeWholeFile(std::string *bytes) {
  bytes->assign(m_buffer.get(), m_held);
  m_held = 0;
  while (!m_atEnd) {
    Fill(0);
    bytes->append(m_buffer.get(), m_held);
    m_held = 0;
  }
  return m_failed ? kProfileFileFailed : 0;
}

size_t FileSections::Fill(size_t keep) {
  if (m_atEnd) return 0;
  if (keep > 0) {
    std::memmove(m_buffer.get(), m_buffer.get() + keep, m_held - keep);
    m_held -= keep;
  }
  if (m_held == m_capacity) {
    // One section fills the buffer: room for it to go on.
    if (m_capacity > SIZE_MAX / 2) throw std::length_error("profile section too large");
    std::unique_ptr<char[]> larger(new char[2 * m_capacity]);
    std::memcpy(larger.get(), m_buffer.get(), m_held);
    m_buffer = std::move(larger);
    m_capacity *= 2;
  }
  size_t count = 0;
  platform::FileStatus status =
      platform::Files().read(m_file, m_buffer.get() + m_held, m_capacity - m_held, &count);
  if (status != platform::FileStatus::kOk) {
    m_failed = true;
    m_atEnd = true;
    CloseFile();
  } else if (count == 0) {
    m_atEnd = true;
    CloseFile();
  }
  m_held += count;
  return keep;
}

bool FileSections::LineAt(size_t *keep, size_t *at, size_t *lineEnd, size_t *next) {
  for (;;) {
    const char *data = m_buffer.get();
    const size_t from = *at, end = m_held;
    if (from < end) {
      const auto *lf = static_cast<const char *>(std::memchr(data + from, '\n', end - from));
      const size_t stop = lf ? static_cast<size_t>(lf - data) : end;
      // LF, CR LF and a lone CR each end a line; a CR last in the buffer
      // waits for the byte after it.
      const auto *cr = static_cast<const char *>(std::memchr(data + from, '\r', stop - from));
      if (cr) {
        const auto at_cr = static_cast<size_t>(cr - data);
        if (at_cr + 1 < end || m_atEnd) {
          *lineEnd = at_cr;
          *next = at_cr + 1 < end && data[at_cr + 1] == '\n' ? at_cr + 2 : at_cr + 1;
          return true;
        }
      } else if (lf) {
        *lineEnd = stop;
        *next = stop + 1;
        return true;
      } else if (m_atEnd) {
        *lineEnd = end;
        *next = end;
        return true;
      }
    } else if (m_atEnd) {
      return false;
    }
    const size_t moved = Fill(*keep);
    *keep -= moved;
    *at -= moved;
  }
}

bool FileSections::Next(std::string_view *name) {
  m_body = std::string_view();
  for (;;) {
    if (m_failed || !m_buffer) return false;
    // The next header line; the lines before it belong to no section a
    // reader can find, and leave the buffer.
    size_t keep = m_pos, at = m_pos, lineEnd = 0, next = 0;
    std::string_view header;
    for (;;) {
      if (!LineAt(&keep, &at, &lineEnd, &next)) {
        m_pos = at;
        return false;
      }
      if (ParseHeader(std::string_view(m_buffer.get() + at, lineEnd - at), &header)) break;
      at = keep = next;
    }
    // Offsets from the header line's start, which the buffer moves with.
    const size_t headerLength = lineEnd - at, bodyOffset = next - at;
    // The section runs to the next header line or the end of the file.
    at = next;
    while (LineAt(&keep, &at, &lineEnd, &next)) {
      std::string_view line(m_buffer.get() + at, lineEnd - at), ignored;
      if (ParseHeader(line, &ignored)) break;
      at = next;
    }
    m_pos = at;
    // A failed read may have cut the section short: it is not handed over.
    if (m_failed) return false;
    std::string_view section(m_buffer.get() + keep, at - keep);
    ParseHeader(section.substr(0, headerLength), &header);
    // The platform's names end at a NUL; a header of no name is ignored.
    header = header.substr(0, header.find('\0'));
    if (header.empty()) continue;
    *name = header;
    m_body = section.substr(bodyOffset);
    ++m_number;
    return true;
  }
}

void FileSections::FindValues(const std::string_view *keys, size_t count, bool *found,
                              std::string_view *values, std::string *scratch) const {
  FindSectionValues(m_body, keys, count, found, values, scratch);
}

int32_t FileSections::Status() const { return m_failed ? kProfileFileFailed : 0; }

void FileSections::DoneReading() {
  m_body = std::string_view();
  m_buffer.reset();
  m_capacity = m_held = m_pos = 0;
  CloseFile();
}

}  // namespace tiz
