// The text-record exports. No frame: they take no lock, touch no store and
// cannot throw.
#include "records/Records.h"
#include "tiz.h"

using namespace tiz;

extern "C" {

int32_t TIZ_API UtilAttribute_Count(const char *text) { return CountRecords(text); }

int32_t TIZ_API UtilAttribute_Pack(char *buffer, uint32_t size, const char *group, const char *item,
                                   uint32_t isDword, const void *value) {
  return PackRecord(buffer, size, group, item, isDword, value);
}

int32_t TIZ_API UtilAttribute_UnpackOneAttribute(const char *text, int32_t index, uint32_t fieldLen,
                                                 char *group, char *item, uint32_t *pKind,
                                                 uint32_t *pDword, char *str) {
  return UnpackRecord(text, index, fieldLen, group, item, pKind, pDword, str);
}

}  // extern "C"
