// Decodes the input into a sequence of exported calls on a handful of stores,
// with handles drawn from live, released and random values. Whatever the
// order, the library must answer with result codes: no crash, no corruption,
// no leak once every store is released.
#include <cstdint>
#include <cstring>
#include <vector>

#include "talb310.h"
#include "tiz.h"

namespace {

class Input {
 public:
  Input(const uint8_t *data, size_t size) : data_(data), size_(size) {}
  bool More() const { return pos_ < size_; }
  uint8_t Byte() { return pos_ < size_ ? data_[pos_++] : 0; }
  uint32_t Word() {
    uint32_t w = 0;
    for (int i = 0; i < 4; ++i) w = (w << 8) | Byte();
    return w;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t pos_ = 0;
};

const char *const kGroups[] = {"Scan", "scan", "Current.ImageStore", "Default", "", "A\x7F" "B",
                               "\xB3x"};
const char *const kItems[] = {"Value", "Speed", "", "Attribute.Value", "x\x7Fy"};

void TIZ_API CountRelease(void *) {}
int32_t TIZ_API DisplayText(void *, char *dest, int32_t len) {
  if (dest && len > 0) dest[0] = '\0';
  return 0;
}

struct Session {
  explicit Session(Input &in) : in(in) {}

  uint32_t Handle() {
    uint8_t pick = in.Byte();
    if (pick < 200 && !handles.empty()) return handles[pick % handles.size()];
    if (pick < 230) return 0;
    return in.Word();  // random, most likely never issued
  }
  const char *Group() { return kGroups[in.Byte() % (sizeof kGroups / sizeof *kGroups)]; }
  const char *Item() { return kItems[in.Byte() % (sizeof kItems / sizeof *kItems)]; }

  void Step() {
    uint8_t op = in.Byte() % 32;
    uint32_t h = Handle();
    char text[64];
    uint32_t dword = 0, size = 0, out = 0;
    int32_t conf = 0, status = 0, len = static_cast<int32_t>(in.Byte() % 40);
    double dbl = 0;
    switch (op) {
      case 0:
        if (TIZ_Create(&out) == 0) handles.push_back(out);
        break;
      case 1: TIZ_Release(h); break;
      case 2: TIZ_AddRef(h); break;
      case 3: TIZ_SetSettingDword(h, Group(), Item(), in.Word()); break;
      case 4: TIZ_SetSettingConfidenceDouble(h, Group(), Item(), in.Byte(), in.Word() * 0.5); break;
      case 5: TIZ_SetSettingString(h, Group(), Item(), "text value"); break;
      case 6: {
        const char *g = Group(), *i = Item();
        char *own = TIZ_GetCharPointer(h, g, i, &size, &status);
        if (own) TIZ_SetSettingString(h, g, i, own);  // a setting's own text as input
        break;
      }
      case 7: TIZ_SetSettingBuffer(h, Group(), Item(), "\0\1\2\3", in.Byte() % 5); break;
      case 8: TIZ_SetSettingImage(h, Group(), Item(), TALB_CreateImage(in.Byte(), in.Byte())); break;
      case 9:
        TIZ_SetSettingStructure(h, Group(), Item(), &handles, CountRelease, DisplayText);
        break;
      case 10: TIZ_SetSettingAttrStore(h, Group(), Item(), Handle()); break;
      case 11: TIZ_SetSettingAttrStoreChild(h, Group(), Item(), Handle()); break;
      case 12: TIZ_GetSettingDword(h, Group(), Item(), &dword); break;
      case 13: TIZ_GetSettingConfidenceString(h, Group(), Item(), &conf, text, len ? len : 1); break;
      case 14: {
        int32_t room = len;
        TIZ_GetSettingBuffer(h, Group(), Item(), text, &room);
        break;
      }
      case 15:
        if (TIZ_GetSettingAttrStore(h, Group(), Item(), &out) == 0 && out) handles.push_back(out);
        break;
      case 16: TIZ_DeleteSetting(h, Group(), Item()); break;
      case 17: TIZ_Clone(h, Handle()); break;
      case 18: TIZ_StartIteratorSorted(h); break;
      case 19: TIZ_IterateSetting(h, text, static_cast<uint32_t>(len)); break;
      case 20: TIZ_DisplayAttribute(h, Group(), Item(), text, len); break;
      case 21: TIZ_GetParent(h, &out); break;
      case 22: TIZ_SetConfidence(h, Group(), Item(), static_cast<int32_t>(in.Word())); break;
      case 23: TIZ_GetSettingDouble(h, Group(), Item(), &dbl); break;
      case 24: TIZ_UtilReInitImageTree(h); break;
      case 25: TIZ_UtilAppendNewCurrentBag(h, in.Byte() & 1, &out); break;
      case 26: TIZ_UtilSetSide(h, in.Byte() & 1); break;
      case 27: TIZ_UtilSaveCurrentImageTree(h, Handle()); break;
      case 28: TIZ_UtilRestoreSavedImageTree(h, Handle()); break;
      case 29: TIZ_UtilUpdateStoredImages(h, TALB_CreateImage(in.Byte(), in.Byte()), in.Byte() & 1); break;
      case 30: TIZ_UtilDeleteYBitonalImage(h); break;
      default: TIZ_UtilDestroyImageTree(h); break;
    }
  }

  // Releases every reference handed out, so that leak checking sees only
  // what the library itself lost.
  void Teardown() {
    for (uint32_t h : handles) {
      for (int i = 0; i < 5000 && TIZ_Release(h) == 0; ++i) {
      }
    }
  }

  Input &in;
  std::vector<uint32_t> handles;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Input in(data, size);
  Session session(in);
  for (int steps = 0; steps < 200 && in.More(); ++steps) session.Step();
  session.Teardown();
  return 0;
}
