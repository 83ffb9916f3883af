/*
 * tiz: hierarchical, typed attribute stores.
 *
 * Every function returns a signed 32-bit result: 0 success, 1 and 2
 * informational (found in an ancestor / found nowhere), negative codes are
 * errors (see TIZ_E_* below). Store and image handles are opaque 32-bit
 * values. All texts are narrow NUL-terminated strings in the process's ANSI
 * code page. The library is thread-safe: one global lock serialises every
 * call that touches a store.
 */
#ifndef TIZ_H
#define TIZ_H

#include <stdint.h>

#include "tiz_platform.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Result codes. */
#define TIZ_OK 0
#define TIZ_FOUND_IN_ANCESTOR 1
#define TIZ_NOT_FOUND 2
#define TIZ_TRUNCATED_DISPLAY 3
#define TIZ_E_NO_MEMORY_LINE -9
#define TIZ_E_WRITE_BUFFER -13
#define TIZ_E_INVALID_HANDLE -16
#define TIZ_E_INVALID_ARG -24
#define TIZ_E_TOO_SMALL -27
#define TIZ_E_SIDE_MISMATCH -31
#define TIZ_E_NO_DPI -57
#define TIZ_E_CYCLE -82
#define TIZ_E_NO_RECORD -83
#define TIZ_E_SAME_IMAGE -92
#define TIZ_E_NULL_POINTER -108
#define TIZ_E_OPEN_FILE -135
#define TIZ_E_NO_SAVED_TREE -149
#define TIZ_E_END_OF_ITERATION -156
#define TIZ_E_BAD_SECTION -180
#define TIZ_E_READ_BUFFER -181
#define TIZ_E_EMPTY_TYPE -182
#define TIZ_E_RESET_REFCOUNTS -289
#define TIZ_E_EMPTY_STORE -303
#define TIZ_E_WRONG_TYPE -313
#define TIZ_E_NOT_PROVIDED -32499

/* Value type codes. */
#define TIZ_TYPE_UNDEFINED 0
#define TIZ_TYPE_ATTRIBUTESTORE 1
#define TIZ_TYPE_DWORD 2
#define TIZ_TYPE_DOUBLE 3
#define TIZ_TYPE_STRING 4
#define TIZ_TYPE_BUFFER 5
#define TIZ_TYPE_IMAGE 6
#define TIZ_TYPE_USERDEFINED 7

/* Structure value callbacks: release the caller's data, and display it into
 * a buffer of the given length. */
typedef void(TIZ_API *TIZ_RELEASE_FN)(void *data);
typedef int32_t(TIZ_API *TIZ_DISPLAY_FN)(void *data, char *dest, int32_t len);

/* Library control: no lock, no handle. */
int32_t TIZ_API TIZ_InitCriticalSection(void);
int32_t TIZ_API TIZ_DeleteCriticalSection(void);
int32_t TIZ_API TIZ_InitLogging(uint32_t enabled);
int32_t TIZ_API TIZ_SetScanningThreadID(uint32_t threadId);

/* Store life. */
int32_t TIZ_API TIZ_Create(uint32_t *phAttrStore);
int32_t TIZ_API TIZ_AddRef(uint32_t hAttrStore);
int32_t TIZ_API TIZ_Release(uint32_t hAttrStore);
int32_t TIZ_API TIZ_GetParent(uint32_t hAttrStore, uint32_t *phParent);
int32_t TIZ_API TIZ_Clone(uint32_t hSource, uint32_t hDestination);

/* Setters. */
int32_t TIZ_API TIZ_SetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t value);
int32_t TIZ_API TIZ_SetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t value);
int32_t TIZ_API TIZ_SetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double value);
int32_t TIZ_API TIZ_SetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, double value);
int32_t TIZ_API TIZ_SetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     const char *text);
int32_t TIZ_API TIZ_SetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const char *text);
int32_t TIZ_API TIZ_SetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     const void *data, uint32_t len);
int32_t TIZ_API TIZ_SetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t conf, const void *data,
                                               uint32_t len);
