// The promises tiz.h makes to a caller, each shown through the C interface:
// who owns which reference, what a getter writes on each result, what a cut
// copy looks like and how the needed size is learned, how long a pointer
// into a store lives, and what the file functions leave behind.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "ReleaseProbe.h"
#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.h"

namespace {

// The count itself: the header promises how it moves, and a caller sees the
// consequence (when the store goes), which Alive shows; the number shows why.
using tiz_test::Alive;
using tiz_test::RefCount;

uint32_t NewStore() {
  uint32_t h = 0;
  EXPECT_EQ(TIZ_Create(&h), TIZ_OK);
  return h;
}

TEST(ContractReferences, CreateHandsOutOneReferenceAndReleaseDestroys) {
  uint32_t h = NewStore();
  EXPECT_NE(h, 0u);
  EXPECT_EQ(RefCount(h), 1);
  EXPECT_EQ(TIZ_AddRef(h), TIZ_OK);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
  EXPECT_TRUE(Alive(h));
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
  EXPECT_FALSE(Alive(h));
  EXPECT_EQ(TIZ_Release(h), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Create(nullptr), TIZ_E_INVALID_ARG);
}

TEST(ContractReferences, GetSettingAttrStoreAddsOneReferenceTheCallerGivesBack) {
  uint32_t root = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Stage", "Deskew", child), TIZ_OK);
  EXPECT_EQ(RefCount(child), 1);
  EXPECT_EQ(RefCount(root), 2);  // the child's reference counts in its parent

  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetSettingAttrStore(root, "Stage", "Deskew", &got), TIZ_OK);
  EXPECT_EQ(got, child);
  EXPECT_EQ(RefCount(child), 2);
  EXPECT_EQ(RefCount(root), 3);
  EXPECT_EQ(TIZ_Release(got), TIZ_OK);
  EXPECT_EQ(RefCount(child), 1);
  EXPECT_EQ(RefCount(root), 2);

  // Both references the caller owns go back, in any order; the tree goes
  // with the last one.
  EXPECT_EQ(TIZ_Release(root), TIZ_OK);
  EXPECT_TRUE(Alive(root));
  EXPECT_EQ(TIZ_Release(child), TIZ_OK);
  EXPECT_FALSE(Alive(root));
  EXPECT_FALSE(Alive(child));
}

TEST(ContractReferences, NestedStoreGetterAnswersZeroForAnAncestorHit) {
  uint32_t root = NewStore(), child = NewStore(), shared = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Stage", "One", child), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "Shared", "", shared), TIZ_OK);
  uint32_t got = 0;
  EXPECT_EQ(TIZ_GetSettingAttrStore(child, "Shared", "", &got), TIZ_OK);  // not 1
  EXPECT_EQ(got, shared);
  EXPECT_EQ(TIZ_Release(got), TIZ_OK);
  uint32_t dword = 0;
  ASSERT_EQ(TIZ_SetSettingDword(root, "Scan", "Speed", 7), TIZ_OK);
  EXPECT_EQ(TIZ_GetSettingDword(child, "Scan", "Speed", &dword), TIZ_FOUND_IN_ANCESTOR);

  // A plain link sets no parent and adds no reference.
  uint32_t parent = 123;
  EXPECT_EQ(TIZ_GetParent(shared, &parent), TIZ_OK);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_GetSettingDword(shared, "Scan", "Speed", &dword), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_Release(shared), TIZ_OK);
  EXPECT_FALSE(Alive(shared));  // the caller's reference was its only one
  // A setting whose store is gone reads as the handle 0.
  got = 99;
  EXPECT_EQ(TIZ_GetSettingAttrStore(root, "Shared", "", &got), TIZ_OK);
  EXPECT_EQ(got, 0u);

  EXPECT_EQ(TIZ_Release(child), TIZ_OK);
  EXPECT_EQ(TIZ_Release(root), TIZ_OK);
  EXPECT_FALSE(Alive(root));
}

