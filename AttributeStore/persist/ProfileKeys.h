// Typed keys of a profile document: the integer and text operations the
// product's support library provides for tree files (its ordinals 308 to 311
// and 327) and the platform's structure encoding. Each returns 0 or a
// negative result code that its callers pass on unchanged.
//
// Integers are written in decimal; every 32-bit value reads back unchanged,
// and the readers take a signed or an unsigned spelling of it. Every text
// reads back unchanged.
//
// Each operation takes the section by number (found once for all of its
// keys; writes need one from FindOrAddSection, reads take kNoSection as a
// missing key) or by name.
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

// The decimal text of an integer as WriteProfileInteger writes it.
std::string_view FormatProfileInteger(uint32_t value, char (&buffer)[16]);
// Ordinal 327: writes a 32-bit integer.
int32_t WriteProfileInteger(ProfileDocument &doc, SectionNumber section, std::string_view key,
                            uint32_t value);
// Ordinal 310: writes a text.
int32_t WriteProfileText(ProfileDocument &doc, SectionNumber section, std::string_view key,
                         std::string_view text);
// Ordinal 309: reads a signed integer; a missing key reads as the default.
int32_t ReadProfileInteger(const ProfileDocument &doc, SectionNumber section, std::string_view key,
                           int32_t defaultValue, int32_t *value);
// Ordinal 311: reads a 32-bit value word; a missing key reads as the default.
int32_t ReadProfileWord(const ProfileDocument &doc, SectionNumber section, std::string_view key,
                        uint32_t defaultValue, uint32_t *value);
// Ordinal 308: reads a text that, with its NUL, must fit `bufferSize` bytes;
// a missing key reads as the default text.
int32_t ReadProfileText(const ProfileDocument &doc, SectionNumber section, std::string_view key,
                        std::string_view defaultText, uint64_t bufferSize, std::string *text);
// The same without a copy: a view of the document, of `scratch` or of the
// default text.
int32_t ReadProfileText(const ProfileDocument &doc, SectionNumber section, std::string_view key,
                        std::string_view defaultText, uint64_t bufferSize, std::string_view *text,
                        std::string *scratch);

// The readings of a value already found (see ProfileDocument::FindValues):
// a 32-bit word as ReadProfileWord reads it, and exactly `size` bytes as
// ReadProfileStruct reads them.
int32_t ParseProfileWord(std::string_view text, uint32_t *value);
bool ParseProfileStruct(std::string_view text, uint32_t size,
                        std::unique_ptr<unsigned char[]> *data);

// The structure encoding: two uppercase hex digits per byte, then two for
// the checksum (the byte sum modulo 256). Null data removes the key instead.
// SpellProfileStruct gives the text, in `room`.
std::string_view SpellProfileStruct(const void *data, uint32_t size, std::string *room);
bool WriteProfileStruct(ProfileDocument &doc, SectionNumber section, std::string_view key,
                        const void *data, uint32_t size);
// Reads exactly `size` bytes: false when the key is missing, its length is
// not 2 * size + 2 or the checksum differs. Allocates only after the length
// matched, so a file cannot demand more memory than it holds; *data is null
// for size 0.
bool ReadProfileStruct(const ProfileDocument &doc, SectionNumber section, std::string_view key,
                       uint32_t size, std::unique_ptr<unsigned char[]> *data);

// By section name.
inline int32_t WriteProfileInteger(ProfileDocument &doc, std::string_view section,
                                   std::string_view key, uint32_t value) {
  return WriteProfileInteger(doc, doc.FindOrAddSection(section), key, value);
}
inline int32_t WriteProfileText(ProfileDocument &doc, std::string_view section,
                                std::string_view key, std::string_view text) {
  return WriteProfileText(doc, doc.FindOrAddSection(section), key, text);
}
inline int32_t ReadProfileInteger(const ProfileDocument &doc, std::string_view section,
                                  std::string_view key, int32_t defaultValue, int32_t *value) {
  return ReadProfileInteger(doc, doc.FindSection(section), key, defaultValue, value);
}
inline int32_t ReadProfileWord(const ProfileDocument &doc, std::string_view section,
                               std::string_view key, uint32_t defaultValue, uint32_t *value) {
  return ReadProfileWord(doc, doc.FindSection(section), key, defaultValue, value);
}
inline int32_t ReadProfileText(const ProfileDocument &doc, std::string_view section,
                               std::string_view key, std::string_view defaultText,
                               uint64_t bufferSize, std::string *text) {
  return ReadProfileText(doc, doc.FindSection(section), key, defaultText, bufferSize, text);
}
// Removing a key adds no section.
inline bool WriteProfileStruct(ProfileDocument &doc, std::string_view section, std::string_view key,
                               const void *data, uint32_t size) {
  SectionNumber number = data ? doc.FindOrAddSection(section) : doc.FindSection(section);
  return WriteProfileStruct(doc, number, key, data, size);
}
inline bool ReadProfileStruct(const ProfileDocument &doc, std::string_view section,
                              std::string_view key, uint32_t size,
                              std::unique_ptr<unsigned char[]> *data) {
  return ReadProfileStruct(doc, doc.FindSection(section), key, size, data);
}

}  // namespace tiz

#endif
