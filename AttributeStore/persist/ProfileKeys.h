// How a tree file spells the values of its keys: 32-bit integers in decimal,
// structures as hex digits with a checksum. The writer spells, the reader
// parses; each parse returns 0 or a negative result code that its callers
// pass on unchanged.
#ifndef TIZ_PERSIST_PROFILEKEYS_H
#define TIZ_PERSIST_PROFILEKEYS_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "persist/ProfileDocument.h"
#include "tiz.h"

namespace tiz {

using SectionNumber = ProfileDocument::SectionNumber;

// The key holds no 32-bit decimal integer.
constexpr int32_t kProfileNotANumber = TIZ_E_INVALID_ARG;
// The text does not fit the reader's buffer with its terminating NUL.
constexpr int32_t kProfileTextTooLong = TIZ_E_TOO_SMALL;

// The decimal text of an integer, in `buffer`.
std::string_view FormatProfileInteger(uint32_t value, char (&buffer)[16]);
// A 32-bit value word from its decimal text, signed or unsigned: every
// 32-bit value reads back unchanged. The whole text must be the number.
int32_t ParseProfileWord(std::string_view text, uint32_t *value);

// The structure encoding: two uppercase hex digits per byte, then two for
// the checksum (the byte sum modulo 256). SpellProfileStruct gives the text,
// in `room`.
std::string_view SpellProfileStruct(const void *data, uint32_t size, std::string *room);
// Reads exactly `size` bytes: false when the text's length is not
// 2 * size + 2, a digit is no hex digit or the checksum differs. Allocates
// only after the length matched, so a file cannot demand more memory than it
// holds; *data is null for size 0.
bool ParseProfileStruct(std::string_view text, uint32_t size,
                        std::unique_ptr<unsigned char[]> *data);

}  // namespace tiz

#endif
