// The typed setter and getter exports: argument checks, the frame, and the
// workers of the core.
#include <memory>

#include "core/AttributeStore.h"
#include "core/TypedValues.h"
#include "core/UserDefined.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

namespace {

// Standard frame around a worker on one store.
template <class Body>
int32_t OnStore(const char *name, uint32_t h, Body &&body) {
  return frame::Run(name, [&]() -> int32_t {
    CAttributeStore *s = frame::CheckStoreHandle(h);
    if (!s) return TIZ_E_INVALID_HANDLE;
    return body(s);
  });
}

// The frame of getters that only read: the lock is taken shared, so readers
// on several threads run side by side. Only for workers that copy a value
// out, hand out no reference and run no caller code.
template <class Body>
int32_t ReadOnStore(const char *name, uint32_t h, Body &&body) {
  return frame::RunShared(name, [&]() -> int32_t {
    CAttributeStore *s = frame::CheckStoreHandle(h);
    if (!s) return TIZ_E_INVALID_HANDLE;
    return body(s);
  });
}

// Both handles checked; -16 when either fails.
template <class Body>
int32_t OnTwoStores(const char *name, uint32_t h, uint32_t hNested, Body &&body) {
  return frame::Run(name, [&]() -> int32_t {
    CAttributeStore *s = frame::CheckStoreHandle(h);
    CAttributeStore *nested = frame::CheckStoreHandle(hNested);
    if (!s || !nested) return TIZ_E_INVALID_HANDLE;
    return body(s, nested);
  });
}

int32_t StoreOut(CAttributeStore *s, const char *g, const char *i, int32_t *conf,
                 uint32_t *phNested, bool nullOnFailure) {
  CAttributeStore *nested = nullptr;
  int32_t r = GetAttrStore(s, g, i, conf, &nested);
  if (r == 0)
    *phNested = nested ? nested->Handle() : 0;
  else if (nullOnFailure)
    *phNested = 0;
  return r;
}

// Pointer getters: the pointer is the result, the code goes to *pStatus.
template <class T>
T *PointerGetter(const char *name, uint32_t h, const char *g, const char *i, int32_t *conf,
                 bool wantConf, uint32_t *pSize, int32_t *pStatus, int32_t type) {
  T *result = nullptr;
  int32_t status = frame::Run(name, [&]() -> int32_t {
    CAttributeStore *s = frame::CheckStoreHandle(h);
    if (!s) return TIZ_E_INVALID_HANDLE;
    if (!g || !*g || !i || !pSize || (wantConf && !conf)) return TIZ_E_INVALID_ARG;
    CAttribute *a = nullptr;
    int32_t where = LookupInherited(s, g, i, &a);
    if (where < 0 || where == TIZ_NOT_FOUND) return where;
    // Another type: no pointer. Handing out its raw value word as an address
    // would invite the caller to dereference a number.
    if (int32_t r = a->CheckType(type)) return r;
    *pSize = a->m_size;
    if (conf) *conf = a->m_confidence;
    result = reinterpret_cast<T *>(type == kTypeString ? static_cast<void *>(a->m_value.text)
                                                       : static_cast<void *>(a->m_value.bytes));
    return where;
  });
  if (status != 0 && status != TIZ_FOUND_IN_ANCESTOR) result = nullptr;
  if (pStatus) *pStatus = status;
  return result;
}

}  // namespace