TEST(ContractReferences, ConfidenceStoreGetterWritesNullOnFailure) {
  uint32_t root = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(root, "Scan", "Speed", 7), TIZ_OK);
  int32_t conf = 5;
  uint32_t got = 77;
  EXPECT_EQ(TIZ_GetSettingConfidenceAttrStore(root, "Scan", "Speed", &conf, &got),
            TIZ_E_WRONG_TYPE);
  EXPECT_EQ(got, 0u);
  got = 77;
  EXPECT_EQ(TIZ_GetSettingConfidenceAttrStore(root, "Nothing", "", &conf, &got), TIZ_NOT_FOUND);
  EXPECT_EQ(got, 0u);
  got = 77;
  EXPECT_EQ(TIZ_GetSettingAttrStore(root, "Nothing", "", &got), TIZ_NOT_FOUND);
  EXPECT_EQ(got, 77u);  // the plain form writes only on 0
  EXPECT_EQ(TIZ_Release(root), TIZ_OK);
}

TEST(ContractReferences, ReleasingALinkedChildTooOftenIsRefused) {
  uint32_t root = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Stage", "", child), TIZ_OK);
  EXPECT_EQ(TIZ_Release(child), TIZ_OK);
  EXPECT_TRUE(Alive(child));  // goes with its parent, not by its own release
  EXPECT_EQ(TIZ_Release(child), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Release(root), TIZ_OK);
  EXPECT_FALSE(Alive(child));
}

TEST(ContractReferences, ChildLinkClosingACycleKeepsTheSettingButSetsNoParent) {
  uint32_t root = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Stage", "", child), TIZ_OK);
  EXPECT_EQ(TIZ_SetSettingAttrStoreChild(child, "Up", "", root), TIZ_E_CYCLE);
  int32_t type = 0;
  EXPECT_EQ(TIZ_GetSettingType(child, "Up", "", &type), TIZ_OK);
  EXPECT_EQ(type, TIZ_TYPE_ATTRIBUTESTORE);
  uint32_t parent = 1;
  EXPECT_EQ(TIZ_GetParent(root, &parent), TIZ_OK);
  EXPECT_EQ(parent, 0u);
  EXPECT_EQ(TIZ_DeleteSetting(child, "Up", ""), TIZ_OK);  // would destroy root
  EXPECT_FALSE(Alive(root));
  EXPECT_FALSE(Alive(child));
}

TEST(ContractReferences, DeletingANestedStoreSettingDestroysTheStoreWhateverTheLink) {
  uint32_t root = NewStore(), plain = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStore(root, "Plain", "", plain), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(root, "Child", "", child), TIZ_OK);
  EXPECT_EQ(RefCount(root), 2);
  EXPECT_EQ(TIZ_DeleteSetting(root, "Plain", ""), TIZ_OK);
  EXPECT_FALSE(Alive(plain));
  EXPECT_EQ(TIZ_DeleteSetting(root, "Child", ""), TIZ_OK);
  EXPECT_FALSE(Alive(child));
  EXPECT_EQ(RefCount(root), 1);                             // the child's reference was given back
  EXPECT_EQ(TIZ_DeleteSetting(root, "Child", ""), TIZ_OK);  // no settings left: 0
  EXPECT_EQ(TIZ_SetSettingDword(root, "Scan", "", 1), TIZ_OK);
  EXPECT_EQ(TIZ_DeleteSetting(root, "Child", ""), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_Release(root), TIZ_OK);
  EXPECT_FALSE(Alive(root));
}

TEST(ContractReferences, CloneGivesTheDestinationTheSourcesCount) {
  uint32_t source = NewStore(), destination = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(source, "Scan", "Speed", 12), TIZ_OK);
  ASSERT_EQ(TIZ_AddRef(source), TIZ_OK);
  ASSERT_EQ(TIZ_AddRef(source), TIZ_OK);
  EXPECT_EQ(TIZ_Clone(source, destination), TIZ_OK);
  EXPECT_EQ(RefCount(destination), 3);
  // An empty store's count is taken over without any setting: the way to
  // bring a copy back to one reference.
  uint32_t empty = NewStore();
  EXPECT_EQ(TIZ_Clone(empty, destination), TIZ_OK);
  EXPECT_EQ(RefCount(destination), 1);
  uint32_t speed = 0;
  EXPECT_EQ(TIZ_GetSettingDword(destination, "Scan", "Speed", &speed), TIZ_OK);
  EXPECT_EQ(speed, 12u);
  EXPECT_EQ(TIZ_Clone(source, source), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Clone(source, 0), TIZ_E_INVALID_HANDLE);
  for (uint32_t h : {empty, destination, source, source, source}) EXPECT_EQ(TIZ_Release(h), 0);
  EXPECT_FALSE(Alive(source));
  EXPECT_FALSE(Alive(destination));
}