int32_t TIZ_API TIZ_SetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t hImage);
int32_t TIZ_API TIZ_SetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t conf, uint32_t hImage);
int32_t TIZ_API TIZ_SetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void *data, TIZ_RELEASE_FN release,
                                        TIZ_DISPLAY_FN display);
int32_t TIZ_API TIZ_SetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf, void *data,
                                                  TIZ_RELEASE_FN release);
int32_t TIZ_API TIZ_SetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t hNested);
int32_t TIZ_API TIZ_SetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t conf,
                                                  uint32_t hNested);
int32_t TIZ_API TIZ_SetSettingAttrStoreChild(uint32_t hAttrStore, const char *group,
                                             const char *item, uint32_t hNested);
int32_t TIZ_API TIZ_SetSettingConfidenceAttrStoreChild(uint32_t hAttrStore, const char *group,
                                                       const char *item, int32_t conf,
                                                       uint32_t hNested);
int32_t TIZ_API TIZ_SetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t conf);

/* Getters: 0 found in the store, 1 found in an ancestor, 2 found nowhere. */
int32_t TIZ_API TIZ_GetSettingDword(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceDword(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf,
                                              uint32_t *pValue);
int32_t TIZ_API TIZ_GetSettingByte(uint32_t hAttrStore, const char *group, const char *item,
                                   uint8_t *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceByte(uint32_t hAttrStore, const char *group,
                                             const char *item, int32_t *pConf, uint8_t *pValue);
int32_t TIZ_API TIZ_GetSettingDouble(uint32_t hAttrStore, const char *group, const char *item,
                                     double *pValue);
int32_t TIZ_API TIZ_GetSettingConfidenceDouble(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, double *pValue);
int32_t TIZ_API TIZ_GetSettingString(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len);
int32_t TIZ_API TIZ_GetSettingConfidenceString(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, char *dest,
                                               int32_t len);
int32_t TIZ_API TIZ_GetSettingBuffer(uint32_t hAttrStore, const char *group, const char *item,
                                     void *dest, int32_t *pLen);
int32_t TIZ_API TIZ_GetSettingConfidenceBuffer(uint32_t hAttrStore, const char *group,
                                               const char *item, int32_t *pConf, void *dest,
                                               int32_t *pLen);
int32_t TIZ_API TIZ_GetSettingImage(uint32_t hAttrStore, const char *group, const char *item,
                                    uint32_t *phImage);
int32_t TIZ_API TIZ_GetSettingConfidenceImage(uint32_t hAttrStore, const char *group,
                                              const char *item, int32_t *pConf,
                                              uint32_t *phImage);
int32_t TIZ_API TIZ_GetSettingStructure(uint32_t hAttrStore, const char *group, const char *item,
                                        void **pData);
int32_t TIZ_API TIZ_GetSettingConfidenceStructure(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf,
                                                  void **pData);
int32_t TIZ_API TIZ_GetSettingAttrStore(uint32_t hAttrStore, const char *group, const char *item,
                                        uint32_t *phNested);
int32_t TIZ_API TIZ_GetSettingConfidenceAttrStore(uint32_t hAttrStore, const char *group,
                                                  const char *item, int32_t *pConf,
                                                  uint32_t *phNested);
int32_t TIZ_API TIZ_GetSettingSize(uint32_t hAttrStore, const char *group, const char *item,
                                   uint32_t *pSize);
int32_t TIZ_API TIZ_GetSettingType(uint32_t hAttrStore, const char *group, const char *item,
                                   int32_t *pType);
int32_t TIZ_API TIZ_GetConfidence(uint32_t hAttrStore, const char *group, const char *item,
                                  int32_t *pConf);

/* Pointer getters: return the stored text or bytes in place (owned by the
 * store); the result code goes to *pStatus when pStatus is not null. */
char *TIZ_API TIZ_GetCharPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus);
char *TIZ_API TIZ_GetConfidenceCharPointer(uint32_t hAttrStore, const char *group,
                                           const char *item, int32_t *pConf, uint32_t *pSize,
                                           int32_t *pStatus);
void *TIZ_API TIZ_GetVoidPointer(uint32_t hAttrStore, const char *group, const char *item,
                                 uint32_t *pSize, int32_t *pStatus);
void *TIZ_API TIZ_GetConfidenceVoidPointer(uint32_t hAttrStore, const char *group,
                                           const char *item, int32_t *pConf, uint32_t *pSize,
                                           int32_t *pStatus);

/* Deleting and iterating. */
int32_t TIZ_API TIZ_DeleteSetting(uint32_t hAttrStore, const char *group, const char *item);
int32_t TIZ_API TIZ_StartIteratorSorted(uint32_t hAttrStore);
int32_t TIZ_API TIZ_IterateSetting(uint32_t hAttrStore, char *buffer, uint32_t len);

/* Files and display. */
int32_t TIZ_API TIZ_Serialize(uint32_t hAttrStore, const char *fileName);
int32_t TIZ_API TIZ_Deserialize(uint32_t hAttrStore, const char *fileName);
int32_t TIZ_API TIZ_LoadSettings(uint32_t hAttrStore, const char *fileName);
int32_t TIZ_API TIZ_DisplayAttribute(uint32_t hAttrStore, const char *group, const char *item,
                                     char *dest, int32_t len);

/* Text records: no store, no lock. */
int32_t TIZ_API UtilAttribute_Count(const char *text);
int32_t TIZ_API UtilAttribute_Pack(char *buffer, uint32_t size, const char *group,
                                   const char *item, uint32_t isDword, const void *value);
int32_t TIZ_API UtilAttribute_UnpackOneAttribute(const char *text, int32_t index,
                                                 uint32_t fieldLen, char *group, char *item,
                                                 uint32_t *pKind, uint32_t *pDword, char *str);

/* Image-tree utilities. */
int32_t TIZ_API TIZ_UtilGetCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                      uint32_t *phCurrentBag);
int32_t TIZ_API TIZ_UtilGetPersistentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                         uint32_t *phPersistentBag);
int32_t TIZ_API TIZ_UtilAppendNewCurrentBag(uint32_t hGlobalBag, uint32_t bCurrentSide,
                                            uint32_t *phCurrentBag);
