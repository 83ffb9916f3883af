// Typed keys of a profile document: the integer and text operations the
// product's support library provides for tree files (its ordinals 308 to 311
// and 327) and the platform's structure encoding. Each returns 0 or a
// negative result code that its callers pass on unchanged.
//
// Integers are written in decimal; every 32-bit value reads back unchanged,
// and the readers take a signed or an unsigned spelling of it. Every text
// reads back unchanged.
#ifndef TIZ_PERSIST_PROFILEKEYS_H
#define TIZ_PERSIST_PROFILEKEYS_H

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "tiz.h"

namespace tiz {

class ProfileDocument;

// The key holds no 32-bit decimal integer.
constexpr int32_t kProfileNotANumber = TIZ_E_INVALID_ARG;
// The text does not fit the reader's buffer with its terminating NUL.
constexpr int32_t kProfileTextTooLong = TIZ_E_TOO_SMALL;

// Ordinal 327: writes a 32-bit integer.
int32_t WriteProfileInteger(ProfileDocument &doc, std::string_view section, std::string_view key,
                            uint32_t value);
// Ordinal 310: writes a text.
int32_t WriteProfileText(ProfileDocument &doc, std::string_view section, std::string_view key,
                         std::string_view text);
// Ordinal 309: reads a signed integer; a missing key reads as the default.
int32_t ReadProfileInteger(const ProfileDocument &doc, std::string_view section,
                           std::string_view key, int32_t defaultValue, int32_t *value);
// Ordinal 311: reads a 32-bit value word; a missing key reads as the default.
int32_t ReadProfileWord(const ProfileDocument &doc, std::string_view section, std::string_view key,
                        uint32_t defaultValue, uint32_t *value);
// Ordinal 308: reads a text that, with its NUL, must fit `bufferSize` bytes;
// a missing key reads as the default text.
int32_t ReadProfileText(const ProfileDocument &doc, std::string_view section, std::string_view key,
                        std::string_view defaultText, uint64_t bufferSize, std::string *text);

// The structure encoding: two uppercase hex digits per byte, then two for
// the checksum (the byte sum modulo 256). Null data removes the key instead.
bool WriteProfileStruct(ProfileDocument &doc, std::string_view section, std::string_view key,
                        const void *data, uint32_t size);
// Reads exactly `size` bytes: false when the key is missing, its length is
// not 2 * size + 2 or the checksum differs. Allocates only after the length
// matched, so a file cannot demand more memory than it holds; *data is null
// for size 0.
bool ReadProfileStruct(const ProfileDocument &doc, std::string_view section, std::string_view key,
                       uint32_t size, std::unique_ptr<unsigned char[]> *data);

}  // namespace tiz

#endif
