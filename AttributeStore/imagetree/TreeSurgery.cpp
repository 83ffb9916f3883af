#include "imagetree/TreeSurgery.h"

#include <string>

#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "core/StoreWalk.h"
#include "core/TypedValues.h"
#include "imagetree/BagNames.h"
#include "imagetree/BagRef.h"
#include "imagetree/TreeMadeBags.h"
#include "platform/Trace.h"
#include "tiz.h"

namespace tiz {

using namespace bagnames;

namespace {

// The full key of the first setting, in key-list order, that holds `child`.
bool FindHoldingKey(const CAttributeStore *store, const CAttributeStore *child, std::string *key) {
  for (const KeyEntry *e = store->Keys().head; e; e = e->next) {
    if (NestedHandleOf(&e->attr) == child->Handle()) {
      key->assign(e->Key(), e->keyLen);
      return true;
    }
  }
  return false;
}

// Takes back from `store` (and its ancestors) the references that `child`
// gave it when it was linked. False when that was the store's last reference
// and it went, taking its children along.
bool GiveBackChildReferences(CAttributeStore *store, const CAttributeStore *child) {
  uint32_t storeHandle = store->Handle();
  for (int32_t n = child->RefCount(); n > 0; --n) {
    CAttributeStore *live = LookupStore(storeHandle);
    if (!live) return false;
    live->Release();
  }
  return LookupStore(storeHandle) != nullptr;
}

}  // namespace

void FreeBagTree(CAttributeStore *root) {
  // Deepest first, in key-list order, as the final release of a store takes
  // its children down; walking the links instead of collecting them needs no
  // memory, so a tree being freed is never left half freed.
  uint32_t rootHandle = root->Handle();
  for (CAttributeStore *cur = root; cur;) {
    if (CAttributeStore *child = FirstLinkedChild(cur)) {
      cur = child;
      continue;
    }
    bool atRoot = cur->Handle() == rootHandle;
    uint32_t parent = cur->ParentHandle();
    cur->SetRefCount(0);
    DestroyStore(cur);
    if (atRoot) return;
    // Values released above may have run callbacks that changed the tree.
    cur = LookupStore(parent);
    if (!cur) cur = LookupStore(rootHandle);
  }
}

void UtilDeleteThisChild(CAttributeStore *store, CAttributeStore *child) {
  platform::Trace("TEV: UtilDeleteThisChild : pChildAttr=0x%08x\n", child->Handle());
  std::string key;
  if (!FindHoldingKey(store, child, &key)) return;
  uint32_t storeHandle = store->Handle();
  uint32_t childHandle = child->Handle();
  if (child->Parent() && !GiveBackChildReferences(store, child)) return;
  if (!(child = LookupStore(childHandle))) return;  // went with the store

  // Detached, a child with settings goes with everything linked below it,
  // whatever references remain; one without settings goes only when no
  // references remain (others' references keep it, detached), the creation
  // reference of a bag the tree made being nobody's. Stores it merely points
  // at keep their counts.
  child->DetachFromParent();
  bool treeHoldsCreation = ForgetTreeMadeBag(childHandle);
  if (!child->Keys().Empty()) {
    FreeBagTree(child);
  } else {
    if (treeHoldsCreation && child->RefCount() > 0) child->Release();
    if ((child = LookupStore(childHandle)) != nullptr) {
      child->AddRef();
      child->Release();
    }
  }

  // Values released above may have run callbacks that changed the store.
  if ((store = LookupStore(storeHandle)) != nullptr) store->RemoveEntry(key);
}

int32_t UtilDeleteTree(CAttributeStore *bag, uint32_t globalBag) {
  CAttributeStore *parent = bag->Parent();
  if (!parent) return TIZ_E_INVALID_ARG;
  platform::Trace("TEV: UtilDeleteTree : pGlobalAttrStore=0x%08x parent_store=0x%08x\n", globalBag,
                  parent->Handle());
  UtilDeleteThisChild(parent, bag);
  return 0;
}

int32_t UtilMoveChild(CAttributeStore *store, CAttributeStore *child, const char *group,
                      const char *item) {
  std::string oldKey;
  if (!FindHoldingKey(store, child, &oldKey)) return TIZ_NOT_FOUND;
  // Filed under the new key first: everything that can run out of memory
  // happens while the child is still held where it was.
  std::string oldName = child->Name();
  bool sameKey = ComposeKey(group, item) == oldKey;
  int32_t r;
  try {
    r = SetAttrStoreChild(store, group, item, kDefaultConfidence, child);
  } catch (...) {
    child->SetName(std::move(oldName));
    throw;
  }
  if (r != 0) return r;
  // The new link counted the child's references in the store a second time.
  uint32_t childHandle = child->Handle();
  if (!GiveBackChildReferences(store, child) || !LookupStore(childHandle)) {
    return TIZ_E_INVALID_HANDLE;
  }
  if (!sameKey) store->RemoveEntry(oldKey);
  return 0;
}

int32_t UtilSwapInSavedBag(CAttributeStore *store, CAttributeStore *bag) {
  uint32_t storeHandle = store->Handle();
  UtilDeleteThisChild(store, bag);
  if (!(store = LookupStore(storeHandle))) return TIZ_E_INVALID_HANDLE;
  BagRef saved;
  if (int32_t r = ReadBag(store, kSavedImageStore, kValue, &saved)) return r;
  saved.Release();
  CAttributeStore *savedBag = saved.Store();
  if (!savedBag) return TIZ_E_INVALID_HANDLE;
  return UtilMoveChild(store, savedBag, kCurrentImageStore, kValue);
}

void DiscardUnownedBag(uint32_t handle) {
  CAttributeStore *bag = LookupStore(handle);
  if (bag && !bag->Parent()) FreeBagTree(bag);
}

}  // namespace tiz
