// One setting's value: a type code, its size, a confidence and the value word.
#ifndef TIZ_CORE_ATTRIBUTE_H
#define TIZ_CORE_ATTRIBUTE_H

#include <cstdint>

namespace tiz {

class CUserDefined;

enum AttributeType : int32_t {
  kTypeUndefined = 0,
  kTypeAttributeStore = 1,
  kTypeDword = 2,
  kTypeDouble = 3,
  kTypeString = 4,
  kTypeBuffer = 5,
  kTypeImage = 6,
  kTypeUserDefined = 7,
};

constexpr int32_t kDefaultConfidence = 100;
constexpr int32_t kWrongType = -313;  // TIZ_E_WRONG_TYPE of tiz.h

class CAttribute {
 public:
  union Value {
    uint32_t dword;
    double dbl;
    char *text;               // STRING: owned, NUL-terminated, m_size bytes
    unsigned char *bytes;     // BUFFER: owned, m_size bytes (null for 0)
    uint32_t image;           // IMAGE: owned image-library handle
    CUserDefined *structure;  // USERDEFINED: owned
    uint32_t store;           // ATTRIBUTESTORE: handle of the store, not owned
    uint64_t raw;
  };

  CAttribute() { m_value.raw = 0; }
  // Every value that owns something has a non-zero word, so the setting a
  // writer moves nothing into (the usual case) goes without a call.
  ~CAttribute() {
    if (m_value.raw != 0) ReleaseValue();
  }
  CAttribute(const CAttribute &) = delete;
  CAttribute &operator=(const CAttribute &) = delete;

  // Frees what the value owns, by its own type, and leaves the setting
  // without a value (value 0, size 0); the type code is kept.
  void ReleaseValue();

  // Moves the value (type, size, value word, inert and text flags) into `to`, leaving
  // this setting without a value. Lets a writer finish updating the setting
  // before the old value's release runs caller code.
  void MoveValueTo(CAttribute &to);

  // 0 when the setting holds `expected`, else -313 (TIZ_E_WRONG_TYPE);
  // inline, as every typed getter asks it.
  int32_t CheckType(int32_t expected) const { return m_type == expected ? 0 : kWrongType; }

  // Packed into 24 bytes (the flags share a word), so that a key entry's
  // header, setting and a short key fit in two cache lines.
  int32_t m_type = kTypeUndefined;
  uint32_t m_size = 0;
  int32_t m_confidence = kDefaultConfidence;
  bool m_serializable = false;
  // Set on IMAGE and USERDEFINED values read back from a file: their handle
  // or object is only a number from another process, never released or called.
  bool m_inert = false;
  // Set on a STRING a setter stored: its text holds no NUL before its end,
  // so its length is m_size - 1 and a getter need not measure it. Texts
  // read back from a file or copied are measured as before.
  bool m_plainText = false;
  Value m_value;
};

// "ATTRIBUTESTORE" ... "USERDEFINED" for codes 1 to 7, "UNDEFINED" otherwise.
const char *KeywordFromType(int32_t type);
// The code whose keyword equals the text (not null) exactly; 0 for any other text.
int32_t TypeFromKeyword(const char *keyword);

}  // namespace tiz

#endif
