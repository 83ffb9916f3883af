#include "core/TypedValues.h"

#include <cstring>
#include <memory>

#include "core/AttributeStore.h"
#include "core/Names.h"
#include "core/SharedValues.h"
#include "core/StoreHandles.h"
#include "core/UserDefined.h"
#include "imagelib/ImageLibrary.h"
#include "platform/Trace.h"
#include "tiz.h"

namespace tiz {

namespace {

bool ValidNames(const char *group, const char *item) { return group && *group && item; }

bool HoldsStructure(const CAttribute &attr) {
  return attr.m_type == kTypeUserDefined && attr.m_value.structure && !attr.m_inert;
}

// Where a writer found its key in the store: the setting, or (when absent)
// the place a new one goes, good while the table does not change.
struct Found {
  CAttribute *attr = nullptr;
  size_t vacant = 0;
};

Found Locate(const CAttributeStore *store, const SettingKey &key) {
  Found found;
  if (KeyEntry *e = store->FindEntry(key, &found.vacant)) found.attr = &e->attr;
  return found;
}

// Runs `write` on the setting under `key` in `store` only, found before as
// `found` (the table unchanged since), or on a new one; `write` cannot fail:
// all allocation happens before it takes over the caller's value, so
// exhausted memory (thrown) never leaves a value half owned, and a new
// setting is filed only once it holds its value.
//
// A structure the setting holds is released before the new value goes in,
// as the type rules order it. Its release callback may call back into the
// library, so the setting holds no value while it runs, and the setting is
// looked up again afterwards: the callback may have changed or deleted it,
// or taken the whole store down (-16).
template <class Write>
int32_t WriteAt(CAttributeStore *store, const SettingKey &key, Found found, Write &&write) {
  if (found.attr && HoldsStructure(*found.attr)) {
    const uint32_t handle = store->Handle();
    {
      CAttribute released;
      found.attr->MoveValueTo(released);
    }
    if (!LookupStore(handle)) return TIZ_E_INVALID_HANDLE;
    found = Locate(store, key);
  }
  if (found.attr) {
    write(*found.attr);
    return 0;
  }
  std::unique_ptr<KeyEntry, EntryFree> entry(store->PrepareEntry(key, &found.vacant));
  write(entry->attr);
  store->FileEntry(entry.release(), found.vacant);
  return 0;
}

// WriteAt for a writer with nothing to decide before the lookup.
template <class Write>
int32_t WriteSetting(CAttributeStore *store, const char *group, const char *item, Write &&write) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const SettingKey key(group, item);
  return WriteAt(store, key, Locate(store, key), write);
}

// Starts a write of `type`: a value of another type is moved out into `old`
// (released when the caller's scope ends, after the setting is consistent).
void BeginWrite(CAttribute &attr, int32_t type, int32_t conf, CAttribute &old) {
  if (attr.m_type != type) attr.MoveValueTo(old);
  attr.m_confidence = conf;
  attr.m_type = type;
  attr.m_serializable = type != kTypeUserDefined;
}

// The setting under `key` in the nearest ancestor of `store`, or null.
CAttribute *FindInAncestors(const CAttributeStore *store, const SettingKey &key) {
  for (const CAttributeStore *cur = store->Parent(); cur; cur = cur->Parent()) {
    if (KeyEntry *e = cur->FindEntry(key)) return &e->attr;
  }
  return nullptr;
}

// Runs `read` on the setting found in `store` or its nearest ancestor; a 0 from
// an ancestor becomes 1. Hashed and compared straight from the caller's
// names: a reader under the shared lock writes nothing a store owns, and the
// same hash serves the whole parent chain. The lookup in the store itself,
// where most reads end, is made here, inline in each getter.
template <class Read>
int32_t ReadSetting(CAttributeStore *store, const char *group, const char *item, Read &&read) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const SettingKey key(group, item);
  if (KeyEntry *e = store->FindEntry(key)) return read(e->attr);
  CAttribute *attr = FindInAncestors(store, key);
  if (!attr) return TIZ_NOT_FOUND;
  int32_t result = read(*attr);
  return result == 0 ? TIZ_FOUND_IN_ANCESTOR : result;
}

