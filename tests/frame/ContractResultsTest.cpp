// Every result a function's comment in tiz.h lists has a way to be returned,
// and every result a function returns is listed. The lists are read out of
// the header itself; the code is driven two ways: a sweep that calls every
// export with bad and edge arguments, and a table of cases, each a path to
// one listed result the sweep does not reach. A result returned but not
// listed, or listed but reached by no call, fails.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>

#include "AllocFailure.h"
#include "ContractSweep.h"
#include "HeaderContracts.h"
#include "PublicHeaderText.h"
#include "ScratchDirectory.h"
#include "talb310.h"
#include "tiz.h"

namespace {

using tiz_test::ExportContract;
using tiz_test::HeaderContracts;
using tiz_test::ObservedResults;
using tiz_test::ResultKind;
namespace sweep = tiz_test::sweep;

// Each export of the header, with what sweeps it.
struct Export {
  const char *name;
  std::function<void(const ExportContract &, const sweep::Files *, ObservedResults *)> run;
};

template <class Function>
Export Swept(const char *name, Function fn) {
  return {name, [fn](const ExportContract &c, const sweep::Files *f, ObservedResults *o) {
            sweep::Sweep(c.name, c.parameters, fn, f, o);
          }};
}

#define TIZ_SWEEP(fn) Swept(#fn, fn)

const std::vector<Export> &Exports() {
  static const std::vector<Export> exports = {
      TIZ_SWEEP(TIZ_InitCriticalSection),
      TIZ_SWEEP(TIZ_DeleteCriticalSection),
      TIZ_SWEEP(TIZ_InitLogging),
      TIZ_SWEEP(TIZ_SetScanningThreadID),
      TIZ_SWEEP(TIZ_Create),
      TIZ_SWEEP(TIZ_AddRef),
      TIZ_SWEEP(TIZ_Release),
      TIZ_SWEEP(TIZ_GetParent),
      TIZ_SWEEP(TIZ_Clone),
      TIZ_SWEEP(TIZ_SetSettingDword),
      TIZ_SWEEP(TIZ_SetSettingConfidenceDword),
      TIZ_SWEEP(TIZ_SetSettingDouble),
      TIZ_SWEEP(TIZ_SetSettingConfidenceDouble),
      TIZ_SWEEP(TIZ_SetSettingString),
      TIZ_SWEEP(TIZ_SetSettingConfidenceString),
      TIZ_SWEEP(TIZ_SetSettingBuffer),
      TIZ_SWEEP(TIZ_SetSettingConfidenceBuffer),
      TIZ_SWEEP(TIZ_SetSettingImage),
      TIZ_SWEEP(TIZ_SetSettingConfidenceImage),
      TIZ_SWEEP(TIZ_SetSettingStructure),
      TIZ_SWEEP(TIZ_SetSettingConfidenceStructure),
      TIZ_SWEEP(TIZ_SetSettingAttrStore),
      TIZ_SWEEP(TIZ_SetSettingConfidenceAttrStore),
      TIZ_SWEEP(TIZ_SetSettingAttrStoreChild),
      TIZ_SWEEP(TIZ_SetSettingConfidenceAttrStoreChild),
      TIZ_SWEEP(TIZ_SetConfidence),
      TIZ_SWEEP(TIZ_GetSettingDword),
      TIZ_SWEEP(TIZ_GetSettingConfidenceDword),
      TIZ_SWEEP(TIZ_GetSettingByte),
      TIZ_SWEEP(TIZ_GetSettingConfidenceByte),
      TIZ_SWEEP(TIZ_GetSettingDouble),
      TIZ_SWEEP(TIZ_GetSettingConfidenceDouble),
      TIZ_SWEEP(TIZ_GetSettingImage),
      TIZ_SWEEP(TIZ_GetSettingConfidenceImage),
      TIZ_SWEEP(TIZ_GetSettingString),
      TIZ_SWEEP(TIZ_GetSettingConfidenceString),
      TIZ_SWEEP(TIZ_GetSettingBuffer),
      TIZ_SWEEP(TIZ_GetSettingConfidenceBuffer),
      TIZ_SWEEP(TIZ_GetSettingStructure),
      TIZ_SWEEP(TIZ_GetSettingConfidenceStructure),
      TIZ_SWEEP(TIZ_GetSettingAttrStore),
      TIZ_SWEEP(TIZ_GetSettingConfidenceAttrStore),
      TIZ_SWEEP(TIZ_GetSettingSize),
      TIZ_SWEEP(TIZ_GetSettingType),
      TIZ_SWEEP(TIZ_GetConfidence),
      TIZ_SWEEP(TIZ_GetCharPointer),
      TIZ_SWEEP(TIZ_GetConfidenceCharPointer),
      TIZ_SWEEP(TIZ_GetVoidPointer),
      TIZ_SWEEP(TIZ_GetConfidenceVoidPointer),
      TIZ_SWEEP(TIZ_DeleteSetting),
      TIZ_SWEEP(TIZ_StartIteratorSorted),
      TIZ_SWEEP(TIZ_IterateSetting),
      TIZ_SWEEP(TIZ_Serialize),
      TIZ_SWEEP(TIZ_Deserialize),
      TIZ_SWEEP(TIZ_LoadSettings),
      TIZ_SWEEP(TIZ_DisplayAttribute),
      TIZ_SWEEP(UtilAttribute_Count),
      TIZ_SWEEP(UtilAttribute_Pack),
      TIZ_SWEEP(UtilAttribute_UnpackOneAttribute),
      TIZ_SWEEP(TIZ_UtilGetCurrentBag),
      TIZ_SWEEP(TIZ_UtilGetPersistentBag),
      TIZ_SWEEP(TIZ_UtilAppendNewCurrentBag),
      TIZ_SWEEP(TIZ_UtilIsCurrentFront),
      TIZ_SWEEP(TIZ_UtilIsABackSideBag),
      TIZ_SWEEP(TIZ_UtilSetSide),
      TIZ_SWEEP(TIZ_UtilGenerateBatchAttributeName),
      TIZ_SWEEP(TIZ_UtilReInitImageTree),
      TIZ_SWEEP(TIZ_UtilDestroyImageTree),
      TIZ_SWEEP(TIZ_UtilSaveCurrentImageTree),
      TIZ_SWEEP(TIZ_UtilRestoreSavedImageTree),
      TIZ_SWEEP(TIZ_UtilUpdateStoredImages),
      TIZ_SWEEP(TIZ_UtilDeleteATImage),
      TIZ_SWEEP(TIZ_UtilDeleteYBitonalImage),
      TIZ_SWEEP(TIZ_UtilDeleteYPlaneImage),
      TIZ_SWEEP(TIZ_UtilGetScannerIsBlackBackground),
      TIZ_SWEEP(TIZ_UtilSetScannerIsBlackBackground),
      TIZ_SWEEP(TIZ_UtilSetScannerIsBlackBackgroundDefault),
      TIZ_SWEEP(TIZ_UtilGetZoomedBICDPI),
  };
  return exports;
}

#undef TIZ_SWEEP

// A path to one listed result: `run` makes what it needs, calls the export
// and cleans up, and answers what the export returned.
struct Case {
  const char *exportName;
  int32_t expected;
  const char *path;
  int32_t (*run)();
};

constexpr char kValue[] = "Attribute.Value";

// The directory the tree-file and settings-file functions use meanwhile.
tiz_test::ScratchDirectory *g_dir = nullptr;

using sweep::NewStore;
using sweep::ReleaseAll;

// Points an environment variable elsewhere for a scope.
class ScopedVariable {
 public:
  ScopedVariable(const char *name, const std::string &value) : m_name(name) {
    const char *old = std::getenv(name);
    m_old = old ? old : "";
    tiz_test::SetEnvironment(name, value);
  }
  ~ScopedVariable() { tiz_test::SetEnvironment(m_name, m_old); }
  ScopedVariable(const ScopedVariable &) = delete;
  ScopedVariable &operator=(const ScopedVariable &) = delete;

