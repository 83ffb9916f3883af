// Every typed setter and getter export as a row of a table, so a rule that
// holds for all of them (handle check, argument checks, out parameters left
// alone on failure) is tested once over the whole interface.
#ifndef TIZ_TESTS_SETTINGCALLS_H
#define TIZ_TESTS_SETTINGCALLS_H

#include <cstdint>
#include <cstring>
#include <vector>

#include "tiz.h"

namespace tiz_test {

// Every out parameter a getter may write, filled with a pattern so that any
// write shows.
struct Outs {
  int32_t conf;
  uint32_t dword;
  uint8_t byte;
  double dbl;
  char text[16];
  unsigned char bytes[16];
  int32_t len;
  uint32_t image;
  void *data;
  uint32_t store;
  uint32_t size;
  int32_t type;
  void *returned;  // what a pointer getter returned

  Outs() { Reset(); }
  void Reset() {
    std::memset(static_cast<void *>(this), 0xAB, sizeof *this);
    len = sizeof bytes;
    returned = nullptr;
  }
  bool Untouched() const {
    Outs pristine;
    return std::memcmp(this, &pristine, sizeof *this) == 0;
  }
};

struct GetterCall {
  const char *name;
  int32_t requiredType;  // TIZ_TYPE_UNDEFINED: reads a setting of any type
  // The confidence form of the store getter writes a null handle when it fails.
  bool nullsStoreOnFailure;
  int32_t (*call)(uint32_t h, const char *group, const char *item, Outs &o);
};

inline int32_t CharPointer(uint32_t h, const char *g, const char *i, Outs &o) {
  int32_t status = 99;
  o.returned = TIZ_GetCharPointer(h, g, i, &o.size, &status);
  return status;
}
inline int32_t ConfidenceCharPointer(uint32_t h, const char *g, const char *i, Outs &o) {
  int32_t status = 99;
  o.returned = TIZ_GetConfidenceCharPointer(h, g, i, &o.conf, &o.size, &status);
  return status;
}
inline int32_t VoidPointer(uint32_t h, const char *g, const char *i, Outs &o) {
  int32_t status = 99;
  o.returned = TIZ_GetVoidPointer(h, g, i, &o.size, &status);
  return status;
}
inline int32_t ConfidenceVoidPointer(uint32_t h, const char *g, const char *i, Outs &o) {
  int32_t status = 99;
  o.returned = TIZ_GetConfidenceVoidPointer(h, g, i, &o.conf, &o.size, &status);
  return status;
}

inline const std::vector<GetterCall> &Getters() {
  static const std::vector<GetterCall> table = {
      {"TIZ_GetSettingDword", TIZ_TYPE_DWORD, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingDword(h, g, i, &o.dword);
       }},
      {"TIZ_GetSettingConfidenceDword", TIZ_TYPE_DWORD, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceDword(h, g, i, &o.conf, &o.dword);
       }},
      {"TIZ_GetSettingByte", TIZ_TYPE_DWORD, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingByte(h, g, i, &o.byte);
       }},
      {"TIZ_GetSettingConfidenceByte", TIZ_TYPE_DWORD, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceByte(h, g, i, &o.conf, &o.byte);
       }},
      {"TIZ_GetSettingDouble", TIZ_TYPE_DOUBLE, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingDouble(h, g, i, &o.dbl);
       }},
      {"TIZ_GetSettingConfidenceDouble", TIZ_TYPE_DOUBLE, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceDouble(h, g, i, &o.conf, &o.dbl);
       }},
      {"TIZ_GetSettingString", TIZ_TYPE_STRING, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingString(h, g, i, o.text, sizeof o.text);
       }},
      {"TIZ_GetSettingConfidenceString", TIZ_TYPE_STRING, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceString(h, g, i, &o.conf, o.text, sizeof o.text);
       }},
      {"TIZ_GetSettingBuffer", TIZ_TYPE_BUFFER, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingBuffer(h, g, i, o.bytes, &o.len);
       }},
      {"TIZ_GetSettingConfidenceBuffer", TIZ_TYPE_BUFFER, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceBuffer(h, g, i, &o.conf, o.bytes, &o.len);
       }},
      {"TIZ_GetSettingImage", TIZ_TYPE_IMAGE, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingImage(h, g, i, &o.image);
       }},
      {"TIZ_GetSettingConfidenceImage", TIZ_TYPE_IMAGE, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceImage(h, g, i, &o.conf, &o.image);
       }},
      {"TIZ_GetSettingStructure", TIZ_TYPE_USERDEFINED, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingStructure(h, g, i, &o.data);
       }},
      {"TIZ_GetSettingConfidenceStructure", TIZ_TYPE_USERDEFINED, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceStructure(h, g, i, &o.conf, &o.data);
       }},
      {"TIZ_GetSettingAttrStore", TIZ_TYPE_ATTRIBUTESTORE, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingAttrStore(h, g, i, &o.store);
       }},
      {"TIZ_GetSettingConfidenceAttrStore", TIZ_TYPE_ATTRIBUTESTORE, true,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingConfidenceAttrStore(h, g, i, &o.conf, &o.store);
       }},
      {"TIZ_GetSettingSize", TIZ_TYPE_UNDEFINED, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingSize(h, g, i, &o.size);
       }},
      {"TIZ_GetSettingType", TIZ_TYPE_UNDEFINED, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetSettingType(h, g, i, &o.type);
       }},
      {"TIZ_GetConfidence", TIZ_TYPE_UNDEFINED, false,
       [](uint32_t h, const char *g, const char *i, Outs &o) {
         return TIZ_GetConfidence(h, g, i, &o.conf);
       }},
      {"TIZ_GetCharPointer", TIZ_TYPE_STRING, false, CharPointer},
      {"TIZ_GetConfidenceCharPointer", TIZ_TYPE_STRING, false, ConfidenceCharPointer},
      {"TIZ_GetVoidPointer", TIZ_TYPE_BUFFER, false, VoidPointer},
      {"TIZ_GetConfidenceVoidPointer", TIZ_TYPE_BUFFER, false, ConfidenceVoidPointer},
  };
  return table;
}