void PutConf(int32_t *conf, const CAttribute &attr) {
  if (conf) *conf = attr.m_confidence;
}

}  // namespace

int32_t LookupInherited(CAttributeStore *store, const char *group, const char *item,
                        CAttribute **found) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const SettingKey key(group, item);
  if (KeyEntry *e = store->FindEntry(key)) {
    *found = &e->attr;
    return 0;
  }
  CAttribute *inherited = FindInAncestors(store, key);
  if (!inherited) return TIZ_NOT_FOUND;
  *found = inherited;
  return TIZ_FOUND_IN_ANCESTOR;
}

// --- setters ---------------------------------------------------------------

int32_t SetDword(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                 uint32_t value) {
  return WriteSetting(store, group, item, [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeDword, conf, old);
    attr.m_value.raw = 0;
    attr.m_value.dword = value;
    attr.m_size = 4;
  });
}

int32_t SetDouble(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  double value) {
  return WriteSetting(store, group, item, [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeDouble, conf, old);
    attr.m_value.dbl = value;
    attr.m_size = 8;
  });
}

int32_t SetString(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  const char *text) {
  if (!text || !ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const size_t size = std::strlen(text) + 1;
  // A STRING of the same size takes the new text in its own block: nothing
  // is allocated or released, so nothing can fail or run caller code. The
  // text may be the setting's own (from TIZ_GetCharPointer), hence memmove.
  const SettingKey key(group, item);
  const Found found = Locate(store, key);
  if (CAttribute *attr = found.attr) {
    if (attr->m_type == kTypeString && attr->m_size == size && attr->m_value.text) {
      std::memmove(attr->m_value.text, text, size);
      attr->m_confidence = conf;
      attr->m_serializable = true;
      attr->m_plainText = true;
      return 0;
    }
  }
  // Otherwise copied before anything of the setting is released: the text
  // may be the setting's own, or data a released structure's callback frees.
  // The copy leaves the table as it was, so `found` still holds.
  std::unique_ptr<char[]> copy(new char[size]);
  std::memcpy(copy.get(), text, size);
  return WriteAt(store, key, found, [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeString, conf, old);
    delete[] attr.m_value.text;
    attr.m_value.text = copy.release();
    attr.m_size = static_cast<uint32_t>(size);
    attr.m_plainText = true;
  });
}

int32_t SetBuffer(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                  const void *data, uint32_t len) {
  if ((!data && len != 0) || !ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  // Copied first, as a text is.
  std::unique_ptr<unsigned char[]> copy;
  if (len != 0) {
    copy.reset(new unsigned char[len]);
    std::memcpy(copy.get(), data, len);
  }
  return WriteSetting(store, group, item, [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeBuffer, conf, old);
    delete[] attr.m_value.bytes;
    attr.m_value.bytes = copy.release();
    attr.m_size = len;
  });
}

int32_t SetImage(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                 uint32_t hImage) {
  return WriteSetting(store, group, item, [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeImage, conf, old);
    if (attr.m_value.image == hImage) return;
    if (attr.m_value.image != 0 && hImage != 0) {
      CAttribute replaced;
      attr.MoveValueTo(replaced);
    } else {
      // A zero handle detaches the stored image without releasing it; the
      // setting no longer counts among the holders of an image it shared.
      if (attr.m_value.image != 0 && !attr.m_inert) DropImageHolder(attr.m_value.image);
      attr.m_inert = false;
    }
    attr.m_value.raw = 0;
    attr.m_value.image = hImage;
    attr.m_size = 4;
  });
}

int32_t SetStructure(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                     CUserDefined *structure) {
  std::unique_ptr<CUserDefined> owned(structure);
  // A call that did not store the object, refused or ended by exhausted
  // memory, must not release the data: the caller, told it failed, keeps it.
  struct DisownUnlessStored {
    std::unique_ptr<CUserDefined> &object;
    ~DisownUnlessStored() {
      if (object) object->Disown();
    }
  } guard{owned};
  return WriteSetting(store, group, item, [&](CAttribute &attr) {
    // A structure held before is gone already (WriteSetting). Any other
    // value, or one a release callback put here meanwhile, goes with `old`.
    CAttribute old;
    if (attr.m_type == kTypeUserDefined) attr.MoveValueTo(old);
    BeginWrite(attr, kTypeUserDefined, conf, old);
    attr.m_value.structure = owned.release();
    attr.m_size = 4;
  });
}

