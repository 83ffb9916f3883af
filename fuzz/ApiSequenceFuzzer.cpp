// Decodes the input into a sequence of exported calls on a handful of stores,
// with handles drawn from live, released and random values: store life,
// every setter and getter, child and plain links, deletion, cloning,
// iteration, display, tree files and the image-tree utilities. Whatever the
// order, the library must answer with result codes: no crash, no
// corruption, no leak once every store is released.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "FuzzFiles.h"
#include "FuzzStores.h"
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
  // A short text taken from the input: any bytes but NUL.
  std::string Text() {
    size_t len = Byte() % 24;
    std::string text;
    for (size_t i = 0; i < len && More(); ++i) {
      char c = static_cast<char>(Byte());
      text.push_back(c ? c : 'z');
    }
    return text;
  }

 private:
  const uint8_t *data_;
  size_t size_;
  size_t pos_ = 0;
};

// Names the image-tree utilities and the lookups care about, and a few
// awkward ones: empty, the key separator, a lead byte at the end.
const char *const kGroups[] = {"Scan",
                               "scan",
                               "Current.ImageStore",
                               "Current.Persistent_ImageStore",
                               "Current.Saved_ImageStore",
                               "Image",
                               "ui.bag",
                               "scan_duplex",
                               "Persistent_Back",
                               "Default",
                               "",
                               "A\x7F\x42",
                               "\xB3"};
const char *const kItems[] = {"Value",
                              "Attribute.Value",
                              "Attribute.Front_Side",
                              "Attribute.Back_Side",
                              "Attribute.Image_Cached",
                              "",
                              "x\x7Fy"};