 private:
  const char *m_name;
  std::string m_old;
};

// A directory below a plain file: it can never be made.
std::string DirectoryBelowAFile() {
  tiz_test::WriteFileText(g_dir->Path("plain.txt"), "");
  return g_dir->Path("plain.txt").string() + "/under";
}

int32_t LoadTreeText(const std::string &text) {
  tiz_test::WriteFileText(g_dir->Path("case.tree"), text);
  uint32_t h = NewStore();
  int32_t r = TIZ_Deserialize(h, "case.tree");
  ReleaseAll({h});
  return r;
}

int32_t SaveOneSetting(const char *fileName, const char *group) {
  uint32_t h = NewStore();
  TIZ_SetSettingDword(h, group, "Item", 1);
  int32_t r = TIZ_Serialize(h, fileName);
  ReleaseAll({h});
  return r;
}

int32_t TIZ_API ThrowingDisplay(void *, char *, int32_t) { throw std::runtime_error("display"); }

void TIZ_API ReleaseTheStore(void *handle) { TIZ_Release(*static_cast<uint32_t *>(handle)); }

// Deletes a side image whose structure's release callback takes the global
// bag down: the deletion of its cached flag finds no store.
int32_t DeleteSideImageOfAGoneBag(const char *group, int32_t(TIZ_API *deleteImage)(uint32_t)) {
  static uint32_t global;
  global = NewStore();
  TIZ_SetSettingStructure(global, group, kValue, &global, ReleaseTheStore, nullptr);
  return deleteImage(global);
}

// A global bag with its UI bag, child-linked below a store that holds
// "scan_duplex": the global bag reads it from an ancestor.
class InheritedDuplexPage {
 public:
  InheritedDuplexPage() {
    TIZ_SetSettingDword(m_holder, "scan_duplex", kValue, 0);
    TIZ_SetSettingAttrStoreChild(m_holder, "Global", kValue, m_global);
    TIZ_SetSettingAttrStoreChild(m_global, "ui.bag", kValue, m_ui);
    TIZ_UtilReInitImageTree(m_global);
  }
  ~InheritedDuplexPage() {
    TIZ_UtilDestroyImageTree(m_global);
    ReleaseAll({m_ui, m_holder, m_other});
  }
  uint32_t Global() const { return m_global; }
  uint32_t Other() const { return m_other; }