namespace {

int32_t WriteStoreLink(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                       CAttributeStore *nested) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const SettingKey key(group, item);
  std::string name;
  name.reserve(store->Name().size() + 1 + key.names.Length());
  name.append(store->Name()).push_back(kKeySeparator);
  name.append(key.names.group).push_back(kKeySeparator);
  name.append(key.names.item);
  nested->SetName(std::move(name));
  uint32_t handle = nested->Handle();
  return WriteAt(store, key, Locate(store, key), [&](CAttribute &attr) {
    CAttribute old;
    BeginWrite(attr, kTypeAttributeStore, conf, old);
    attr.m_value.raw = 0;
    attr.m_value.store = handle;
    attr.m_size = 4;
  });
}

}  // namespace

int32_t SetAttrStore(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                     CAttributeStore *nested) {
  return WriteStoreLink(store, group, item, conf, nested);
}

int32_t SetAttrStoreChild(CAttributeStore *store, const char *group, const char *item, int32_t conf,
                          CAttributeStore *nested) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  const uint32_t handle = nested->Handle();
  store->ReserveChildLink();  // so that linking cannot fail once the setting is written
  int32_t result = WriteStoreLink(store, group, item, conf, nested);
  if (result < 0) return result;
  // A structure released by the write may have taken the nested store down.
  nested = LookupStore(handle);
  if (!nested) return TIZ_E_INVALID_HANDLE;
  return nested->SetParent(store);
}

int32_t SetConfidence(CAttributeStore *store, const char *group, const char *item, int32_t conf) {
  if (!ValidNames(group, item)) return TIZ_E_INVALID_ARG;
  KeyEntry *e = store->FindEntry(SettingKey(group, item));
  if (!e) return TIZ_NOT_FOUND;
  e->attr.m_confidence = conf;
  return 0;
}

// --- getters ---------------------------------------------------------------

int32_t GetDword(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                 uint32_t *value) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (int32_t r = attr.CheckType(kTypeDword)) return r;
    *value = attr.m_value.dword;
    PutConf(conf, attr);
    return 0;
  });
}

int32_t GetDouble(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  double *value) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (int32_t r = attr.CheckType(kTypeDouble)) return r;
    *value = attr.m_value.dbl;
    PutConf(conf, attr);
    return 0;
  });
}

int32_t GetString(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  char *dest, int32_t len) {
  if (!dest || len < 1) return TIZ_E_INVALID_ARG;
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (attr.m_size == 0) return 0;  // no value: nothing written, before the type test
    if (int32_t r = attr.CheckType(kTypeString)) return r;
    // A bounded copy that pads with NULs, as the callers' buffers expect.
    size_t n = static_cast<size_t>(len);
    size_t textLen = attr.m_plainText ? attr.m_size - 1 : std::strlen(attr.m_value.text);
    size_t copied = textLen < n ? textLen : n;
    std::memcpy(dest, attr.m_value.text, copied);
    std::memset(dest + copied, 0, n - copied);
    PutConf(conf, attr);
    if (n < attr.m_size) {
      dest[n - 1] = '\0';
      return TIZ_E_TOO_SMALL;
    }
    return 0;
  });
}

int32_t GetBuffer(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                  void *dest, int32_t *len) {
  if (!dest || !len || *len < 0) return TIZ_E_INVALID_ARG;
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (attr.m_size == 0) return 0;
    if (int32_t r = attr.CheckType(kTypeBuffer)) return r;
    PutConf(conf, attr);
    uint32_t room = static_cast<uint32_t>(*len);
    if (room < attr.m_size) {
      std::memcpy(dest, attr.m_value.bytes, room);
      return TIZ_E_TOO_SMALL;
    }
    std::memcpy(dest, attr.m_value.bytes, attr.m_size);
    *len = static_cast<int32_t>(attr.m_size);
    return 0;
  });
}

