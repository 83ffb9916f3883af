// Record texts with any index and field length: counting and unpacking must
// never read or write out of bounds.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "tiz.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  if (size < 5) return 0;
  int32_t index = static_cast<int8_t>(data[0]);
  uint32_t fieldLen = static_cast<uint32_t>(data[1]) | (static_cast<uint32_t>(data[2]) << 8);
  fieldLen %= 600;
  bool pack = data[3] & 1;
  std::string text(reinterpret_cast<const char *>(data + 4), size - 4);  // may hold NULs
  UtilAttribute_Count(text.c_str());
  std::vector<char> group(fieldLen + 1), item(fieldLen + 1), str(fieldLen + 1);
  uint32_t kind = 0, dword = 0;
  UtilAttribute_UnpackOneAttribute(text.c_str(), index, fieldLen, group.data(), item.data(), &kind,
                                   &dword, str.data());
  if (pack) {
    std::vector<char> buffer(fieldLen + 1, '\0');
    const char *value = text.c_str();
    size_t split = std::strlen(value) / 2;
    std::string g(value, split), i(value + split);
    UtilAttribute_Pack(buffer.data(), static_cast<uint32_t>(buffer.size()), g.c_str(), i.c_str(),
                       data[3] & 2, (data[3] & 2) ? static_cast<const void *>(&dword) : value);
  }
  return 0;
}