extern "C" {

// --- setters ---------------------------------------------------------------

int32_t TIZ_API TIZ_SetSettingDword(uint32_t h, const char *g, const char *i, uint32_t value) {
  return OnStore("TIZ_SetSettingDword", h,
                 [&](CAttributeStore *s) { return SetDword(s, g, i, kDefaultConfidence, value); });
}

int32_t TIZ_API TIZ_SetSettingConfidenceDword(uint32_t h, const char *g, const char *i,
                                              int32_t conf, uint32_t value) {
  return OnStore("TIZ_SetSettingConfidenceDword", h,
                 [&](CAttributeStore *s) { return SetDword(s, g, i, conf, value); });
}

int32_t TIZ_API TIZ_SetSettingDouble(uint32_t h, const char *g, const char *i, double value) {
  return OnStore("TIZ_SetSettingDouble", h,
                 [&](CAttributeStore *s) { return SetDouble(s, g, i, kDefaultConfidence, value); });
}

int32_t TIZ_API TIZ_SetSettingConfidenceDouble(uint32_t h, const char *g, const char *i,
                                               int32_t conf, double value) {
  return OnStore("TIZ_SetSettingConfidenceDouble", h,
                 [&](CAttributeStore *s) { return SetDouble(s, g, i, conf, value); });
}

int32_t TIZ_API TIZ_SetSettingString(uint32_t h, const char *g, const char *i, const char *text) {
  return OnStore("TIZ_SetSettingString", h,
                 [&](CAttributeStore *s) { return SetString(s, g, i, kDefaultConfidence, text); });
}

int32_t TIZ_API TIZ_SetSettingConfidenceString(uint32_t h, const char *g, const char *i,
                                               int32_t conf, const char *text) {
  return OnStore("TIZ_SetSettingConfidenceString", h,
                 [&](CAttributeStore *s) { return SetString(s, g, i, conf, text); });
}

int32_t TIZ_API TIZ_SetSettingBuffer(uint32_t h, const char *g, const char *i, const void *data,
                                     uint32_t len) {
  return OnStore("TIZ_SetSettingBuffer", h, [&](CAttributeStore *s) {
    return SetBuffer(s, g, i, kDefaultConfidence, data, len);
  });
}

int32_t TIZ_API TIZ_SetSettingConfidenceBuffer(uint32_t h, const char *g, const char *i,
                                               int32_t conf, const void *data, uint32_t len) {
  return OnStore("TIZ_SetSettingConfidenceBuffer", h,
                 [&](CAttributeStore *s) { return SetBuffer(s, g, i, conf, data, len); });
}

int32_t TIZ_API TIZ_SetSettingImage(uint32_t h, const char *g, const char *i, uint32_t hImage) {
  return frame::Run("TIZ_SetSettingImage", [&]() -> int32_t {
    // Traced before any check, so a pipeline log shows even refused images.
    frame::Trace("TEV: TIZ_SetSettingImage : hAttrStore=0x%08x hImage=0x%08x\n", h, hImage);
    CAttributeStore *s = frame::CheckStoreHandle(h);
    if (!s) return TIZ_E_INVALID_HANDLE;
    return SetImage(s, g, i, kDefaultConfidence, hImage);
  });
}

int32_t TIZ_API TIZ_SetSettingConfidenceImage(uint32_t h, const char *g, const char *i,
                                              int32_t conf, uint32_t hImage) {
  return OnStore("TIZ_SetSettingConfidenceImage", h,
                 [&](CAttributeStore *s) { return SetImage(s, g, i, conf, hImage); });
}

int32_t TIZ_API TIZ_SetSettingStructure(uint32_t h, const char *g, const char *i, void *data,
                                        TIZ_RELEASE_FN release, TIZ_DISPLAY_FN display) {
  return OnStore("TIZ_SetSettingStructure", h, [&](CAttributeStore *s) {
    return SetStructure(s, g, i, kDefaultConfidence, new CUserDefined(data, release, display));
  });
}

int32_t TIZ_API TIZ_SetSettingConfidenceStructure(uint32_t h, const char *g, const char *i,
                                                  int32_t conf, void *data,
                                                  TIZ_RELEASE_FN release) {
  return OnStore("TIZ_SetSettingConfidenceStructure", h, [&](CAttributeStore *s) {
    return SetStructure(s, g, i, conf, new CUserDefined(data, release, nullptr));
  });
}

int32_t TIZ_API TIZ_SetSettingAttrStore(uint32_t h, const char *g, const char *i,
                                        uint32_t hNested) {
  return OnTwoStores("TIZ_SetSettingAttrStore", h, hNested,
                     [&](CAttributeStore *s, CAttributeStore *n) {
                       return SetAttrStore(s, g, i, kDefaultConfidence, n);
                     });
}

int32_t TIZ_API TIZ_SetSettingConfidenceAttrStore(uint32_t h, const char *g, const char *i,
                                                  int32_t conf, uint32_t hNested) {
  return OnTwoStores(
      "TIZ_SetSettingConfidenceAttrStore", h, hNested,
      [&](CAttributeStore *s, CAttributeStore *n) { return SetAttrStore(s, g, i, conf, n); });
}

int32_t TIZ_API TIZ_SetSettingAttrStoreChild(uint32_t h, const char *g, const char *i,
                                             uint32_t hNested) {
  return OnTwoStores("TIZ_SetSettingAttrStoreChild", h, hNested,
                     [&](CAttributeStore *s, CAttributeStore *n) {
                       return SetAttrStoreChild(s, g, i, kDefaultConfidence, n);
                     });
}

int32_t TIZ_API TIZ_SetSettingConfidenceAttrStoreChild(uint32_t h, const char *g, const char *i,
                                                       int32_t conf, uint32_t hNested) {
  return OnTwoStores(
      "TIZ_SetSettingConfidenceAttrStoreChild", h, hNested,
      [&](CAttributeStore *s, CAttributeStore *n) { return SetAttrStoreChild(s, g, i, conf, n); });
}

int32_t TIZ_API TIZ_SetConfidence(uint32_t h, const char *g, const char *i, int32_t conf) {
  return OnStore("TIZ_SetConfidence", h,
                 [&](CAttributeStore *s) { return SetConfidence(s, g, i, conf); });
}

// --- getters ---------------------------------------------------------------
// Null out pointers are refused with -24 before the lookup. What a getter
// writes when the lookup fails differs from getter to getter (the public
// header says it for each): callers must not rely on untouched outputs.

#define TIZ_REQUIRE(cond) \
  if (!(cond)) return TIZ_E_INVALID_ARG

int32_t TIZ_API TIZ_GetSettingDword(uint32_t h, const char *g, const char *i, uint32_t *pValue) {
  return ReadOnStore("TIZ_GetSettingDword", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pValue);
    return GetDword(s, g, i, nullptr, pValue);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceDword(uint32_t h, const char *g, const char *i,
                                              int32_t *pConf, uint32_t *pValue) {
  return ReadOnStore("TIZ_GetSettingConfidenceDword", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && pValue);
    return GetDword(s, g, i, pConf, pValue);
  });
}

