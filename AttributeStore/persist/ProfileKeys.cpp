#include "persist/ProfileKeys.h"

#include <charconv>
#include <string>

#include "support/Decimal.h"
#include "support/Text.h"

namespace tiz {

namespace {

int ByteAt(std::string_view text, size_t index) {
  int high = HexDigitValue(text[2 * index]), low = HexDigitValue(text[2 * index + 1]);
  return (high < 0 || low < 0) ? -1 : high * 16 + low;
}

}  // namespace

std::string_view FormatProfileInteger(uint32_t value, char (&buffer)[16]) {
  char *end = std::to_chars(buffer, buffer + sizeof buffer, value).ptr;
  return std::string_view(buffer, static_cast<size_t>(end - buffer));
}

int32_t ParseProfileWord(std::string_view text, uint32_t *value) {
  // The whole text is the number: "12abc" is no number here.
  const DecimalNumber number = ReadDecimal(text);
  return number.length == text.size() && DecimalToWord32(number, value) ? 0 : kProfileNotANumber;
}

std::string_view SpellProfileStruct(const void *data, uint32_t size, std::string *room) {
  const auto *bytes = static_cast<const unsigned char *>(data);
  room->resize(2 * static_cast<size_t>(size) + 2);
  char *digit = room->data();
  unsigned checksum = 0;
  for (uint32_t i = 0; i < size; ++i) {
    *digit++ = kHexDigits[bytes[i] >> 4];
    *digit++ = kHexDigits[bytes[i] & 0xF];
    checksum += bytes[i];
  }
  *digit++ = kHexDigits[(checksum >> 4) & 0xF];
  *digit = kHexDigits[checksum & 0xF];
  return *room;
}

bool ParseProfileStruct(std::string_view text, uint32_t size,
                        std::unique_ptr<unsigned char[]> *data) {
  if (text.size() != 2 * static_cast<uint64_t>(size) + 2) return false;
  std::unique_ptr<unsigned char[]> bytes(size ? new unsigned char[size] : nullptr);
  unsigned checksum = 0;
  for (uint32_t i = 0; i < size; ++i) {
    int byte = ByteAt(text, i);
    if (byte < 0) return false;
    bytes[i] = static_cast<unsigned char>(byte);
    checksum += static_cast<unsigned>(byte);
  }
  if (ByteAt(text, size) != static_cast<int>(checksum & 0xFF)) return false;
  *data = std::move(bytes);
  return true;
}

}  // namespace tiz
