#include "imagetree/Sides.h"

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/TypedValues.h"
#include "imagetree/BagNames.h"
#include "platform/Trace.h"
#include "tiz.h"

namespace tiz {

using namespace bagnames;

namespace {

// The duplex flag of the global bag; an absent one counts as simplex.
int32_t ReadDuplex(CAttributeStore *globalBag, uint32_t *duplex) {
  *duplex = 0;
  int32_t r = GetDword(globalBag, kScanDuplex, kValue, nullptr, duplex);
  return r < 0 ? r : 0;
}

// Both stores are looked up for each write: replacing a value of another
// type may run a structure's release callback, which may call back into the
// library and free stores.
int32_t SetShortCutItem(uint32_t globalBag, const char *settingName, const char *item,
                        uint32_t bag) {
  CAttributeStore *global = LookupStore(globalBag), *target = LookupStore(bag);
  if (!global || !target) return TIZ_E_INVALID_HANDLE;
  return SetAttrStore(global, settingName, item, kDefaultConfidence, target);
}

}  // namespace

int32_t UtilGetSideAttrName(CAttributeStore *globalBag, uint32_t bCurrentSide,
                            const char **sideItem) {
  *sideItem = kValue;
  uint32_t duplex = 0;
  if (int32_t r = ReadDuplex(globalBag, &duplex)) return r;
  if (duplex == 0) return 0;
  uint32_t front = 0;
  if (int32_t r = UtilIsCurrentFront(globalBag, &front)) return r;
  *sideItem = bCurrentSide == front ? kFrontSide : kBackSide;
  return 0;
}

int32_t UtilIsCurrentFront(CAttributeStore *globalBag, uint32_t *isFront) {
  // Any failed read leaves its bag none; only presence and identity count.
  BagRef current, front;
  ReadBag(globalBag, kCurrentImageStore, kValue, &current);
  ReadBag(globalBag, kCurrentImageStore, kFrontSide, &front);
  if (current.Present() != front.Present()) return TIZ_E_SIDE_MISMATCH;
  *isFront = SameBag(current, front) ? 1 : 0;
  return 0;
}

int32_t UtilGetShortCut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                        BagRef *out) {
  const char *sideItem = nullptr;
  if (int32_t r = UtilGetSideAttrName(globalBag, bCurrentSide, &sideItem)) return r;
  platform::Trace(
      "TEV: UtilGetShortCut : bCurrentSide=%d, pGlobalBag=0x%08x cszSettingName=%s, "
      "cszSideAttrName=%s\n",
      static_cast<int32_t>(bCurrentSide), globalBag->Handle(), settingName, sideItem);
  return ReadBag(globalBag, settingName, sideItem, out);
}

int32_t UtilSetShortCut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                        CAttributeStore *bag) {
  const char *sideItem = nullptr;
  if (int32_t r = UtilGetSideAttrName(globalBag, bCurrentSide, &sideItem)) return r;
  bool sidesDiffer;
  {
    BagRef processed, other;
    UtilGetShortCut(globalBag, 1, settingName, &processed);
    UtilGetShortCut(globalBag, 0, settingName, &other);
    sidesDiffer = !SameBag(processed, other);
  }
  // In simplex both sides read the same item, so only duplex sides differ.
  uint32_t global = globalBag->Handle(), target = bag->Handle();
  if (sidesDiffer) {
    if (int32_t r = SetShortCutItem(global, settingName, sideItem, target)) return r;
    if (bCurrentSide != 0) return SetShortCutItem(global, settingName, kValue, target);
    return 0;
  }
  for (const char *item : {kValue, kFrontSide, kBackSide}) {
    if (int32_t r = SetShortCutItem(global, settingName, item, target)) return r;
  }
  return 0;
}

