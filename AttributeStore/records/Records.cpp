// Text records: settings packed into lines "group item kind value\n" that
// need no store. Kind 0 carries a DWORD written as a signed decimal number,
// kind 1 a text read from its first non-blank byte up to the line feed.
// Names and texts are written as given: keeping blanks out of the names and
// line feeds out of both is the caller's part.
//
// These workers take no lock and keep no state, so any number of threads may
// call them at once on buffers of their own. They never allocate: records
// are read in place in the caller's text and written straight into the
// caller's buffer, so a record or a value of any length is handled, nothing
// is ever written past a buffer the caller sized, and no exception can leave
// through the C interface.
#include "records/Records.h"

#include <charconv>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <string_view>

#include "support/Decimal.h"
#include "support/Text.h"
#include "tiz.h"

namespace tiz {

namespace {

constexpr char kLineFeed = '\n';
constexpr char kBlank = ' ';

// One field of a record: a run of bytes inside the caller's text, not
// terminated.
struct Field {
  const char *begin = nullptr;
  size_t length = 0;
};

// The four fields of one record. The group, the item and the kind end at the
// first three blanks; the value is everything after the third blank up to
// the record's line feed. Field lengths are judged on these spans.
struct Record {
  Field group;
  Field item;
  Field kind;
  Field value;
};

// Reads a decimal number as "%d" does: leading white space, an optional
// sign, then at least one digit; reading stops at the first byte that is not
// a digit. A number outside the range of a 32-bit reading is refused rather
// than truncated into some other value.
bool ReadNumber(const Field &field, uint32_t *out) {
  std::string_view text(field.begin, field.length);
  while (!text.empty() && IsAsciiSpace(text.front())) text.remove_prefix(1);
  return DecimalToWord32(ReadDecimal(text), out);
}

// Finds record `index`. Record 0 starts at the start of the text; record k
// starts behind the k-th line feed, which only separates and belongs to no
// field. A record exists only when its own closing line feed does, so a last
// line without one is never read. `begin` and `end` bound the record without
// its line feeds.
bool FindRecord(const char *text, int32_t index, const char **begin, const char **end) {
  if (index < 0) return false;
  const char *p = text;
  for (int32_t k = 0; k < index; ++k) {
    p = std::strchr(p, kLineFeed);
    if (!p) return false;
    ++p;
  }
  const char *close = std::strchr(p, kLineFeed);
  if (!close) return false;
  *begin = p;
  *end = close;
  return true;
}

// Cuts a record at its first three blanks. Fewer than three blanks leave no
// kind field to read: the record is not one.
bool SplitRecord(const char *begin, const char *end, Record *record) {
  Field *fields[] = {&record->group, &record->item, &record->kind};
  const char *p = begin;
  for (Field *field : fields) {
    const void *blank = std::memchr(p, kBlank, static_cast<size_t>(end - p));
    if (!blank) return false;
    const char *stop = static_cast<const char *>(blank);
    field->begin = p;
    field->length = static_cast<size_t>(stop - p);
    p = stop + 1;
  }
  record->value.begin = p;
  record->value.length = static_cast<size_t>(end - p);
  return true;
}

void CopyOut(const Field &field, char *dest) {
  std::memcpy(dest, field.begin, field.length);
  dest[field.length] = '\0';
}

}  // namespace

int32_t CountRecords(const char *text) {
  if (!text) return TIZ_E_INVALID_ARG;
  // Every complete record ends with exactly one line feed.
  int32_t count = 0;
  for (const char *p = std::strchr(text, kLineFeed); p; p = std::strchr(p + 1, kLineFeed)) {
    if (count == INT32_MAX) break;
    ++count;
  }
  return count;
}

int32_t PackRecord(char *buffer, uint32_t size, const char *group, const char *item,
                   uint32_t isDword, const void *value) {
  if (!buffer) return TIZ_E_INVALID_HANDLE;
  if (!group || !item || !value) return TIZ_E_INVALID_ARG;

  // A DWORD is written as the signed number its bits make; the reader takes
  // it back to the same bits.
  char number[16];
  const char *valueText = number;
  size_t valueLength = 0;
  if (isDword) {
    uint32_t dword = 0;
    std::memcpy(&dword, value, sizeof dword);
    const std::to_chars_result written =
        std::to_chars(number, number + sizeof number, static_cast<int32_t>(dword));
    valueLength = static_cast<size_t>(written.ptr - number);
  } else {
    valueText = static_cast<const char *>(value);
    valueLength = std::strlen(valueText);
  }
  const size_t groupLength = std::strlen(group);
  const size_t itemLength = std::strlen(item);

  // The text already in the buffer must end inside the buffer's size; one
  // that does not leaves no room for anything, and is never read beyond it.
  const void *terminator = std::memchr(buffer, '\0', size);
  if (!terminator) return TIZ_E_TOO_SMALL;
  const size_t used = static_cast<size_t>(static_cast<const char *>(terminator) - buffer);

  // Three blanks, the one-digit kind, the line feed and the terminator.
  const size_t needed = used + groupLength + itemLength + valueLength + 6;
  if (needed > size) return TIZ_E_TOO_SMALL;

  // memmove: the caller may pack a text that lies in the buffer's own text.
  char *p = buffer + used;
  std::memmove(p, group, groupLength);
  p += groupLength;
  *p++ = kBlank;
  std::memmove(p, item, itemLength);
  p += itemLength;
  *p++ = kBlank;
  *p++ = isDword ? '0' : '1';
  *p++ = kBlank;
  std::memmove(p, valueText, valueLength);
  p += valueLength;
  *p++ = kLineFeed;
  *p = '\0';
  return TIZ_OK;
}

int32_t UnpackRecord(const char *text, int32_t index, uint32_t fieldLen, char *group, char *item,
                     uint32_t *pKind, uint32_t *pDword, char *str) {
  if (!text || !group || !item || !pKind || !pDword || !str) return TIZ_E_INVALID_ARG;

  const char *begin = nullptr;
  const char *end = nullptr;
  Record record;
  if (!FindRecord(text, index, &begin, &end) || !SplitRecord(begin, end, &record)) {
    return TIZ_E_NO_RECORD;
  }

  // Every field, with its terminator, must fit the caller's field length,
  // the DWORD's digits included, before anything is written.
  for (const Field *field : {&record.group, &record.item, &record.kind, &record.value}) {
    if (field->length >= fieldLen) return TIZ_E_TOO_SMALL;
  }

  uint32_t kind = 0;
  if (!ReadNumber(record.kind, &kind)) return TIZ_E_NO_RECORD;
  // A DWORD record whose value is not a number holds no DWORD to hand back;
  // it is refused like a bad kind rather than reported as read.
  uint32_t dword = 0;
  if (kind == 0 && !ReadNumber(record.value, &dword)) return TIZ_E_NO_RECORD;

  CopyOut(record.group, group);
  CopyOut(record.item, item);
  *pKind = kind;
  if (kind == 0) {
    *pDword = dword;
  } else {
    // The text starts after the white space that follows the kind; inner
    // and trailing blanks are kept.
    Field text = record.value;
    while (text.length > 0 && IsAsciiSpace(*text.begin)) {
      ++text.begin;
      --text.length;
    }
    CopyOut(text, str);
  }
  return TIZ_OK;
}

}  // namespace tiz
