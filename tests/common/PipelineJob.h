// Pipeline-like jobs for the save-and-load tests: a global bag with its UI
// and defaults bags and a page's image tree built with the image-tree
// utilities, and stores linked the ways pipelines link them (plain and child
// links at any depth, one store at two places, relinked after a first link,
// linked back up the tree). A job is made from a seed, so a failing one can be
// made again (TIZ_GENERATOR_SEED).
#ifndef TIZ_TESTS_PIPELINEJOB_H
#define TIZ_TESTS_PIPELINEJOB_H

#include <cstdint>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "frame/Frame.h"
#include "talb310.h"
#include "tiz.h"

namespace tiz_test {

// A key only the global bag holds: a store reaches it through its parents
// (result 1) or not at all (2).
constexpr char kProbeGroup[] = "probe.parent";

// Everything of a job that a save must keep, in a form two processes can
// compare: stores numbered in the order a walk from the root meets them, each
// with its settings in key-list order (type, size, value), the store each
// ATTRIBUTESTORE setting holds by number, whether it is linked there as a
// child, and what a get of the probe key answers in each store.
//
// With `asSaved` the tree is described as a save keeps it: a setting whose
// store is gone holds a new empty store, and a store's parent counts only
// where the parent holds it (a child link is kept at a place; a parent that
// no longer holds its child, or lies outside the tree, is not saved), so the
// probe answers as it will after a load.
inline std::string DescribeJob(uint32_t root, std::vector<uint32_t> *stores = nullptr,
                               bool asSaved = false) {
  tiz::frame::LockScope lock;
  std::map<uint32_t, size_t> number{{root, 0}};
  std::vector<uint32_t> order{root};
  std::vector<std::string> lines;
  std::set<uint32_t> heldByParent;
  for (size_t i = 0; i < order.size(); ++i) {
    std::ostringstream out;
    tiz::CAttributeStore *store = order[i] ? tiz::LookupStore(order[i]) : nullptr;
    for (tiz::KeyEntry *e = store ? store->Keys().head : nullptr; e; e = e->next) {
      const tiz::CAttribute &a = e->attr;
      out << "  " << e->KeyView() << " t=" << a.m_type << " s=" << a.m_size << " v=";
      if (a.m_type == tiz::kTypeImage) {
        out << a.m_value.image;
      } else if (a.m_type == tiz::kTypeAttributeStore) {
        tiz::CAttributeStore *nested = tiz::LookupStore(a.m_value.store);
        if (!nested && asSaved) {  // loads as a new empty store
          out << "#" << order.size();
          order.push_back(0);
        } else if (!nested) {
          out << "gone";
        } else {
          auto found = number.emplace(nested->Handle(), order.size());
          if (found.second) order.push_back(nested->Handle());
          out << "#" << found.first->second;
          if (nested->ParentHandle() == store->Handle()) {
            out << " child";
            heldByParent.insert(nested->Handle());
          }
        }
      } else {
        detail::DumpValue(out, a, false);
      }
      out << "\n";
    }
    lines.push_back(out.str());
  }
  std::ostringstream out;
  for (size_t i = 0; i < order.size(); ++i) {
    int32_t probe = TIZ_NOT_FOUND;
    if (order[i] && !asSaved) {
      uint32_t value = 0;
      probe = TIZ_GetSettingDword(order[i], kProbeGroup, "", &value);
    } else if (order[i]) {
      // Up the parents a save keeps, to the root that holds the probe key.
      tiz::CAttributeStore *at = tiz::LookupStore(order[i]);
      probe = at->Handle() == root ? 0 : TIZ_NOT_FOUND;
      while (probe == TIZ_NOT_FOUND && heldByParent.count(at->Handle()) && at->Parent()) {
        at = at->Parent();
        if (at->Handle() == root) probe = TIZ_FOUND_IN_ANCESTOR;
      }
    }
    out << "#" << i << " probe=" << probe << "\n" << lines[i];
  }
  if (stores) *stores = order;
  return out.str();
}

class PipelineJob {
 public:
  explicit PipelineJob(uint64_t seed) : m_random(seed) { Build(); }
  ~PipelineJob() {
    ReleaseTree(m_global);
    for (uint32_t h : m_held) ReleaseTree(h);
  }
  PipelineJob(const PipelineJob &) = delete;
  PipelineJob &operator=(const PipelineJob &) = delete;

  uint32_t Global() const { return m_global; }

 private:
  uint32_t Below(uint32_t n) { return static_cast<uint32_t>(m_random() % n); }
  bool OneIn(uint32_t n) { return Below(n) == 0; }

  uint32_t NewStore() {
    uint32_t h = 0;
    TIZ_Create(&h);
    return h;
  }

  // The stores the job reaches now, from the global bag.
  std::vector<uint32_t> Reachable() {
    std::vector<uint32_t> stores;
    DescribeJob(m_global, &stores);
    return stores;  // all live: gone stores are not numbered
  }
  uint32_t AnyStore() {
    std::vector<uint32_t> stores = Reachable();
    return stores[Below(static_cast<uint32_t>(stores.size()))];
  }
  std::string Group() { return "Stage" + std::to_string(Below(6)) + ".Result"; }
  std::string Item() {
    static const char *items[] = {"Attribute.Value", "Attribute.Front_Side", "Angle", "Count"};
    return items[Below(4)];
  }