 private:
  uint32_t m_holder = NewStore(), m_global = NewStore(), m_ui = NewStore(), m_other = NewStore();
};

const std::vector<Case> &Cases() {
  static const std::vector<Case> cases = {
      {"TIZ_Release", TIZ_E_INVALID_ARG, "a linked child released once too often",
       [] {
         uint32_t root = NewStore(), child = NewStore();
         TIZ_SetSettingAttrStoreChild(root, "Child", "", child);
         TIZ_Release(child);
         int32_t r = TIZ_Release(child);
         ReleaseAll({root});
         return r;
       }},
      {"TIZ_IterateSetting", TIZ_OK, "the first group of a started iteration",
       [] {
         uint32_t h = NewStore();
         TIZ_SetSettingDword(h, "Scan", "", 1);
         TIZ_StartIteratorSorted(h);
         char group[16] = "";
         int32_t r = TIZ_IterateSetting(h, group, sizeof group);
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_Serialize", TIZ_E_INVALID_ARG, "a group holding a line break",
       [] { return SaveOneSetting("break.tree", "Two\nLines"); }},
      {"TIZ_Serialize", TIZ_E_OPEN_FILE, "a file without write permission",
       [] {
         namespace fs = std::filesystem;
         fs::path path = g_dir->Path("locked.tree");
         tiz_test::WriteFileText(path, "");
         fs::permissions(path,
                         fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
         int32_t r = SaveOneSetting("locked.tree", "Scan");
         fs::permissions(path, fs::perms::owner_all);
         return r;
       }},
      {"TIZ_Serialize", -4, "a tree-file directory that cannot be made",
       [] {
         ScopedVariable trees("TIZ_PERSIST_DIR", DirectoryBelowAFile());
         return SaveOneSetting("any.tree", "Scan");
       }},
      {"TIZ_Deserialize", -4, "a tree-file directory that cannot be made",
       [] {
         ScopedVariable trees("TIZ_PERSIST_DIR", DirectoryBelowAFile());
         uint32_t h = NewStore();
         int32_t r = TIZ_Deserialize(h, "any.tree");
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_Deserialize", TIZ_E_OPEN_FILE, "a directory where the file should be",
       [] {
         std::filesystem::create_directories(g_dir->Path("folder.tree"));
         uint32_t h = NewStore();
         int32_t r = TIZ_Deserialize(h, "folder.tree");
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_Deserialize", TIZ_E_EMPTY_TYPE, "a section with an empty Type",
       [] { return LoadTreeText("[Root\x7FScan\x7FKind]\nSize=4\nType=\n"); }},
      {"TIZ_Deserialize", TIZ_E_INVALID_ARG, "a Size that is no number",
       [] { return LoadTreeText("[Root\x7FScan\x7FSpeed]\nSize=four\nType=DWORD\nValue=1\n"); }},
      {"TIZ_Deserialize", TIZ_E_TOO_SMALL, "a STRING longer than its Size",
       [] { return LoadTreeText("[Root\x7FScan\x7FName]\nSize=2\nType=STRING\nValue=abc\n"); }},
      {"TIZ_LoadSettings", TIZ_E_OPEN_FILE, "a filebuffer line naming a missing file",
       [] {
         tiz_test::WriteFileText(g_dir->Path("filebuffer.settings"),
                                 "Gamma=nofile.bin,Table,filebuffer,4\n");
         uint32_t h = NewStore();
         int32_t r = TIZ_LoadSettings(h, "filebuffer.settings");
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_LoadSettings", TIZ_E_NO_MEMORY_LINE, "memory running out while the file is read",
       [] {
         tiz_test::WriteFileText(g_dir->Path("memory.settings"), "Scan=12,Value\n");
         int32_t r = 0;
         for (size_t n = 0; n < 200 && r != TIZ_E_NO_MEMORY_LINE; ++n) {
           uint32_t h = NewStore();
           {
             tiz_test::ScopedAllocationFailure failure(n);
             r = TIZ_LoadSettings(h, "memory.settings");
           }
           ReleaseAll({h});
         }
         return r;
       }},
      {"TIZ_LoadSettings", -4, "a settings directory that cannot be made",
       [] {
         ScopedVariable settings("TIZ_SETTINGS_DIR", DirectoryBelowAFile());
         uint32_t h = NewStore();
         int32_t r = TIZ_LoadSettings(h, "any.settings");
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_LoadSettings", -5, "a settings directory of 257 bytes",
       [] {
         std::string directory = g_dir->Path(".").string();
         while (directory.size() < 257) directory += directory.size() + 2 <= 257 ? "/." : "/";
         ScopedVariable settings("TIZ_SETTINGS_DIR", directory);
         uint32_t h = NewStore();
         int32_t r = TIZ_LoadSettings(h, "any.settings");
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_DisplayAttribute", TIZ_E_NO_MEMORY_LINE, "a display callback that throws",
       [] {
         uint32_t h = NewStore();
         int data = 0;
         TIZ_SetSettingStructure(h, "Struct", "", &data, nullptr, ThrowingDisplay);
         char text[16];
         int32_t r = TIZ_DisplayAttribute(h, "Struct", "", text, sizeof text);
         ReleaseAll({h});
         return r;
       }},
      {"TIZ_UtilDeleteYBitonalImage", TIZ_E_INVALID_HANDLE,
       "the image's release callback takes the global bag down",
       [] {
         return DeleteSideImageOfAGoneBag("Image.For_Y_Bitonal_Front", TIZ_UtilDeleteYBitonalImage);
       }},
      {"TIZ_UtilDeleteYPlaneImage", TIZ_E_INVALID_HANDLE,
       "the image's release callback takes the global bag down",
       [] {
         return DeleteSideImageOfAGoneBag("Image_For_Y_Plane_Front", TIZ_UtilDeleteYPlaneImage);
       }},
      {"TIZ_UtilDestroyImageTree", TIZ_E_INVALID_ARG, "a defaults bag without parent",
       [] {
         uint32_t global = NewStore(), defaults = NewStore();
         TIZ_SetSettingAttrStore(global, "defaults.bag", kValue, defaults);
         int32_t r = TIZ_UtilDestroyImageTree(global);
         ReleaseAll({global, defaults});
         return r;
       }},
      {"TIZ_UtilReInitImageTree", TIZ_E_INVALID_ARG, "an old persistent bag without parent",
       [] {
         uint32_t global = NewStore(), ui = NewStore(), old = NewStore();
         TIZ_SetSettingAttrStoreChild(global, "ui.bag", kValue, ui);
         TIZ_SetSettingAttrStore(global, "Current.Persistent_ImageStore", "Attribute.Front_Side",
                                 old);
         int32_t r = TIZ_UtilReInitImageTree(global);
         TIZ_UtilDestroyImageTree(global);
         ReleaseAll({ui, old});
         return r;
       }},
      {"TIZ_UtilSaveCurrentImageTree", TIZ_FOUND_IN_ANCESTOR,
       "simplex, no chain through the bag, scan_duplex in an ancestor",
       [] {
         InheritedDuplexPage page;
         return TIZ_UtilSaveCurrentImageTree(page.Global(), page.Other());
       }},
      {"TIZ_UtilRestoreSavedImageTree", TIZ_FOUND_IN_ANCESTOR,
       "simplex, scan_duplex in an ancestor",
       [] {
         InheritedDuplexPage page;
         uint32_t persistent = 0, current = 0;
         TIZ_UtilGetPersistentBag(page.Global(), 1, &persistent);
         TIZ_Release(persistent);
         TIZ_UtilSaveCurrentImageTree(page.Global(), persistent);
         TIZ_UtilGetCurrentBag(page.Global(), 1, &current);
         TIZ_Release(current);
         return TIZ_UtilRestoreSavedImageTree(page.Global(), current);
       }},
  };
  return cases;
}

class ContractResults : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    m_header = new HeaderContracts(tiz_test::ParseHeaderContracts(tiz_test::kPublicHeaderText));
    m_dir = new tiz_test::ScratchDirectory;
    g_dir = m_dir;
    sweep::World::SetDirectory(m_dir);
    sweep::Files files = SweepFiles();
    m_observed = new ObservedResults;
    m_caseResults = new std::vector<int32_t>;
    for (const Export &e : Exports()) {
      auto contract = m_header->exports.find(e.name);
      if (contract == m_header->exports.end()) continue;
      e.run(contract->second, &files, m_observed);
    }
    for (const Case &c : Cases()) {
      int32_t result = c.run();
      m_caseResults->push_back(result);
      (*m_observed)[c.exportName].emplace(result, std::string(c.exportName) + ": " + c.path);
    }
  }
  static void TearDownTestSuite() {
    sweep::World::SetDirectory(nullptr);
    g_dir = nullptr;
    delete m_caseResults;
    delete m_observed;
    delete m_dir;
    delete m_header;
  }

  // A tree file with a nested store and a damaged one; a settings file that
  // loads and one whose line has no value.
  static sweep::Files SweepFiles() {
    sweep::Files files;
    uint32_t root = sweep::NewStore(), nested = sweep::NewStore();
    TIZ_SetSettingDword(root, "Scan", "Speed", 12);
    TIZ_SetSettingBuffer(root, "Gamma", "", "\1\2\3", 3);
    TIZ_SetSettingAttrStoreChild(root, "Stage", "", nested);
    TIZ_SetSettingString(nested, "Job", "Title", "Front page");
    TIZ_Serialize(root, "good.tree");
    TIZ_Release(nested);
    TIZ_Release(root);
    files.goodTree = tiz_test::ReadFileText(m_dir->Path("good.tree"));
    files.badTree =
        "[Options]\nSize=4\nType=DWORD\nValue=3\n"
        "[Root\x7FScan\x7FMask]\nSize=3\nType=BUFFER\nValue=0102FF03\n";
    files.goodSettings = "Scan=12,Value\n";
    files.badSettings = "Lonely\n";
    return files;
  }

  // Whether the contract lists `result`, by code or in words.
  static bool Lists(const ExportContract &c, int32_t result) {
    if (c.codes.count(result)) return true;
    if (c.kinds.count(ResultKind::kCount) && result >= 0) return true;
    if (c.kinds.count(ResultKind::kImageLibraryError) && (result == 0x7001 || result == 0x7002))
      return true;
    return c.kinds.count(ResultKind::kCallbackResult) && result == tiz_test::kDisplayCallbackAnswer;
  }

  static HeaderContracts *m_header;
  static tiz_test::ScratchDirectory *m_dir;
  static ObservedResults *m_observed;
  static std::vector<int32_t> *m_caseResults;
};

HeaderContracts *ContractResults::m_header = nullptr;
tiz_test::ScratchDirectory *ContractResults::m_dir = nullptr;
ObservedResults *ContractResults::m_observed = nullptr;
std::vector<int32_t> *ContractResults::m_caseResults = nullptr;

TEST_F(ContractResults, EveryExportHasOneListAndEveryListAnExport) {
  for (const std::string &fault : m_header->faults) ADD_FAILURE() << fault;
  std::set<std::string> swept;
  for (const Export &e : Exports()) {
    swept.insert(e.name);
    EXPECT_TRUE(m_header->exports.count(e.name)) << e.name << " is not declared in tiz.h";
  }
  for (const auto &e : m_header->exports)
    EXPECT_TRUE(swept.count(e.first)) << e.first << " is declared but not swept";
}

TEST_F(ContractResults, EveryCaseTakesItsPath) {
  for (size_t i = 0; i < Cases().size(); ++i) {
    const Case &c = Cases()[i];
    EXPECT_EQ((*m_caseResults)[i], c.expected) << c.exportName << ": " << c.path;
  }
}

TEST_F(ContractResults, EveryResultReturnedIsListed) {
  for (const auto &e : *m_observed) {
    auto contract = m_header->exports.find(e.first);
    ASSERT_NE(contract, m_header->exports.end()) << e.first;
    for (const auto &r : e.second) {
      EXPECT_TRUE(Lists(contract->second, r.first))
          << r.second << " returned " << r.first << ", which its results do not list: \""
          << contract->second.results << "\"";
    }
  }
}

TEST_F(ContractResults, EveryListedResultIsReturnedSomewhere) {
  for (const auto &e : m_header->exports) {
    const ExportContract &c = e.second;
    const std::map<int32_t, std::string> &seen = (*m_observed)[c.name];
    for (int32_t code : c.codes) {
      EXPECT_TRUE(seen.count(code)) << c.name << " lists " << code << " but no call returned it";
    }
    for (ResultKind kind : c.kinds) {
      bool found = false;
      for (const auto &r : seen) {
        ExportContract only;
        only.kinds = {kind};
        found = found || Lists(only, r.first);
      }
      EXPECT_TRUE(found) << c.name << " lists a result in words (\"" << c.results
                         << "\") that no call returned";
    }
  }
}

}  // namespace