int32_t GetImage(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                 uint32_t *hImage) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (int32_t r = attr.CheckType(kTypeImage)) return r;
    *hImage = attr.m_value.image;
    PutConf(conf, attr);
    return 0;
  });
}

int32_t GetStructure(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                     CUserDefined **structure) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (int32_t r = attr.CheckType(kTypeUserDefined)) return r;
    *structure = attr.m_inert ? nullptr : attr.m_value.structure;
    PutConf(conf, attr);
    return 0;
  });
}

int32_t GetAttrStore(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                     CAttributeStore **nested) {
  int32_t result = ReadSetting(store, group, item, [&](const CAttribute &attr) {
    if (int32_t r = attr.CheckType(kTypeAttributeStore)) return r;
    // The value names its store by handle: a store destroyed elsewhere reads
    // as no store rather than as freed memory.
    CAttributeStore *found = LookupStore(attr.m_value.store);
    if (found) found->AddRef();
    *nested = found;
    PutConf(conf, attr);
    return 0;
  });
  return result == TIZ_FOUND_IN_ANCESTOR ? 0 : result;
}

int32_t GetSize(CAttributeStore *store, const char *group, const char *item, uint32_t *size) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    *size = attr.m_size;
    return 0;
  });
}

int32_t GetType(CAttributeStore *store, const char *group, const char *item, int32_t *type) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    *type = attr.m_type;
    return 0;
  });
}

int32_t GetConfidence(CAttributeStore *store, const char *group, const char *item, int32_t *conf) {
  return ReadSetting(store, group, item, [&](const CAttribute &attr) {
    *conf = attr.m_confidence;
    return 0;
  });
}

int32_t GetByte(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                uint8_t *value) {
  uint32_t dword = 0;
  int32_t r = GetDword(store, group, item, conf, &dword);
  if (r == 0 || r == TIZ_FOUND_IN_ANCESTOR) *value = static_cast<uint8_t>(dword & 0xFF);
  return r;
}

int32_t GetStructureData(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                         void **data) {
  CUserDefined *structure = nullptr;
  int32_t r = GetStructure(store, group, item, conf, &structure);
  if (r == 0 || r == TIZ_FOUND_IN_ANCESTOR) *data = structure ? structure->Data() : nullptr;
  return r;
}

int32_t GetAttrStoreHandle(CAttributeStore *store, const char *group, const char *item,
                           int32_t *conf, uint32_t *phNested, NestedOnFailure onFailure) {
  CAttributeStore *nested = nullptr;
  int32_t r = GetAttrStore(store, group, item, conf, &nested);
  if (r == 0)
    *phNested = nested ? nested->Handle() : 0;
  else if (onFailure == NestedOnFailure::kZero)
    *phNested = 0;
  return r;
}

int32_t GetValuePointer(CAttributeStore *store, const char *group, const char *item, int32_t *conf,
                        uint32_t *size, int32_t type, void **pointer) {
  if (!group || !*group || !item || !size) return TIZ_E_INVALID_ARG;
  CAttribute *attr = nullptr;
  // The names were checked above: the lookup finds the setting or not.
  int32_t where = LookupInherited(store, group, item, &attr);
  if (where == TIZ_NOT_FOUND) return where;
  // Another type: no pointer. Handing out its raw value word as an address
  // would invite the caller to dereference a number.
  if (int32_t r = attr->CheckType(type)) return r;
  *size = attr->m_size;
  if (conf) *conf = attr->m_confidence;
  *pointer = type == kTypeString ? static_cast<void *>(attr->m_value.text)
                                 : static_cast<void *>(attr->m_value.bytes);
  return where;
}

void TraceSetImage(uint32_t hStore, uint32_t hImage) {
  platform::Trace("TEV: TIZ_SetSettingImage : hAttrStore=0x%08x hImage=0x%08x\n", hStore, hImage);
}

}  // namespace tiz
