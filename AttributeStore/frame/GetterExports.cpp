// The typed getter exports: the frame, the checks of out pointers, and the
// getters of the core.
//
// A null out pointer is refused with -24 after the handle check and before
// the lookup. What a getter writes when the lookup fails differs from getter
// to getter (the public header says it for each): callers must not rely on
// untouched outputs.
#include "core/Attribute.h"
#include "core/TypedValues.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_GetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingDword", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pValue) return TIZ_E_INVALID_ARG;
                          return GetDword(store, group, item, nullptr, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf, uint32_t *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceDword", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !pValue) return TIZ_E_INVALID_ARG;
                          return GetDword(store, group, item, pConf, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingByte(uint32_t hAttrStore, const char *group, const char *item,
                                   uint8_t *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingByte", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pValue) return TIZ_E_INVALID_ARG;
                          return GetByte(store, group, item, nullptr, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceByte(uint32_t hAttrStore, const char *group,
                                             const char *item, int32_t *pConf, uint8_t *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceByte", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !pValue) return TIZ_E_INVALID_ARG;
                          return GetByte(store, group, item, pConf, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingDouble", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pValue) return TIZ_E_INVALID_ARG;
                          return GetDouble(store, group, item, nullptr, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, double *pValue) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceDouble", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !pValue) return TIZ_E_INVALID_ARG;
                          return GetDouble(store, group, item, pConf, pValue);
                        });
}

int32_t TIZ_API TIZ_GetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len) {
  return frame::OnStore(
      frame::kReadOnly, "TIZ_GetSettingString", hAttrStore,
      [&](CAttributeStore *store) { return GetString(store, group, item, nullptr, dest, len); });
}

int32_t TIZ_API TIZ_GetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, char *dest,
                                               int32_t len) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceString", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf) return TIZ_E_INVALID_ARG;
                          return GetString(store, group, item, pConf, dest, len);
                        });
}

int32_t TIZ_API TIZ_GetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     void *dest, int32_t *pLen) {
  return frame::OnStore(
      frame::kReadOnly, "TIZ_GetSettingBuffer", hAttrStore,
      [&](CAttributeStore *store) { return GetBuffer(store, group, item, nullptr, dest, pLen); });
}

int32_t TIZ_API TIZ_GetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, void *dest,
                                               int32_t *pLen) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceBuffer", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf) return TIZ_E_INVALID_ARG;
                          return GetBuffer(store, group, item, pConf, dest, pLen);
                        });
}

int32_t TIZ_API TIZ_GetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *phImage) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingImage", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!phImage) return TIZ_E_INVALID_ARG;
                          return GetImage(store, group, item, nullptr, phImage);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf, uint32_t *phImage) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingConfidenceImage", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !phImage) return TIZ_E_INVALID_ARG;
                          return GetImage(store, group, item, pConf, phImage);
                        });
}

int32_t TIZ_API TIZ_GetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void **pData) {
  return frame::OnStore(frame::kStandard, "TIZ_GetSettingStructure", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pData) return TIZ_E_INVALID_ARG;
                          return GetStructureData(store, group, item, nullptr, pData);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf, void **pData) {
  return frame::OnStore(frame::kStandard, "TIZ_GetSettingConfidenceStructure", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !pData) return TIZ_E_INVALID_ARG;
                          return GetStructureData(store, group, item, pConf, pData);
                        });
}

int32_t TIZ_API TIZ_GetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t *phNested) {
  return frame::OnStore(frame::kStandard, "TIZ_GetSettingAttrStore", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!phNested) return TIZ_E_INVALID_ARG;
                          return GetAttrStoreHandle(store, group, item, nullptr, phNested,
                                                    NestedOnFailure::kUntouched);
                        });
}

int32_t TIZ_API TIZ_GetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf,
                                                  uint32_t *phNested) {
  return frame::OnStore(frame::kStandard, "TIZ_GetSettingConfidenceAttrStore", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf || !phNested) return TIZ_E_INVALID_ARG;
                          return GetAttrStoreHandle(store, group, item, pConf, phNested,
                                                    NestedOnFailure::kZero);
                        });
}

int32_t TIZ_API TIZ_GetSettingSize(uint32_t hAttrStore, const char *group, const char *item,
                                   uint32_t *pSize) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingSize", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pSize) return TIZ_E_INVALID_ARG;
                          return GetSize(store, group, item, pSize);
                        });
}

int32_t TIZ_API TIZ_GetSettingType(uint32_t hAttrStore, const char *group, const char *item,
                                   int32_t *pType) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetSettingType", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pType) return TIZ_E_INVALID_ARG;
                          return GetType(store, group, item, pType);
                        });
}

int32_t TIZ_API TIZ_GetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t *pConf) {
  return frame::OnStore(frame::kReadOnly, "TIZ_GetConfidence", hAttrStore,
                        [&](CAttributeStore *store) {
                          if (!pConf) return TIZ_E_INVALID_ARG;
                          return GetConfidence(store, group, item, pConf);
                        });
}

char *TIZ_API TIZ_GetCharPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus) {
  void *pointer = nullptr;
  int32_t status = frame::OnStore(
      frame::kStandard, "TIZ_GetCharPointer", hAttrStore, [&](CAttributeStore *store) {
        return GetValuePointer(store, group, item, nullptr, pSize, kTypeString, &pointer);
      });
  return static_cast<char *>(frame::PointerResult(status, pointer, pStatus));
}

char *TIZ_API TIZ_GetConfidenceCharPointer(uint32_t hAttrStore, const char *group, const char *item,
                                           int32_t *pConf, uint32_t *pSize, int32_t *pStatus) {
  void *pointer = nullptr;
  int32_t status = frame::OnStore(
      frame::kStandard, "TIZ_GetConfidenceCharPointer", hAttrStore, [&](CAttributeStore *store) {
        if (!pConf) return TIZ_E_INVALID_ARG;
        return GetValuePointer(store, group, item, pConf, pSize, kTypeString, &pointer);
      });
  return static_cast<char *>(frame::PointerResult(status, pointer, pStatus));
}

void *TIZ_API TIZ_GetVoidPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus) {
  void *pointer = nullptr;
  int32_t status = frame::OnStore(
      frame::kStandard, "TIZ_GetVoidPointer", hAttrStore, [&](CAttributeStore *store) {
        return GetValuePointer(store, group, item, nullptr, pSize, kTypeBuffer, &pointer);
      });
  return static_cast<void *>(frame::PointerResult(status, pointer, pStatus));
}

void *TIZ_API TIZ_GetConfidenceVoidPointer(uint32_t hAttrStore, const char *group, const char *item,
                                           int32_t *pConf, uint32_t *pSize, int32_t *pStatus) {
  void *pointer = nullptr;
  int32_t status = frame::OnStore(
      frame::kStandard, "TIZ_GetConfidenceVoidPointer", hAttrStore, [&](CAttributeStore *store) {
        if (!pConf) return TIZ_E_INVALID_ARG;
        return GetValuePointer(store, group, item, pConf, pSize, kTypeBuffer, &pointer);
      });
  return static_cast<void *>(frame::PointerResult(status, pointer, pStatus));
}

}  // extern "C"