  void FillSettings(uint32_t store, int count) {
    for (int i = 0; i < count; ++i) {
      std::string group = Group(), item = Item();
      switch (Below(4)) {
        case 0:
          TIZ_SetSettingDword(store, group.c_str(), item.c_str(), m_random());
          break;
        case 1:
          TIZ_SetSettingDouble(store, group.c_str(), item.c_str(), Below(100000) / 7.0);
          break;
        case 2:
          TIZ_SetSettingString(store, group.c_str(), item.c_str(),
                               ("text " + std::to_string(Below(1000))).c_str());
          break;
        default: {
          const unsigned char bytes[] = {1, 2, static_cast<unsigned char>(Below(256))};
          TIZ_SetSettingBuffer(store, group.c_str(), item.c_str(), bytes, 1 + Below(3));
          break;
        }
      }
    }
  }

  // A store linked plainly at one or two places; the job holds its reference.
  void PlainStore() {
    uint32_t store = NewStore();
    m_held.push_back(store);
    FillSettings(store, 1 + Below(4));
    std::string group = Group(), item = "Linked." + std::to_string(Below(5));
    TIZ_SetSettingAttrStore(AnyStore(), group.c_str(), item.c_str(), store);
    if (OneIn(2)) {  // a second place, which names it last
      group = Group();
      TIZ_SetSettingAttrStore(AnyStore(), group.c_str(), "Again", store);
    }
  }

  // A store child-linked below another; its parent owns it.
  void ChildStore() {
    uint32_t store = NewStore();
    FillSettings(store, 1 + Below(4));
    std::string group = Group();
    TIZ_SetSettingAttrStoreChild(AnyStore(), group.c_str(), "Child", store);
    TIZ_Release(store);
  }

  // A store of the tree linked again below another, up the tree as well. The
  // global bag is the job's top: a load never links the loading store below
  // one of its own (its caller's release would then free nothing).
  void LinkAgain() {
    uint32_t store = AnyStore(), holder = AnyStore();
    std::string group = Group();
    if (OneIn(3) && store != m_global)
      TIZ_SetSettingAttrStoreChild(holder, group.c_str(), "Relinked", store);
    else
      TIZ_SetSettingAttrStore(holder, group.c_str(), "Shared", store);
  }

  void PageStep(uint32_t &side, bool duplex) {
    uint32_t bag = 0;
    switch (Below(7)) {
      case 0:
        if (TIZ_UtilAppendNewCurrentBag(m_global, 1, &bag) == 0) {
          FillSettings(bag, 1 + Below(3));
          TIZ_Release(bag);
        }
        break;
      case 1:
        if (duplex) TIZ_UtilSetSide(m_global, side ^= 1);
        break;
      case 2:
        if (TIZ_UtilGetPersistentBag(m_global, 1, &bag) == 0) {
          TIZ_UtilSaveCurrentImageTree(m_global, bag);
          if (OneIn(2)) TIZ_UtilRestoreSavedImageTree(m_global, bag);
          TIZ_Release(bag);
        }
        break;
      case 3:
        TIZ_UtilSetScannerIsBlackBackground(m_global, Below(2));
        TIZ_UtilSetScannerIsBlackBackgroundDefault(m_global, Below(2));
        break;
      case 4:
        TIZ_UtilUpdateStoredImages(m_global, TALB_CreateImage(1 + Below(50), 1 + Below(50)),
                                   Below(2));
        break;
      default:
        if (TIZ_UtilGetCurrentBag(m_global, 1, &bag) == 0) {
          FillSettings(bag, 1 + Below(3));
          TIZ_Release(bag);
        }
        break;
    }
  }

  void Build() {
    m_global = NewStore();
    uint32_t ui = NewStore(), defaults = NewStore();
    TIZ_SetSettingAttrStoreChild(m_global, "ui.bag", "Attribute.Value", ui);
    TIZ_SetSettingAttrStoreChild(m_global, "defaults.bag", "Attribute.Value", defaults);
    TIZ_Release(ui);
    TIZ_Release(defaults);
    TIZ_SetSettingDword(m_global, kProbeGroup, "", 7);
    FillSettings(m_global, 2);
    const bool duplex = OneIn(2);
    TIZ_SetSettingDword(m_global, "scan_duplex", "Attribute.Value", duplex ? 1 : 0);
    TIZ_UtilReInitImageTree(m_global);
    uint32_t side = 1;
    const int steps = 8 + static_cast<int>(Below(20));
    for (int i = 0; i < steps; ++i) {
      switch (Below(6)) {
        case 0:
          PlainStore();
          break;
        case 1:
          ChildStore();
          break;
        case 2:
          LinkAgain();
          break;
        case 3:
          if (OneIn(6)) {  // the next page: a new tree
            TIZ_UtilReInitImageTree(m_global);
            break;
          }
          [[fallthrough]];
        default:
          PageStep(side, duplex);
          break;
      }
    }
  }

  std::mt19937 m_random;
  uint32_t m_global = 0;
  std::vector<uint32_t> m_held;  // stores the job holds a reference to
};

}  // namespace tiz_test

#endif
