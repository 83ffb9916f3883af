// The settings of the global bag that name a page's image tree, and the
// trace lines the tree's calls write. Public names only, so that tests held
// to the C interface may share them.
#ifndef TIZ_TESTS_IMAGETREENAMES_H
#define TIZ_TESTS_IMAGETREENAMES_H

#include <cstdint>
#include <cstdio>
#include <string>

namespace tiz_test {

constexpr const char *kCIS = "Current.ImageStore";
constexpr const char *kPIS = "Current.Persistent_ImageStore";
constexpr const char *kSaved = "Current.Saved_ImageStore";
constexpr const char *kValue = "Attribute.Value";
constexpr const char *kFront = "Attribute.Front_Side";
constexpr const char *kBack = "Attribute.Back_Side";

// A handle as the trace lines print it.
inline std::string Hex(uint32_t v) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%08x", v);
  return text;
}

// The line a shortcut read of the global bag writes.
inline std::string ShortCutTrace(uint32_t global, int side, const char *setting, const char *item) {
  return "TEV: UtilGetShortCut : bCurrentSide=" + std::to_string(side) +
         ", pGlobalBag=" + Hex(global) + " cszSettingName=" + setting +
         ", cszSideAttrName=" + item + "\n";
}

// The lines freeing one bag of the tree writes.
inline std::string DeletionTrace(uint32_t global, uint32_t parent, uint32_t bag) {
  return "TEV: UtilDeleteTree : pGlobalAttrStore=" + Hex(global) + " parent_store=" + Hex(parent) +
         "\nTEV: UtilDeleteThisChild : pChildAttr=" + Hex(bag) + "\n";
}

}  // namespace tiz_test

#endif