int32_t UtilSetSide(CAttributeStore *globalBag, uint32_t bFront) {
  uint32_t duplex = 0;
  if (int32_t r = ReadDuplex(globalBag, &duplex)) return r;
  if (duplex == 0) return 0;

  BagRef current, front, back;
  int32_t r = ReadBag(globalBag, kCurrentImageStore, kValue, &current);
  if (r >= 0) r = ReadBag(globalBag, kCurrentImageStore, kFrontSide, &front);
  if (r >= 0) r = ReadBag(globalBag, kCurrentImageStore, kBackSide, &back);
  if (r < 0) return r;
  const BagRef &chosen = bFront != 0 ? front : back;
  const char *sideItem = bFront != 0 ? kFrontSide : kBackSide;
  if (SameBag(current, chosen)) return 0;

  // Both bags of the chosen side are needed; without them nothing changes.
  if (!chosen.Present()) return TIZ_NOT_FOUND;
  if (!chosen.Store()) return TIZ_E_INVALID_HANDLE;
  BagRef persistent;
  int32_t read = ReadBag(globalBag, kPersistentImageStore, sideItem, &persistent);
  if (read == TIZ_NOT_FOUND) return TIZ_NOT_FOUND;
  if (read == 0 && !persistent.Store()) return TIZ_E_INVALID_HANDLE;

  uint32_t global = globalBag->Handle();
  if ((r = SetShortCutItem(global, kCurrentImageStore, kValue, chosen.Handle()))) return r;
  if (read < 0) return read;
  return SetShortCutItem(global, kPersistentImageStore, kValue, persistent.Handle());
}

int32_t UtilAppendNewCurrentBag(CAttributeStore *globalBag, uint32_t bCurrentSide,
                                uint32_t *newBag) {
  BagRef old;
  if (int32_t r = UtilGetShortCut(globalBag, bCurrentSide, kCurrentImageStore, &old)) return r;
  platform::Trace("TEV: UtilAppendNewCurrentBag : pGlobalBag=0x%08x pOldCurrent=0x%08x\n",
                  globalBag->Handle(), old.Handle());
  CAttributeStore *oldBag = old.Store();
  if (!oldBag) return TIZ_E_INVALID_HANDLE;

  // The caller receives the new bag only on success; otherwise nobody else
  // could give back its creation reference, so it is released here: an
  // unlinked bag goes at once, a linked one stays with its chain.
  struct Unreceived {
    uint32_t handle;
    ~Unreceived() { ReleaseQuietly(handle); }
  } unreceived{CreateStore()->Handle()};
  uint32_t global = globalBag->Handle();
  CAttributeStore *bag = LookupStore(unreceived.handle);
  int32_t r = SetAttrStoreChild(oldBag, kCurrentImageStore, kValue, kDefaultConfidence, bag);
  if (r != 0) return r;
  // Linking over a value of another type may have run a release callback.
  if (!(globalBag = LookupStore(global)) || !(bag = LookupStore(unreceived.handle))) {
    return TIZ_E_INVALID_HANDLE;
  }
  if ((r = UtilSetShortCut(globalBag, bCurrentSide, kCurrentImageStore, bag)) != 0) return r;
  *newBag = unreceived.handle;
  unreceived.handle = 0;
  platform::Trace("TEV: TIZ_UtilAppendNewCurrentBag : *phCurrentBag=0x%08x\n", *newBag);
  return 0;
}

namespace {

// Hands the side's shortcut bag, with its reference, to the caller.
int32_t ShortCutOut(CAttributeStore *globalBag, uint32_t bCurrentSide, const char *settingName,
                    uint32_t *phBag) {
  BagRef bag;
  int32_t r = UtilGetShortCut(globalBag, bCurrentSide, settingName, &bag);
  if (r == 0) *phBag = bag.Detach();
  return r;
}

}  // namespace

int32_t UtilGetCurrentBag(CAttributeStore *globalBag, uint32_t bCurrentSide, uint32_t *phBag) {
  int32_t r = ShortCutOut(globalBag, bCurrentSide, kCurrentImageStore, phBag);
  if (r == 0) {
    platform::Trace("TEV: TIZ_UtilGetCurrentBag : *phCurrentBag=0x%08x, cszSettingName=%s\n",
                    *phBag, kCurrentImageStore);
  }
  return r;
}

int32_t UtilGetPersistentBag(CAttributeStore *globalBag, uint32_t bCurrentSide, uint32_t *phBag) {
  return ShortCutOut(globalBag, bCurrentSide, kPersistentImageStore, phBag);
}

int32_t UtilIsABackSideBag(CAttributeStore *bag, uint32_t *pbIsBackSide) {
  // Every bag of the back chain inherits the marker.
  uint32_t marker = 0;
  int32_t r = GetDword(bag, kPersistentBack, kValue, nullptr, &marker);
  if (r < 0) return r;
  *pbIsBackSide = marker;
  return 0;
}

}  // namespace tiz