// Counts the release callbacks of the structures the setter table stores.
inline int g_tableReleases = 0;
inline void TIZ_API CountTableRelease(void *) { ++g_tableReleases; }
inline int g_tableData = 0;

struct SetterCall {
  const char *name;
  // `nested` is the store handle the four store setters link.
  int32_t (*call)(uint32_t h, const char *group, const char *item, uint32_t nested);
};

inline const std::vector<SetterCall> &Setters() {
  static const std::vector<SetterCall> table = {
      {"TIZ_SetSettingDword", [](uint32_t h, const char *g, const char *i,
                                 uint32_t) { return TIZ_SetSettingDword(h, g, i, 7); }},
      {"TIZ_SetSettingConfidenceDword",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceDword(h, g, i, 5, 7);
       }},
      {"TIZ_SetSettingDouble", [](uint32_t h, const char *g, const char *i,
                                  uint32_t) { return TIZ_SetSettingDouble(h, g, i, 1.5); }},
      {"TIZ_SetSettingConfidenceDouble",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceDouble(h, g, i, 5, 1.5);
       }},
      {"TIZ_SetSettingString", [](uint32_t h, const char *g, const char *i,
                                  uint32_t) { return TIZ_SetSettingString(h, g, i, "text"); }},
      {"TIZ_SetSettingConfidenceString",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceString(h, g, i, 5, "text");
       }},
      {"TIZ_SetSettingBuffer", [](uint32_t h, const char *g, const char *i,
                                  uint32_t) { return TIZ_SetSettingBuffer(h, g, i, "abc", 3); }},
      {"TIZ_SetSettingConfidenceBuffer",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceBuffer(h, g, i, 5, "abc", 3);
       }},
      {"TIZ_SetSettingImage", [](uint32_t h, const char *g, const char *i,
                                 uint32_t) { return TIZ_SetSettingImage(h, g, i, 0); }},
      {"TIZ_SetSettingConfidenceImage",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceImage(h, g, i, 5, 0);
       }},
      {"TIZ_SetSettingStructure",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingStructure(h, g, i, &g_tableData, CountTableRelease, nullptr);
       }},
      {"TIZ_SetSettingConfidenceStructure",
       [](uint32_t h, const char *g, const char *i, uint32_t) {
         return TIZ_SetSettingConfidenceStructure(h, g, i, 5, &g_tableData, CountTableRelease);
       }},
      {"TIZ_SetSettingAttrStore",
       [](uint32_t h, const char *g, const char *i, uint32_t nested) {
         return TIZ_SetSettingAttrStore(h, g, i, nested);
       }},
      {"TIZ_SetSettingConfidenceAttrStore",
       [](uint32_t h, const char *g, const char *i, uint32_t nested) {
         return TIZ_SetSettingConfidenceAttrStore(h, g, i, 5, nested);
       }},
      {"TIZ_SetSettingAttrStoreChild",
       [](uint32_t h, const char *g, const char *i, uint32_t nested) {
         return TIZ_SetSettingAttrStoreChild(h, g, i, nested);
       }},
      {"TIZ_SetSettingConfidenceAttrStoreChild",
       [](uint32_t h, const char *g, const char *i, uint32_t nested) {
         return TIZ_SetSettingConfidenceAttrStoreChild(h, g, i, 5, nested);
       }},
      {"TIZ_SetConfidence", [](uint32_t h, const char *g, const char *i,
                               uint32_t) { return TIZ_SetConfidence(h, g, i, 5); }},
  };
  return table;
}

}  // namespace tiz_test

#endif
