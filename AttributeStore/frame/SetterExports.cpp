// The typed setter exports: the frame and the setters of the core. Each
// writes one setting of the store given.
#include "core/Attribute.h"
#include "core/TypedValues.h"
#include "core/UserDefined.h"
#include "frame/Frame.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API TIZ_SetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t value) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingDword", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetDword(store, group, item, kDefaultConfidence, value);
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t value) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetSettingConfidenceDword", hAttrStore,
      [&](CAttributeStore *store) { return SetDword(store, group, item, conf, value); });
}

int32_t TIZ_API TIZ_SetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double value) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingDouble", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetDouble(store, group, item, kDefaultConfidence, value);
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, double value) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetSettingConfidenceDouble", hAttrStore,
      [&](CAttributeStore *store) { return SetDouble(store, group, item, conf, value); });
}

int32_t TIZ_API TIZ_SetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     const char *text) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingString", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetString(store, group, item, kDefaultConfidence, text);
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const char *text) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetSettingConfidenceString", hAttrStore,
      [&](CAttributeStore *store) { return SetString(store, group, item, conf, text); });
}

int32_t TIZ_API TIZ_SetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     const void *data, uint32_t len) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingBuffer", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetBuffer(store, group, item, kDefaultConfidence, data, len);
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const void *data,
                                               uint32_t len) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetSettingConfidenceBuffer", hAttrStore,
      [&](CAttributeStore *store) { return SetBuffer(store, group, item, conf, data, len); });
}

int32_t TIZ_API TIZ_SetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t hImage) {
  // Traced before the handle check, so a pipeline log shows refused images too.
  TraceSetImage(hAttrStore, hImage);
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingImage", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetImage(store, group, item, kDefaultConfidence, hImage);
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t hImage) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetSettingConfidenceImage", hAttrStore,
      [&](CAttributeStore *store) { return SetImage(store, group, item, conf, hImage); });
}

int32_t TIZ_API TIZ_SetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void *data, TIZ_RELEASE_FN release,
                                        TIZ_DISPLAY_FN display) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingStructure", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetStructure(store, group, item, kDefaultConfidence,
                                              new CUserDefined(data, release, display));
                        });
}

int32_t TIZ_API TIZ_SetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf, void *data,
                                                  TIZ_RELEASE_FN release) {
  return frame::OnStore(frame::kStandard, "TIZ_SetSettingConfidenceStructure", hAttrStore,
                        [&](CAttributeStore *store) {
                          return SetStructure(store, group, item, conf,
                                              new CUserDefined(data, release, nullptr));
                        });
}

int32_t TIZ_API TIZ_SetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t hNested) {
  return frame::OnStores(frame::kStandard, "TIZ_SetSettingAttrStore", hAttrStore, hNested,
                         [&](CAttributeStore *store, CAttributeStore *nested) {
                           return SetAttrStore(store, group, item, kDefaultConfidence, nested);
                         });
}

int32_t TIZ_API TIZ_SetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf,
                                                  uint32_t hNested) {
  return frame::OnStores(frame::kStandard, "TIZ_SetSettingConfidenceAttrStore", hAttrStore, hNested,
                         [&](CAttributeStore *store, CAttributeStore *nested) {
                           return SetAttrStore(store, group, item, conf, nested);
                         });
}

int32_t TIZ_API TIZ_SetSettingAttrStoreChild(uint32_t hAttrStore, const char *group,
                                             const char *item, uint32_t hNested) {
  return frame::OnStores(frame::kStandard, "TIZ_SetSettingAttrStoreChild", hAttrStore, hNested,
                         [&](CAttributeStore *store, CAttributeStore *nested) {
                           return SetAttrStoreChild(store, group, item, kDefaultConfidence, nested);
                         });
}

int32_t TIZ_API TIZ_SetSettingConfidenceAttrStoreChild(uint32_t hAttrStore, const char *group,
                                                       const char *item, int32_t conf,
                                                       uint32_t hNested) {
  return frame::OnStores(frame::kStandard, "TIZ_SetSettingConfidenceAttrStoreChild", hAttrStore,
                         hNested, [&](CAttributeStore *store, CAttributeStore *nested) {
                           return SetAttrStoreChild(store, group, item, conf, nested);
                         });
}

int32_t TIZ_API TIZ_SetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t conf) {
  return frame::OnStore(
      frame::kStandard, "TIZ_SetConfidence", hAttrStore,
      [&](CAttributeStore *store) { return SetConfidence(store, group, item, conf); });
}

}  // extern "C"