static int32_t ByteOut(CAttributeStore *s, const char *g, const char *i, int32_t *pConf,
                       uint8_t *pValue) {
  uint32_t value = 0;
  int32_t r = GetDword(s, g, i, pConf, &value);
  if (r == 0 || r == TIZ_FOUND_IN_ANCESTOR) *pValue = static_cast<uint8_t>(value & 0xFF);
  return r;
}

int32_t TIZ_API TIZ_GetSettingByte(uint32_t h, const char *g, const char *i, uint8_t *pValue) {
  return ReadOnStore("TIZ_GetSettingByte", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pValue);
    return ByteOut(s, g, i, nullptr, pValue);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceByte(uint32_t h, const char *g, const char *i,
                                             int32_t *pConf, uint8_t *pValue) {
  return ReadOnStore("TIZ_GetSettingConfidenceByte", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && pValue);
    return ByteOut(s, g, i, pConf, pValue);
  });
}

int32_t TIZ_API TIZ_GetSettingDouble(uint32_t h, const char *g, const char *i, double *pValue) {
  return ReadOnStore("TIZ_GetSettingDouble", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pValue);
    return GetDouble(s, g, i, nullptr, pValue);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceDouble(uint32_t h, const char *g, const char *i,
                                               int32_t *pConf, double *pValue) {
  return ReadOnStore("TIZ_GetSettingConfidenceDouble", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && pValue);
    return GetDouble(s, g, i, pConf, pValue);
  });
}

int32_t TIZ_API TIZ_GetSettingString(uint32_t h, const char *g, const char *i, char *dest,
                                     int32_t len) {
  return ReadOnStore("TIZ_GetSettingString", h,
                     [&](CAttributeStore *s) { return GetString(s, g, i, nullptr, dest, len); });
}

int32_t TIZ_API TIZ_GetSettingConfidenceString(uint32_t h, const char *g, const char *i,
                                               int32_t *pConf, char *dest, int32_t len) {
  return ReadOnStore("TIZ_GetSettingConfidenceString", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf);
    return GetString(s, g, i, pConf, dest, len);
  });
}

int32_t TIZ_API TIZ_GetSettingBuffer(uint32_t h, const char *g, const char *i, void *dest,
                                     int32_t *pLen) {
  return ReadOnStore("TIZ_GetSettingBuffer", h,
                     [&](CAttributeStore *s) { return GetBuffer(s, g, i, nullptr, dest, pLen); });
}

int32_t TIZ_API TIZ_GetSettingConfidenceBuffer(uint32_t h, const char *g, const char *i,
                                               int32_t *pConf, void *dest, int32_t *pLen) {
  return ReadOnStore("TIZ_GetSettingConfidenceBuffer", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf);
    return GetBuffer(s, g, i, pConf, dest, pLen);
  });
}

