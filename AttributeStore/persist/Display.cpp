#include "persist/Display.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/TypedValues.h"
#include "core/UserDefined.h"
#include "tiz.h"

namespace tiz {

namespace {

// Copies the text `head` + `tail` as one bounded string copy of `length`
// bytes. The text is passed in two parts so that long values (strings, store
// names) are copied straight from where they live: displaying needs no
// allocation and so cannot run out of memory.
int32_t CopyText(std::string_view head, std::string_view tail, char *buffer, int32_t length) {
  size_t room = length > 0 ? static_cast<size_t>(length) : 0;
  size_t headCopied = head.size() < room ? head.size() : room;
  std::memcpy(buffer, head.data(), headCopied);
  room -= headCopied;
  size_t tailCopied = tail.size() < room ? tail.size() : room;
  std::memcpy(buffer + headCopied, tail.data(), tailCopied);
  std::memset(buffer + headCopied + tailCopied, 0, room - tailCopied);
  return room > tailCopied ? 0 : TIZ_TRUNCATED_DISPLAY;
}

// What a C string prints as through "%s"; nothing for a missing one.
std::string_view TextOf(const char *text) { return text ? std::string_view(text) : ""; }

}  // namespace

int32_t DisplayValue(const CAttribute &attribute, char *buffer, int32_t length) {
  // Wide enough for any "%f" of a double (up to 309 integer digits).
  char number[400];
  switch (attribute.m_type) {
    case kTypeAttributeStore: {
      // A plainly linked store may have been released by its owner since.
      const CAttributeStore *nested = LookupStore(attribute.m_value.store);
      return CopyText("AttributeStore:\t", nested ? TextOf(nested->Name().c_str()) : "", buffer,
                      length);
    }
    case kTypeDword:
      std::snprintf(number, sizeof number, "%d", static_cast<int32_t>(attribute.m_value.dword));
      return CopyText("DWORD:\t", number, buffer, length);
    case kTypeDouble:
      std::snprintf(number, sizeof number, "%f", attribute.m_value.dbl);
      return CopyText("Double:\t", number, buffer, length);
    case kTypeString:
      return CopyText("String:\t", TextOf(attribute.m_value.text), buffer, length);
    case kTypeBuffer:
      std::snprintf(number, sizeof number, "%d bytes", static_cast<int32_t>(attribute.m_size));
      return CopyText("Buffer:\t", number, buffer, length);
    case kTypeImage:
      return CopyText("Image", "", buffer, length);
    case kTypeUserDefined:
      // A structure read back from a file holds no object of this process.
      if (attribute.m_inert || !attribute.m_value.structure)
        return CopyText("", "", buffer, length);
      return attribute.m_value.structure->DisplayStructure(buffer, length);
    default:
      return CopyText("Unknown attribute type", "", buffer, length);
  }
}

int32_t DisplaySetting(CAttributeStore *store, char *buffer, int32_t length, const char *group,
                       const char *item) {
  CAttribute *found = nullptr;
  int32_t where = LookupInherited(store, group, item ? item : "", &found);
  if (where < 0 || where == TIZ_NOT_FOUND) return where;
  // A structure's callback may release the store or delete the setting:
  // nothing of either is read once the value has been displayed.
  int32_t result = DisplayValue(*found, buffer, length);
  return (result == 0 && where == TIZ_FOUND_IN_ANCESTOR) ? TIZ_FOUND_IN_ANCESTOR : result;
}

}  // namespace tiz