int32_t TIZ_API TIZ_UtilIsCurrentFront(uint32_t hGlobalBag, uint32_t *pbIsFront);
int32_t TIZ_API TIZ_UtilIsABackSideBag(uint32_t hBag, uint32_t *pbIsBackSide);
int32_t TIZ_API TIZ_UtilSetSide(uint32_t hGlobalBag, uint32_t bFront);
int32_t TIZ_API TIZ_UtilGenerateBatchAttributeName(uint32_t a, uint32_t b, uint32_t c);
int32_t TIZ_API TIZ_UtilReInitImageTree(uint32_t hGlobalBag);
int32_t TIZ_API TIZ_UtilDestroyImageTree(uint32_t hGlobalBag);
int32_t TIZ_API TIZ_UtilSaveCurrentImageTree(uint32_t hGlobalBag, uint32_t hBag);
int32_t TIZ_API TIZ_UtilRestoreSavedImageTree(uint32_t hGlobalBag, uint32_t hBag);
int32_t TIZ_API TIZ_UtilUpdateStoredImages(uint32_t hGlobalBag, uint32_t hImage,
                                           uint32_t bCached);
int32_t TIZ_API TIZ_UtilDeleteATImage(uint32_t hBag);
int32_t TIZ_API TIZ_UtilDeleteYBitonalImage(uint32_t hGlobalBag);
int32_t TIZ_API TIZ_UtilDeleteYPlaneImage(uint32_t hGlobalBag);
int32_t TIZ_API TIZ_UtilGetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t *pdwValue);
int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackground(uint32_t hGlobalBag, uint32_t dwValue);
int32_t TIZ_API TIZ_UtilSetScannerIsBlackBackgroundDefault(uint32_t hGlobalBag,
                                                           uint32_t dwValue);
int32_t TIZ_API TIZ_UtilGetZoomedBICDPI(uint32_t hGlobalBag, uint32_t dwDpiMask,
                                        uint32_t *pdwDpiFlag, uint32_t *pdwZoom);

#ifdef __cplusplus
}
#endif

#endif /* TIZ_H */