TEST(ContractGetters, StringCutToTheBufferWithTheNeededSizeFromGetSettingSize) {
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingConfidenceString(h, "Job", "Title", 42, "Front page"), TIZ_OK);
  char small[5];
  std::memset(small, 'x', sizeof small);
  int32_t conf = 0;
  EXPECT_EQ(TIZ_GetSettingConfidenceString(h, "Job", "Title", &conf, small, sizeof small),
            TIZ_E_TOO_SMALL);
  EXPECT_STREQ(small, "Fron");
  EXPECT_EQ(conf, 42);
  uint32_t needed = 0;
  EXPECT_EQ(TIZ_GetSettingSize(h, "Job", "Title", &needed), TIZ_OK);
  EXPECT_EQ(needed, 11u);
  std::vector<char> room(needed, 'x');
  EXPECT_EQ(TIZ_GetSettingString(h, "Job", "Title", room.data(), static_cast<int32_t>(needed)),
            TIZ_OK);
  EXPECT_STREQ(room.data(), "Front page");
  char padded[16];
  std::memset(padded, 'x', sizeof padded);
  EXPECT_EQ(TIZ_GetSettingString(h, "Job", "Title", padded, sizeof padded), TIZ_OK);
  for (size_t i = 10; i < sizeof padded; ++i) EXPECT_EQ(padded[i], '\0');
  EXPECT_EQ(TIZ_GetSettingString(h, "Job", "Title", padded, 0), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetSettingString(h, "Job", "Title", nullptr, 4), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractGetters, BufferLengthInAndOut) {
  uint32_t h = NewStore();
  const unsigned char bytes[] = {1, 2, 3, 4, 5, 6};
  ASSERT_EQ(TIZ_SetSettingBuffer(h, "Gamma", "Table", bytes, sizeof bytes), TIZ_OK);
  unsigned char out[8] = {};
  int32_t len = 4;
  EXPECT_EQ(TIZ_GetSettingBuffer(h, "Gamma", "Table", out, &len), TIZ_E_TOO_SMALL);
  EXPECT_EQ(len, 4);  // unchanged: the needed size comes from TIZ_GetSettingSize
  EXPECT_EQ(std::memcmp(out, bytes, 4), 0);
  EXPECT_EQ(out[4], 0);
  len = sizeof out;
  EXPECT_EQ(TIZ_GetSettingBuffer(h, "Gamma", "Table", out, &len), TIZ_OK);
  EXPECT_EQ(len, 6);
  len = -1;
  EXPECT_EQ(TIZ_GetSettingBuffer(h, "Gamma", "Table", out, &len), TIZ_E_INVALID_ARG);

  // An empty buffer: 0 and nothing written, the length included; the string
  // getter answers the same before it looks at the type.
  ASSERT_EQ(TIZ_SetSettingBuffer(h, "Empty", "", nullptr, 0), TIZ_OK);
  len = 5;
  out[0] = 0xAA;
  EXPECT_EQ(TIZ_GetSettingBuffer(h, "Empty", "", out, &len), TIZ_OK);
  EXPECT_EQ(len, 5);
  EXPECT_EQ(out[0], 0xAA);
  char text[4] = "abc";
  EXPECT_EQ(TIZ_GetSettingString(h, "Empty", "", text, sizeof text), TIZ_OK);
  EXPECT_STREQ(text, "abc");
  EXPECT_EQ(TIZ_SetSettingBuffer(h, "Bad", "", nullptr, 3), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractGetters, FailedReadsLeaveOutParametersAlone) {
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingDouble(h, "Scan", "Gamma", 2.2), TIZ_OK);
  uint32_t value = 7;
  int32_t conf = 9;
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(h, "Scan", "Gamma", &conf, &value), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(h, "Scan", "Other", &conf, &value), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_GetSettingConfidenceDword(h, "", "Gamma", &conf, &value), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetSettingDword(h, "Scan", nullptr, &value), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetSettingDword(h, "Scan", "Gamma", nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(value, 7u);
  EXPECT_EQ(conf, 9);
  EXPECT_EQ(TIZ_GetSettingDword(0, "Scan", "Gamma", &value), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractGetters, EmptyItemMeansValueAndNamesAreCaseSensitive) {
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(h, "scan_duplex", "", 1), TIZ_OK);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(h, "scan_duplex", "Value", &value), TIZ_OK);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(TIZ_GetSettingDword(h, "Scan_Duplex", "Value", &value), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_SetSettingDword(h, nullptr, "x", 1), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_SetSettingString(h, "Job", "", nullptr), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractPointers, PointerLivesUntilTheValueChangesAndStatusMayBeNull) {
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingString(h, "Job", "Title", "Front page"), TIZ_OK);
  uint32_t size = 0;
  int32_t status = -1;
  char *text = TIZ_GetCharPointer(h, "Job", "Title", &size, &status);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(status, TIZ_OK);
  EXPECT_EQ(size, 11u);
  EXPECT_STREQ(text, "Front page");
  // The stored text itself, not a copy: the same address on the next call,
  // and handing it back to the setter is allowed.
  EXPECT_EQ(TIZ_GetCharPointer(h, "Job", "Title", &size, nullptr), text);
  EXPECT_EQ(TIZ_SetSettingString(h, "Job", "Title", text), TIZ_OK);
  char *again = TIZ_GetCharPointer(h, "Job", "Title", &size, &status);
  EXPECT_STREQ(again, "Front page");

  EXPECT_EQ(TIZ_GetVoidPointer(h, "Job", "Title", &size, &status), nullptr);
  EXPECT_EQ(status, TIZ_E_WRONG_TYPE);
  EXPECT_EQ(TIZ_GetCharPointer(h, "Job", "Title", nullptr, &status), nullptr);
  EXPECT_EQ(status, TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_GetCharPointer(0, "Job", "Title", &size, &status), nullptr);
  EXPECT_EQ(status, TIZ_E_INVALID_HANDLE);

  uint32_t child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(h, "Stage", "", child), TIZ_OK);
  EXPECT_EQ(TIZ_GetCharPointer(child, "Job", "Title", &size, &status), again);
  EXPECT_EQ(status, TIZ_FOUND_IN_ANCESTOR);
  EXPECT_EQ(TIZ_Release(child), TIZ_OK);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractIteration, BufferIsThePreviousGroupAndAFullBufferHasNoTerminator) {
  uint32_t h = NewStore();
  for (const char *group : {"Scan", "AB", "Job", "scan", "ABC"})
    ASSERT_EQ(TIZ_SetSettingDword(h, group, "", 1), TIZ_OK);
  EXPECT_EQ(TIZ_IterateSetting(h, nullptr, 4), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_IterateSetting(0, nullptr, 4), TIZ_E_INVALID_ARG);  // before the handle
  char group[8] = "";
  EXPECT_EQ(TIZ_IterateSetting(h, group, sizeof group), TIZ_E_END_OF_ITERATION);  // not started
  EXPECT_EQ(TIZ_StartIteratorSorted(h), TIZ_OK);
  std::vector<std::string> seen;
  while (TIZ_IterateSetting(h, group, sizeof group) == TIZ_OK) seen.push_back(group);
  // The separator sorts above letters ("ABC" before "AB"); "Scan" and "scan"
  // differ only in case and, side by side, come out once.
  EXPECT_EQ(seen, (std::vector<std::string>{"ABC", "AB", "Job", "Scan"}));
  EXPECT_EQ(group[0], '\0');

  // A group of `len` bytes fills the buffer without a NUL, and is read back
  // as the previous group within those `len` bytes.
  EXPECT_EQ(TIZ_StartIteratorSorted(h), TIZ_OK);
  char three[4] = {'\0', 'x', 'x', 'x'};
  EXPECT_EQ(TIZ_IterateSetting(h, three, 3), TIZ_OK);
  EXPECT_EQ(std::string(three, 4), "ABCx");
  EXPECT_EQ(TIZ_IterateSetting(h, three, 3), TIZ_OK);
  EXPECT_EQ(std::string(three, 4), std::string("AB\0x", 4));
  EXPECT_EQ(TIZ_StartIteratorSorted(0), TIZ_NOT_FOUND);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractValues, ImageAndStructureOwnership) {
  uint32_t h = NewStore();
  uint32_t image = TALB_CreateImage(1, 2), other = TALB_CreateImage(3, 4);
  ASSERT_EQ(TIZ_SetSettingImage(h, "Image", "", image), TIZ_OK);
  EXPECT_EQ(TIZ_SetSettingImage(h, "Image", "", image), TIZ_OK);
  EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  EXPECT_EQ(TIZ_SetSettingImage(h, "Image", "", other), TIZ_OK);
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
  EXPECT_EQ(TIZ_SetSettingImage(h, "Image", "", 0), TIZ_OK);  // let go, not released
  EXPECT_EQ(TALB_ReleaseCount(other), 0u);
  TALB_ReleaseImage(other);

  tiz_test::Probe probe;
  EXPECT_EQ(TIZ_SetSettingStructure(h, "", "Data", &probe, tiz_test::ReleaseProbe, nullptr),
            TIZ_E_INVALID_ARG);
  EXPECT_EQ(probe.releases, 0);  // a failed set leaves the data the caller's
  ASSERT_EQ(TIZ_SetSettingStructure(h, "Data", "", &probe, tiz_test::ReleaseProbe, nullptr), 0);
  void *data = nullptr;
  EXPECT_EQ(TIZ_GetSettingStructure(h, "Data", "", &data), TIZ_OK);
  EXPECT_EQ(data, &probe);
  EXPECT_EQ(TIZ_SetSettingStructure(h, "Data", "", &probe, tiz_test::ReleaseProbe, nullptr), 0);
  EXPECT_EQ(probe.releases, 1);  // the same pointer again: released by the old value
  EXPECT_EQ(TIZ_DeleteSetting(h, "Data", ""), TIZ_OK);
  EXPECT_EQ(probe.releases, 2);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractDisplay, InvalidHandleAnswersZeroAndCutTextHasNoTerminator) {
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(h, "Scan", "Speed", 123456), TIZ_OK);
  char text[32];
  std::memset(text, 'x', sizeof text);
  EXPECT_EQ(TIZ_DisplayAttribute(0, "Scan", "Speed", text, sizeof text), TIZ_OK);
  EXPECT_EQ(text[0], 'x');
  EXPECT_EQ(TIZ_DisplayAttribute(h, "Scan", "Speed", text, 10), TIZ_TRUNCATED_DISPLAY);
  EXPECT_EQ(std::string(text, 10), "DWORD:\t123");
  EXPECT_EQ(text[10], 'x');
  EXPECT_EQ(TIZ_DisplayAttribute(h, "Scan", "Speed", text, sizeof text), TIZ_OK);
  EXPECT_STREQ(text, "DWORD:\t123456");
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractFiles, TreeFileNamesKeepOnlyTheirLastComponent) {
  tiz_test::ScratchDirectory dir;
  uint32_t h = NewStore();
  ASSERT_EQ(TIZ_SetSettingDword(h, "Scan", "Speed", 12), TIZ_OK);
  EXPECT_EQ(TIZ_Serialize(h, "/some/where/else/job.tree"), TIZ_OK);
  EXPECT_TRUE(std::filesystem::exists(dir.Path("job.tree")));
  EXPECT_EQ(TIZ_Serialize(h, ""), -2);  // the configuration library's code
  EXPECT_EQ(TIZ_Serialize(h, nullptr), -2);
  uint32_t back = NewStore();
  EXPECT_EQ(TIZ_Deserialize(back, "job.tree"), TIZ_OK);
  uint32_t speed = 0;
  EXPECT_EQ(TIZ_GetSettingDword(back, "Scan", "Speed", &speed), TIZ_OK);
  EXPECT_EQ(speed, 12u);
  EXPECT_EQ(TIZ_Deserialize(back, "missing.tree"), TIZ_OK);
  EXPECT_EQ(TIZ_Release(back), TIZ_OK);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

// A loaded child link is a child link again, holding no reference of its
// own: the getter's is the caller's, and the root's release takes it down.
TEST(ContractFiles, LoadedNestedStoresGoWithTheLoadedRoot) {
  tiz_test::ScratchDirectory dir;
  uint32_t h = NewStore(), child = NewStore();
  ASSERT_EQ(TIZ_SetSettingAttrStoreChild(h, "Stage", "", child), TIZ_OK);
  ASSERT_EQ(TIZ_SetSettingDword(child, "Deskew", "Angle", 3), TIZ_OK);
  ASSERT_EQ(TIZ_Serialize(h, "nested.tree"), TIZ_OK);
  EXPECT_EQ(TIZ_Release(child), TIZ_OK);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);

  uint32_t loaded = NewStore(), nested = 0;
  ASSERT_EQ(TIZ_Deserialize(loaded, "nested.tree"), TIZ_OK);
  ASSERT_EQ(TIZ_GetSettingAttrStore(loaded, "Stage", "", &nested), TIZ_OK);
  uint32_t parent = 0;
  EXPECT_EQ(TIZ_GetParent(nested, &parent), TIZ_OK);
  EXPECT_EQ(parent, loaded);
  EXPECT_EQ(RefCount(nested), 1);  // the getter's, ours
  EXPECT_EQ(TIZ_Release(nested), TIZ_OK);
  EXPECT_TRUE(Alive(nested));
  EXPECT_EQ(TIZ_Release(loaded), TIZ_OK);
  EXPECT_FALSE(Alive(nested));
}