int32_t TIZ_API TIZ_GetSettingImage(uint32_t h, const char *g, const char *i, uint32_t *phImage) {
  return ReadOnStore("TIZ_GetSettingImage", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(phImage);
    return GetImage(s, g, i, nullptr, phImage);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceImage(uint32_t h, const char *g, const char *i,
                                              int32_t *pConf, uint32_t *phImage) {
  return ReadOnStore("TIZ_GetSettingConfidenceImage", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && phImage);
    return GetImage(s, g, i, pConf, phImage);
  });
}

static int32_t StructureOut(CAttributeStore *s, const char *g, const char *i, int32_t *pConf,
                            void **pData) {
  CUserDefined *structure = nullptr;
  int32_t r = GetStructure(s, g, i, pConf, &structure);
  if (r == 0 || r == TIZ_FOUND_IN_ANCESTOR) *pData = structure ? structure->Data() : nullptr;
  return r;
}

int32_t TIZ_API TIZ_GetSettingStructure(uint32_t h, const char *g, const char *i, void **pData) {
  return OnStore("TIZ_GetSettingStructure", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pData);
    return StructureOut(s, g, i, nullptr, pData);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceStructure(uint32_t h, const char *g, const char *i,
                                                  int32_t *pConf, void **pData) {
  return OnStore("TIZ_GetSettingConfidenceStructure", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && pData);
    return StructureOut(s, g, i, pConf, pData);
  });
}

int32_t TIZ_API TIZ_GetSettingAttrStore(uint32_t h, const char *g, const char *i,
                                        uint32_t *phNested) {
  return OnStore("TIZ_GetSettingAttrStore", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(phNested);
    return StoreOut(s, g, i, nullptr, phNested, false);
  });
}

int32_t TIZ_API TIZ_GetSettingConfidenceAttrStore(uint32_t h, const char *g, const char *i,
                                                  int32_t *pConf, uint32_t *phNested) {
  return OnStore("TIZ_GetSettingConfidenceAttrStore", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf && phNested);
    return StoreOut(s, g, i, pConf, phNested, true);
  });
}

int32_t TIZ_API TIZ_GetSettingSize(uint32_t h, const char *g, const char *i, uint32_t *pSize) {
  return ReadOnStore("TIZ_GetSettingSize", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pSize);
    return GetSize(s, g, i, pSize);
  });
}

int32_t TIZ_API TIZ_GetSettingType(uint32_t h, const char *g, const char *i, int32_t *pType) {
  return ReadOnStore("TIZ_GetSettingType", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pType);
    return GetType(s, g, i, pType);
  });
}

int32_t TIZ_API TIZ_GetConfidence(uint32_t h, const char *g, const char *i, int32_t *pConf) {
  return ReadOnStore("TIZ_GetConfidence", h, [&](CAttributeStore *s) {
    TIZ_REQUIRE(pConf);
    return GetConfidence(s, g, i, pConf);
  });
}

char *TIZ_API TIZ_GetCharPointer(uint32_t h, const char *g, const char *i, uint32_t *pSize,
                                 int32_t *pStatus) {
  return PointerGetter<char>("TIZ_GetCharPointer", h, g, i, nullptr, false, pSize, pStatus,
                             kTypeString);
}

char *TIZ_API TIZ_GetConfidenceCharPointer(uint32_t h, const char *g, const char *i, int32_t *pConf,
                                           uint32_t *pSize, int32_t *pStatus) {
  return PointerGetter<char>("TIZ_GetConfidenceCharPointer", h, g, i, pConf, true, pSize, pStatus,
                             kTypeString);
}

void *TIZ_API TIZ_GetVoidPointer(uint32_t h, const char *g, const char *i, uint32_t *pSize,
                                 int32_t *pStatus) {
  return PointerGetter<void>("TIZ_GetVoidPointer", h, g, i, nullptr, false, pSize, pStatus,
                             kTypeBuffer);
}

void *TIZ_API TIZ_GetConfidenceVoidPointer(uint32_t h, const char *g, const char *i, int32_t *pConf,
                                           uint32_t *pSize, int32_t *pStatus) {
  return PointerGetter<void>("TIZ_GetConfidenceVoidPointer", h, g, i, pConf, true, pSize, pStatus,
                             kTypeBuffer);
}

}  // extern "C"
