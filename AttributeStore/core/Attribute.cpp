#include "core/Attribute.h"

#include <cstring>

#include "core/SharedValues.h"
#include "core/UserDefined.h"
#include "imagelib/ImageLibrary.h"
#include "tiz.h"

namespace tiz {

static_assert(kWrongType == TIZ_E_WRONG_TYPE, "the wrong-type code of tiz.h");

void CAttribute::ReleaseValue() {
  switch (m_inert ? kTypeUndefined : m_type) {
    case kTypeString:
      delete[] m_value.text;
      break;
    case kTypeBuffer:
      delete[] m_value.bytes;
      break;
    // An image or structure that cloning shared goes with its last holder.
    case kTypeImage:
      if (m_value.image != 0 && DropImageHolder(m_value.image)) {
        imagelib::ReleaseImage(m_value.image);
      }
      break;
    case kTypeUserDefined:
      if (m_value.structure && DropStructureHolder(m_value.structure)) delete m_value.structure;
      break;
    default:
      break;
  }
  m_value.raw = 0;
  m_size = 0;
  m_inert = false;
  m_plainText = false;
}

void CAttribute::MoveValueTo(CAttribute &to) {
  to.ReleaseValue();
  to.m_type = m_type;
  to.m_size = m_size;
  to.m_value = m_value;
  to.m_inert = m_inert;
  to.m_plainText = m_plainText;
  m_value.raw = 0;
  m_size = 0;
  m_inert = false;
  m_plainText = false;
}

namespace {
const char *const kKeywords[] = {"UNDEFINED", "ATTRIBUTESTORE", "DWORD", "DOUBLE",
                                 "STRING",    "BUFFER",         "IMAGE", "USERDEFINED"};
}

const char *KeywordFromType(int32_t type) {
  return type >= 1 && type <= 7 ? kKeywords[type] : kKeywords[0];
}

int32_t TypeFromKeyword(const char *keyword) {
  for (int32_t type = 1; type <= 7; ++type) {
    if (std::strcmp(keyword, kKeywords[type]) == 0) return type;
  }
  return kTypeUndefined;
}

}  // namespace tiz