TEST(ContractFiles, SettingsFileFailuresAndMissingFiles) {
  tiz_test::ScratchDirectory dir;
  uint32_t h = NewStore();
  EXPECT_EQ(TIZ_LoadSettings(h, "missing.settings"), TIZ_OK);
  EXPECT_EQ(TIZ_LoadSettings(h, ""), TIZ_OK);
  tiz_test::WriteFileText(dir.Path("a.settings"),
                          "Scan.Speed=12,Value\nGamma=nofile.bin,Table,filebuffer,4\nLate=1,x\n");
  EXPECT_EQ(TIZ_LoadSettings(h, "a.settings"), TIZ_E_OPEN_FILE);
  uint32_t value = 0;
  EXPECT_EQ(TIZ_GetSettingDword(h, "Scan.Speed", "Value", &value), TIZ_OK);  // before it stays
  EXPECT_EQ(TIZ_GetSettingDword(h, "Late", "x", &value), TIZ_NOT_FOUND);     // after it: not read
  tiz_test::WriteFileText(dir.Path("b.settings"), "Lonely\n");
  EXPECT_EQ(TIZ_LoadSettings(h, dir.Path("b.settings").string().c_str()), TIZ_E_INVALID_ARG);
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
}

TEST(ContractRecords, PackUnchangedWhenFullAndUnpackNeedsRoomForEveryField) {
  char buffer[17] = "";
  uint32_t twelve = 12;
  EXPECT_EQ(UtilAttribute_Pack(buffer, 16, "Scan", "Speed", 1, &twelve), TIZ_E_TOO_SMALL);
  EXPECT_STREQ(buffer, "");
  EXPECT_EQ(UtilAttribute_Pack(buffer, 17, "Scan", "Speed", 1, &twelve), TIZ_OK);
  EXPECT_STREQ(buffer, "Scan Speed 0 12\n");
  EXPECT_EQ(UtilAttribute_Pack(nullptr, 17, "Scan", "Speed", 1, &twelve), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(UtilAttribute_Count(buffer), 1);

  char group[5] = "g", item[5] = "i", str[5] = "s";
  uint32_t kind = 9, dword = 9;
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(buffer, 0, 5, group, item, &kind, &dword, str),
            TIZ_E_TOO_SMALL);  // "Speed" needs 6 bytes
  EXPECT_STREQ(group, "g");
  char g6[6], i6[6], s6[6] = "s";
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(buffer, 0, 6, g6, i6, &kind, &dword, s6), TIZ_OK);
  EXPECT_STREQ(i6, "Speed");
  EXPECT_EQ(kind, 0u);
  EXPECT_EQ(dword, 12u);
  EXPECT_STREQ(s6, "s");  // untouched for a DWORD
  EXPECT_EQ(UtilAttribute_UnpackOneAttribute(buffer, 1, 6, g6, i6, &kind, &dword, s6),
            TIZ_E_NO_RECORD);
}

}  // namespace
