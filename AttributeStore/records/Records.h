// Text records of settings: lines "group item kind value\n" packed into and
// read from a caller's text, with no store and no lock.
#ifndef TIZ_RECORDS_RECORDS_H
#define TIZ_RECORDS_RECORDS_H

#include <cstdint>

namespace tiz {

// Worker of UtilAttribute_Count: the number of complete records (line
// feeds) in `text`; -24 for a null text.
int32_t CountRecords(const char *text);

// Worker of UtilAttribute_Pack: appends one record to the text in `buffer`
// (`size` bytes in all). -16 for a null buffer, -24 for a null name or
// value, -27 when the record does not fit (nothing written).
int32_t PackRecord(char *buffer, uint32_t size, const char *group, const char *item,
                   uint32_t isDword, const void *value);

// Worker of UtilAttribute_UnpackOneAttribute: copies the fields of record
// `index` out, each in a field of `fieldLen` bytes. -24 for a null argument,
// -83 for a missing or malformed record, -27 when a field does not fit
// (nothing written).
int32_t UnpackRecord(const char *text, int32_t index, uint32_t fieldLen, char *group, char *item,
                     uint32_t *pKind, uint32_t *pDword, char *str);

}  // namespace tiz

#endif
