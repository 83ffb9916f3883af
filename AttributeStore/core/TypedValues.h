// Typed access to one setting of a store: the workers behind the setter and
// getter exports. They take no lock and check no handle: callers run them
// under the global lock with a live store (internal callers such as the
// loaders, cloning and the image-tree utilities use them directly).
//
// Setters write to the given store only; getters fall back through the
// parent chain and answer 0 (found here), 1 (found in an ancestor) or 2
// (found nowhere), or a negative code.
#ifndef TIZ_CORE_TYPEDVALUES_H
#define TIZ_CORE_TYPEDVALUES_H

#include <cstdint>

namespace tiz {

class CAttributeStore;
class CAttribute;
class CUserDefined;

// --- setters (group must be non-empty: -24) --------------------------------
int32_t SetDword(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                 uint32_t value);
int32_t SetDouble(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  double value);
int32_t SetString(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  const char *text);
int32_t SetBuffer(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  const void *data, uint32_t len);
int32_t SetImage(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                 uint32_t hImage);
// Takes ownership of `structure` in every case. When the call fails (-24,
// or exhausted memory) the object is deleted without running its release
// callback, so the caller keeps its data.
int32_t SetStructure(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                     CUserDefined *structure);
// Plain link: renames the nested store, points at it; no reference, no parent.
int32_t SetAttrStore(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                     CAttributeStore *nested);
// Child link: as above, then links the nested store under `store` (-82 for a cycle).
int32_t SetAttrStoreChild(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                          CAttributeStore *nested);
// 2 when the setting is not in this store.
int32_t SetConfidence(CAttributeStore *store, const char *group, const char *item, int32_t conf);

// --- getters (conf may be null where the plain form is wanted) -------------
int32_t GetDword(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                 uint32_t *value);
int32_t GetDouble(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  double *value);
// The string and buffer readers refuse a null destination, a string length
// below 1 and a negative buffer length (-24) before the lookup.
int32_t GetString(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  char *dest, int32_t len);
int32_t GetBuffer(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  void *dest, int32_t *len);
int32_t GetImage(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                 uint32_t *hImage);
// Hands out the structure object (owned by the setting).
int32_t GetStructure(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                     CUserDefined **structure);
// Hands out the nested store with one reference added for the caller; 0
// whether found here or in an ancestor. A value whose store is gone yields a
// null store with result 0.
int32_t GetAttrStore(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                     CAttributeStore **nested);
// The low byte of a DWORD setting; *value is written only on 0 and 1.
int32_t GetByte(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                uint8_t *value);
// The caller's data of a structure setting (null for one read back from a
// file); *data is written only on 0 and 1.
int32_t GetStructureData(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                         void **data);
// GetAttrStore as a handle: on 0 the nested store's handle (0 when it is
// gone); on failure *phNested is left alone or set to 0, as asked.
enum class NestedOnFailure { kUntouched, kZero };
int32_t GetAttrStoreHandle(CAttributeStore *store, const char *group, const char *item,
                           int32_t *conf, uint32_t *phNested, NestedOnFailure onFailure);
// The address of a STRING's text or a BUFFER's bytes (`type` says which),
// owned by the setting, with its size: 0 or 1 where found, 2, -24 for a null
// name or size, -313 for another type (no pointer then).
int32_t GetValuePointer(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                        uint32_t *size, int32_t type, void **pointer);
int32_t GetSize(CAttributeStore *store, const char *group, const char *item, uint32_t *size);
int32_t GetType(CAttributeStore *store, const char *group, const char *item, int32_t *type);
int32_t GetConfidence(CAttributeStore *store, const char *group, const char *item, int32_t *conf);

// The trace line of an image handed to a store, written whether or not the
// store then takes it.
void TraceSetImage(uint32_t hStore, uint32_t hImage);

// Finds the setting in `store` or its ancestors: *found receives the attribute
// and the result is 0 (here), 1 (ancestor) or 2 (nowhere). Group must be
// non-empty (-24).
int32_t LookupInherited(CAttributeStore *store, const char *group, const char *item,
                        CAttribute **found);

}  // namespace tiz

#endif
