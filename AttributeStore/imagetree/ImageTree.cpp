#include "imagetree/ImageTree.h"

#include <initializer_list>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "core/TypedValues.h"
#include "imagetree/BagNames.h"
#include "imagetree/BagRef.h"
#include "imagetree/Sides.h"
#include "imagetree/TreeMadeBags.h"
#include "imagetree/TreeSurgery.h"
#include "tiz.h"

namespace tiz {

using namespace bagnames;

namespace {

// Bags an operation makes for the tree, handed to no caller. Each keeps its
// creation reference, which the tree holds (TreeMadeBags.h). A bag left
// without owner when the operation fails part-way is freed, with anything
// linked below it; a shortcut already naming it then fails the handle check.
class NewBags {
 public:
  NewBags() = default;
  NewBags(const NewBags &) = delete;
  NewBags &operator=(const NewBags &) = delete;
  ~NewBags() {
    for (int i = 0; i < m_count; ++i) DiscardUnownedBag(m_handles[i]);
  }
  uint32_t Make() {
    ReserveTreeMadeBags(1);
    uint32_t handle = CreateStore()->Handle();
    RecordTreeMadeBag(handle);
    m_handles[m_count++] = handle;
    return handle;
  }

 private:
  uint32_t m_handles[4] = {};
  int m_count = 0;
};

// The bag on the way from `bag` up its parents whose parent is `holder`
// (`bag` itself when its parent is `holder`), or null.
CAttributeStore *ChainHeadBelow(CAttributeStore *bag, const CAttributeStore *holder) {
  for (CAttributeStore *cur = bag; cur; cur = cur->Parent()) {
    if (cur->ParentHandle() == holder->Handle()) return cur;
  }
  return nullptr;
}

// The last bag reached by walking the settings of `holder` in key-list
// order, descending into each linked child as it is met: the end of the
// chain below `holder`. 0 when no setting names a bag.
uint32_t ChainEndBelow(const CAttributeStore *holder) {
  uint32_t last = 0;
  const CAttributeStore *store = holder;
  const KeyEntry *entry = store->Keys().head;
  while (entry) {
    if (uint32_t nested = NestedHandleOf(&entry->attr)) {
      last = nested;
      const CAttributeStore *child = LookupStore(last);
      if (child && child->ParentHandle() == store->Handle()) {
        store = child;
        entry = store->Keys().head;
        continue;
      }
    }
    entry = entry->next;
  }
  return last;
}

// Clears the parent link of every store linked below `holder`.
void UnlinkChildren(const CAttributeStore *holder) {
  ForEachLinkedChild(holder, [](CAttributeStore *child) { child->DetachFromParent(); });
}

// Frees a previous page's bag (read with a reference) with its tree.
int32_t DeleteOldTree(BagRef &old, uint32_t globalBag) {
  old.Release();
  CAttributeStore *bag = old.Store();
  return bag ? UtilDeleteTree(bag, globalBag) : 0;
}

// The stores of these operations are named by handle and looked up at each
// step: freeing bags and replacing values release values, and a structure's
// release callback may call back into the library and free stores.
int32_t LinkChild(uint32_t holder, const char *group, const char *item, uint32_t child) {
  CAttributeStore *holderStore = LookupStore(holder), *childStore = LookupStore(child);
  if (!holderStore || !childStore) return TIZ_E_INVALID_HANDLE;
  return SetAttrStoreChild(holderStore, group, item, kDefaultConfidence, childStore);
}

int32_t LinkPlainly(uint32_t holder, const char *group, const char *item, uint32_t nested) {
  CAttributeStore *holderStore = LookupStore(holder), *nestedStore = LookupStore(nested);
  if (!holderStore || !nestedStore) return TIZ_E_INVALID_HANDLE;
  return SetAttrStore(holderStore, group, item, kDefaultConfidence, nestedStore);
}

}  // namespace

int32_t UtilSetSidePair(CAttributeStore *globalBag, uint32_t duplex, const char *group,
                        CAttributeStore *frontBag, CAttributeStore *backBag) {
  uint32_t global = globalBag->Handle(), front = frontBag->Handle();
  uint32_t back = backBag ? backBag->Handle() : 0;
  if (int32_t r = UtilSetSide(globalBag, 1)) return r;
  if (!(globalBag = LookupStore(global)) || !(frontBag = LookupStore(front))) {
    return TIZ_E_INVALID_HANDLE;
  }
  if (int32_t r = UtilSetShortCut(globalBag, 1, group, frontBag)) return r;
  if (duplex == 0) return 0;
  return LinkPlainly(global, group, kBackSide, back);
}

int32_t ReInitImageTree(CAttributeStore *globalBag) {
  uint32_t global = globalBag->Handle();
  uint32_t ui;
  {
    BagRef uiRef;
    if (int32_t r = ReadBag(globalBag, kUiBag, kValue, &uiRef)) return r;
    if (!uiRef.Store()) return TIZ_E_INVALID_HANDLE;
    ui = uiRef.Handle();
  }
  uint32_t duplex = 0;
  int32_t r = GetDword(globalBag, kScanDuplex, kValue, nullptr, &duplex);
  if (r < 0) return r;
  BagRef oldFront, oldBack;
  if ((r = ReadBag(globalBag, kPersistentImageStore, kFrontSide, &oldFront)) < 0) return r;
  if ((r = ReadBag(globalBag, kPersistentImageStore, kBackSide, &oldBack)) < 0) return r;

  NewBags made;
  uint32_t frontPersistent = made.Make(), frontCurrent = made.Make();
  uint32_t backPersistent = duplex ? made.Make() : 0, backCurrent = duplex ? made.Make() : 0;

  auto setPair = [&](const char *group, uint32_t front, uint32_t back) -> int32_t {
    CAttributeStore *globalStore = LookupStore(global), *frontStore = LookupStore(front),
                    *backStore = LookupStore(back);
    if (!globalStore || !frontStore || (duplex && !backStore)) return TIZ_E_INVALID_HANDLE;
    return UtilSetSidePair(globalStore, duplex, group, frontStore, backStore);
  };
  if ((r = setPair(kPersistentImageStore, frontPersistent, backPersistent))) return r;
  if ((r = setPair(kCurrentImageStore, frontCurrent, backCurrent))) return r;
  if (oldBack.Present() && !SameBag(oldBack, oldFront)) {
    if ((r = DeleteOldTree(oldBack, global))) return r;
  }
  if (oldFront.Present()) {
    if ((r = DeleteOldTree(oldFront, global))) return r;
  }

  if ((r = LinkChild(frontPersistent, kCurrentImageStore, kValue, frontCurrent))) return r;
  if (duplex == 0) return LinkChild(ui, kPersistentImageStore, kValue, frontPersistent);
  if ((r = LinkChild(ui, kPersistentImageStore, kFrontSide, frontPersistent))) return r;
  if ((r = LinkChild(ui, kPersistentImageStore, kBackSide, backPersistent))) return r;
  if ((r = LinkChild(backPersistent, kCurrentImageStore, kValue, backCurrent))) return r;
  CAttributeStore *back = LookupStore(backPersistent);
  if (!back) return TIZ_E_INVALID_HANDLE;
  return SetDword(back, kPersistentBack, kValue, kDefaultConfidence, 1);
}

int32_t DestroyImageTree(CAttributeStore *globalBag) {
  // The extra reference keeps the global bag alive while releases run up
  // from its deleted children; on failure it is given back.
  uint32_t global = globalBag->Handle();
  globalBag->AddRef();
  struct ExtraReference {
    uint32_t handle;
    ~ExtraReference() { ReleaseQuietly(handle); }
  } extra{global};

  BagRef defaults, trap, front, back;
  uint32_t duplex = 0;
  int32_t r = ReadBag(globalBag, kDefaultsBag, kValue, &defaults);
  if (r >= 0) r = ReadBag(globalBag, kTrapBag, kValue, &trap);
  if (r >= 0) r = GetDword(globalBag, kScanDuplex, kValue, nullptr, &duplex);
  if (r >= 0) r = ReadBag(globalBag, kPersistentImageStore, kFrontSide, &front);
  if (r >= 0) r = ReadBag(globalBag, kPersistentImageStore, kBackSide, &back);
  if (r < 0) return r;

  if (front.Present() && (r = DeleteOldTree(front, global))) return r;
  if (back.Present() && !SameBag(back, front) && (r = DeleteOldTree(back, global))) return r;
  if (defaults.Present() && (r = DeleteOldTree(defaults, global))) return r;
  if (trap.Present() && (r = DeleteOldTree(trap, global))) return r;

  // Whatever its count: the global bag's values go, stores it holds stay,
  // and those linked below it are top-level stores from now on.
  if ((globalBag = LookupStore(global)) != nullptr) {
    extra.handle = 0;
    UnlinkChildren(globalBag);
    DestroyStore(globalBag);
  }
  return 0;
}

int32_t SaveCurrentImageTree(CAttributeStore *globalBag, CAttributeStore *bag) {
  BagRef current;
  if (int32_t r = UtilGetShortCut(globalBag, 1, kCurrentImageStore, &current)) return r;
  current.Release();
  CAttributeStore *head = ChainHeadBelow(current.Store(), bag);
  uint32_t side = 1;
  uint32_t duplex = 0;
  int32_t duplexRead = GetDword(globalBag, kScanDuplex, kValue, nullptr, &duplex);
  if (!head) {
    if (duplex == 0) return duplexRead;
    BagRef other;
    if (int32_t r = UtilGetShortCut(globalBag, 0, kCurrentImageStore, &other)) return r;
    other.Release();
    if (!(head = ChainHeadBelow(other.Store(), bag))) return 0;
    side = 0;
  }

  uint32_t holder = bag->Handle(), chainHead = head->Handle();
  NewBags made;
  uint32_t fresh = made.Make();
  if (int32_t r = UtilSetShortCut(globalBag, side, kCurrentImageStore, LookupStore(fresh))) {
    return r;
  }
  if (!(bag = LookupStore(holder)) || !(head = LookupStore(chainHead))) {
    return TIZ_E_INVALID_HANDLE;
  }
  BagRef saved;
  int32_t r = ReadBag(bag, kSavedImageStore, kValue, &saved);
  if (r < 0) return r;
  // One saved tree per bag: with one already kept, this chain is discarded.
  if (r == 0) {
    saved.Release();
    UtilDeleteThisChild(bag, head);
  } else {
    UtilMoveChild(bag, head, kSavedImageStore, kValue);
  }
  return LinkChild(holder, kCurrentImageStore, kValue, fresh);
}

int32_t RestoreSavedImageTree(CAttributeStore *globalBag, CAttributeStore *bag) {
  // The bag current before the restore, kept as the handle its setting
  // holds: the swap below may free it, and the comparison is with what the
  // front item names.
  uint32_t global = globalBag->Handle();
  uint32_t previous;
  {
    BagRef current;
    if (int32_t r = ReadBag(globalBag, kCurrentImageStore, kValue, &current)) return r;
    previous = current.Handle();
  }
  CAttributeStore *holder = bag->Parent();
  if (!holder) return TIZ_E_INVALID_ARG;
  uint32_t holderHandle = holder->Handle();
  if (int32_t r = UtilSwapInSavedBag(holder, bag)) return r;
  if (!(holder = LookupStore(holderHandle))) return TIZ_E_INVALID_HANDLE;

  uint32_t last = ChainEndBelow(holder);
  if (last == 0) return TIZ_E_NO_SAVED_TREE;
  if (int32_t r = LinkPlainly(global, kCurrentImageStore, kValue, last)) return r;

  if (!(globalBag = LookupStore(global))) return TIZ_E_INVALID_HANDLE;
  uint32_t duplex = 0;
  int32_t duplexRead = GetDword(globalBag, kScanDuplex, kValue, nullptr, &duplex);
  if (duplex == 0) {
    // In simplex all three items name one bag; the side items would
    // otherwise go on naming the freed bag, which a later page's side
    // switch would follow. "Attribute.Value" is set last, as it was above,
    // so the bag keeps the name that item gives it.
    for (const char *item : {kFrontSide, kBackSide, kValue}) {
      if (int32_t r = LinkPlainly(global, kCurrentImageStore, item, last)) return r;
    }
    return duplexRead;
  }
  uint32_t front;
  {
    BagRef frontRef;
    if (int32_t r = ReadBag(globalBag, kCurrentImageStore, kFrontSide, &frontRef)) return r;
    front = frontRef.Handle();
  }
  return LinkPlainly(global, kCurrentImageStore, previous == front ? kFrontSide : kBackSide, last);
}

}  // namespace tiz