int g_structureData = 0;
void TIZ_API ReleaseStructure(void *) {}
int32_t TIZ_API DisplayStructure(void *, char *dest, int32_t len) {
  if (!dest || len <= 0) return 0;
  std::strncpy(dest, "structure", static_cast<size_t>(len));
  dest[len - 1] = '\0';
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
  // A name from the list, or one made from the input.
  const char *Name(const char *const *list, size_t count, std::string &made) {
    uint8_t pick = in.Byte();
    if (pick < 220) return list[pick % count];
    if (pick < 250) {
      made = in.Text();
      return made.c_str();
    }
    return nullptr;
  }
  const char *Group() { return Name(kGroups, sizeof kGroups / sizeof *kGroups, group); }
  const char *Item() { return Name(kItems, sizeof kItems / sizeof *kItems, item); }
  int32_t Conf() { return static_cast<int32_t>(in.Word()); }
  uint32_t Image() {
    uint32_t image = TALB_CreateImage(in.Byte(), in.Byte());
    images.push_back(image);
    return image;
  }
  void Keep(int32_t result, uint32_t handle) {
    if (result >= 0 && handle) handles.push_back(handle);
  }

  void Step() {
    uint8_t op = in.Byte() % 40;
    bool conf = in.Byte() & 1;
    uint32_t h = Handle();
    char text[64];
    unsigned char bytes[64];
    uint32_t dword = 0, size = 0, out = 0;
    uint8_t byte = 0;
    int32_t c = 0, status = 0, type = 0, len = static_cast<int32_t>(in.Byte() % 66) - 1;
    int32_t room = len < 0 ? 0 : len;
    double dbl = 0;
    void *data = nullptr;
    switch (op) {
      case 0:
        if (TIZ_Create(&out) == 0) handles.push_back(out);
        break;
      case 1:
        TIZ_Release(h);
        break;
      case 2:
        TIZ_AddRef(h);
        break;
      case 3:
        conf ? TIZ_SetSettingConfidenceDword(h, Group(), Item(), Conf(), in.Word())
             : TIZ_SetSettingDword(h, Group(), Item(), in.Word());
        break;
      case 4:
        conf ? TIZ_SetSettingConfidenceDouble(h, Group(), Item(), Conf(), in.Word() * 0.5)
             : TIZ_SetSettingDouble(h, Group(), Item(), in.Word() * 0.5);
        break;
      case 5: {
        std::string value = in.Text();
        conf ? TIZ_SetSettingConfidenceString(h, Group(), Item(), Conf(), value.c_str())
             : TIZ_SetSettingString(h, Group(), Item(), value.c_str());
        break;
      }
      case 6: {
        std::string value = in.Text();
        conf ? TIZ_SetSettingConfidenceBuffer(h, Group(), Item(), Conf(), value.data(),
                                              static_cast<uint32_t>(value.size()))
             : TIZ_SetSettingBuffer(h, Group(), Item(), value.empty() ? nullptr : value.data(),
                                    static_cast<uint32_t>(value.size()));
        break;
      }
      case 7:
        conf ? TIZ_SetSettingConfidenceImage(h, Group(), Item(), Conf(), Image())
             : TIZ_SetSettingImage(h, Group(), Item(), Image());
        break;
      case 8:
        conf ? TIZ_SetSettingConfidenceStructure(h, Group(), Item(), Conf(), &g_structureData,
                                                 ReleaseStructure)
             : TIZ_SetSettingStructure(h, Group(), Item(), &g_structureData, ReleaseStructure,
                                       in.Byte() & 1 ? DisplayStructure : nullptr);
        break;
      case 9:
        conf ? TIZ_SetSettingConfidenceAttrStore(h, Group(), Item(), Conf(), Handle())
             : TIZ_SetSettingAttrStore(h, Group(), Item(), Handle());
        break;
      case 10:
        conf ? TIZ_SetSettingConfidenceAttrStoreChild(h, Group(), Item(), Conf(), Handle())
             : TIZ_SetSettingAttrStoreChild(h, Group(), Item(), Handle());
        break;
      case 11:
        TIZ_SetConfidence(h, Group(), Item(), Conf());
        break;
      case 12:
        conf ? TIZ_GetSettingConfidenceDword(h, Group(), Item(), &c, &dword)
             : TIZ_GetSettingDword(h, Group(), Item(), &dword);
        break;
      case 13:
        conf ? TIZ_GetSettingConfidenceByte(h, Group(), Item(), &c, &byte)
             : TIZ_GetSettingByte(h, Group(), Item(), &byte);
        break;
      case 14:
        conf ? TIZ_GetSettingConfidenceDouble(h, Group(), Item(), &c, &dbl)
             : TIZ_GetSettingDouble(h, Group(), Item(), &dbl);
        break;
      case 15:
        conf ? TIZ_GetSettingConfidenceString(h, Group(), Item(), &c, len < 0 ? nullptr : text, len)
             : TIZ_GetSettingString(h, Group(), Item(), len < 0 ? nullptr : text, len);
        break;
      case 16:
        conf ? TIZ_GetSettingConfidenceBuffer(h, Group(), Item(), &c, len < 0 ? nullptr : bytes,
                                              &room)
             : TIZ_GetSettingBuffer(h, Group(), Item(), len < 0 ? nullptr : bytes, &room);
        break;
      case 17:
        conf ? TIZ_GetSettingConfidenceImage(h, Group(), Item(), &c, &out)
             : TIZ_GetSettingImage(h, Group(), Item(), &out);
        break;
      case 18:
        conf ? TIZ_GetSettingConfidenceStructure(h, Group(), Item(), &c, &data)
             : TIZ_GetSettingStructure(h, Group(), Item(), &data);
        break;
      case 19:
        if (conf)
          Keep(TIZ_GetSettingConfidenceAttrStore(h, Group(), Item(), &c, &out), out);
        else
          Keep(TIZ_GetSettingAttrStore(h, Group(), Item(), &out), out);
        break;
      case 20:
        TIZ_GetSettingSize(h, Group(), Item(), &size);
        TIZ_GetSettingType(h, Group(), Item(), &type);
        TIZ_GetConfidence(h, Group(), Item(), &c);
        break;
      case 21: {
        const char *g = Group(), *i = Item();
        char *own = conf ? TIZ_GetConfidenceCharPointer(h, g, i, &c, &size, &status)
                         : TIZ_GetCharPointer(h, g, i, &size, &status);
        if (own) TIZ_SetSettingString(h, g, i, own);  // a setting's own text as input
        void *raw = conf ? TIZ_GetConfidenceVoidPointer(h, g, i, &c, &size, &status)
                         : TIZ_GetVoidPointer(h, g, i, &size, &status);
        if (raw) TIZ_SetSettingBuffer(h, g, i, raw, size);  // its own bytes as input
        break;
      }
      case 22:
        TIZ_DeleteSetting(h, Group(), Item());
        break;
      case 23:
        TIZ_Clone(h, Handle());
        break;
      case 24:
        TIZ_StartIteratorSorted(h);
        break;
      case 25:
        TIZ_IterateSetting(h, len < 0 ? nullptr : text, static_cast<uint32_t>(room));
        break;
      case 26:
        TIZ_DisplayAttribute(h, Group(), Item(), len < 0 ? nullptr : text, len);
        break;
      case 27:
        TIZ_GetParent(h, &out);
        break;
      case 28: {
        // A global bag: a UI bag and the duplex flag, then a fresh page.
        uint32_t ui = 0;
        if (TIZ_Create(&ui) != 0) break;
        handles.push_back(ui);
        TIZ_SetSettingAttrStore(h, "ui.bag", "Attribute.Value", ui);
        TIZ_SetSettingDword(h, "scan_duplex", "Attribute.Value", in.Byte() % 3);
        TIZ_UtilReInitImageTree(h);
        break;
      }
      case 29:
        TIZ_UtilReInitImageTree(h);
        break;
      case 30:
        Keep(TIZ_UtilAppendNewCurrentBag(h, in.Byte() % 3, &out), out);
        break;
      case 31:
        if (conf)
          Keep(TIZ_UtilGetCurrentBag(h, in.Byte() % 3, &out), out);
        else
          Keep(TIZ_UtilGetPersistentBag(h, in.Byte() % 3, &out), out);
        break;
      case 32:
        TIZ_UtilSetSide(h, in.Byte() & 1);
        TIZ_UtilIsCurrentFront(h, &dword);
        TIZ_UtilIsABackSideBag(Handle(), &dword);
        break;
      case 33:
        conf ? TIZ_UtilSaveCurrentImageTree(h, Handle())
             : TIZ_UtilRestoreSavedImageTree(h, Handle());
        break;
      case 34:
        TIZ_UtilUpdateStoredImages(h, Image(), in.Byte() & 1);
        break;
      case 35:
        switch (in.Byte() % 3) {
          case 0:
            TIZ_UtilDeleteATImage(h);
            break;
          case 1:
            TIZ_UtilDeleteYBitonalImage(h);
            break;
          default:
            TIZ_UtilDeleteYPlaneImage(h);
            break;
        }
        break;
      case 36:
        TIZ_UtilDestroyImageTree(h);
        break;
      case 37:
        TIZ_UtilSetScannerIsBlackBackground(h, in.Byte());
        TIZ_UtilSetScannerIsBlackBackgroundDefault(h, in.Byte());
        TIZ_UtilGetScannerIsBlackBackground(h, &dword);
        TIZ_UtilGetZoomedBICDPI(h, in.Word(), &dword, &size);
        break;
      case 38:
        // A round trip through a fresh tree file (saves add to a file and
        // never empty it), into another store.
        std::remove(fuzz::ScratchPath("api-sequence.ini").c_str());
        if (TIZ_Serialize(h, "api-sequence.ini") == 0)
          TIZ_Deserialize(Handle(), "api-sequence.ini");
        break;
      default: {
        std::string settings = in.Text();
        fuzz::WriteScratch("api-settings.txt", reinterpret_cast<const uint8_t *>(settings.data()),
                           settings.size());
        TIZ_LoadSettings(h, "api-settings.txt");
        break;
      }
    }
  }

  // Releases every store the session can still reach; what remains live
  // then was lost by the library, and leak checking reports it. Images
  // never taken by a store are given back too.
  void Teardown() {
    fuzz::ReleaseReachable(handles);
    for (uint32_t image : images)
      if (TALB_ReleaseCount(image) == 0) TALB_ReleaseImage(image);
  }

  Input &in;
  std::vector<uint32_t> handles;
  std::vector<uint32_t> images;
  std::string group, item;
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***) {
  fuzz::SkipDiskFlushes();
  // Handle slots are reused only once thousands are free. Filling the
  // table first keeps it from growing in every run, which would make each
  // run look like a leak and cost a full leak scan.
  std::vector<uint32_t> warmUp(8192);
  for (uint32_t &h : warmUp) TIZ_Create(&h);
  for (uint32_t h : warmUp) TIZ_Release(h);
  // Tree files go to the fuzzing process's own scratch directory.
  std::string dir = fuzz::ScratchPath("");
  setenv("TIZ_PERSIST_DIR", dir.c_str(), 1);
  setenv("TIZ_SETTINGS_DIR", dir.c_str(), 1);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  Input in(data, size);
  Session session(in);
  for (int steps = 0; steps < 200 && in.More(); ++steps) session.Step();
  session.Teardown();
  return 0;
}
