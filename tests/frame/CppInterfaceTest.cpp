// tiz.hpp over the C interface: the references a tiz::Store owns, seen
// through TIZ_* calls; every value type with its lookup result; errors as
// tiz::Error with the library's code and what it names; texts with a NUL
// refused; groups as a snapshot range; clone, files, structure values with
// callables; the image tree and text records.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ScratchDirectory.h"
#include "StoreInspection.h"
#include "core/AttributeStore.h"
#include "core/StoreHandles.h"
#include "talb310.h"
#include "tiz.hpp"

namespace {

using tiz_test::Alive;
using tiz_test::RefCount;

template <class Call>
int32_t CodeOf(Call &&call) {
  try {
    call();
  } catch (const tiz::Error &e) {
    return e.code();
  }
  return 0;
}

TEST(CppStore, CopyTakesAReferenceMoveTransfersDestructionGivesBack) {
  uint32_t h = 0;
  {
    tiz::Store a = tiz::Store::create();
    h = a.handle();
    EXPECT_EQ(RefCount(h), 1);
    {
      tiz::Store b = a;
      EXPECT_EQ(b.handle(), h);
      EXPECT_EQ(RefCount(h), 2);
      tiz::Store c = std::move(b);
      EXPECT_FALSE(b);
      EXPECT_EQ(RefCount(h), 2);
      tiz::Store d;
      d = c;
      EXPECT_EQ(RefCount(h), 3);
      d = tiz::Store::create();  // gives h's reference back, owns a new store
      EXPECT_EQ(RefCount(h), 2);
    }
    EXPECT_EQ(RefCount(h), 1);
    EXPECT_TRUE(Alive(h));
  }
  EXPECT_FALSE(Alive(h));
}

TEST(CppStore, AdoptShareAndDetach) {
  uint32_t h = 0;
  ASSERT_EQ(TIZ_Create(&h), TIZ_OK);
  {
    tiz::Store shared = tiz::Store::share(h);
    EXPECT_EQ(RefCount(h), 2);
  }
  tiz::Store adopted = tiz::Store::adopt(h);
  EXPECT_EQ(RefCount(h), 1);
  EXPECT_EQ(adopted.detach(), h);
  EXPECT_TRUE(Alive(h));
  EXPECT_EQ(TIZ_Release(h), TIZ_OK);
  EXPECT_FALSE(Alive(h));
  EXPECT_EQ(CodeOf([&] { tiz::Store::share(h); }), TIZ_E_INVALID_HANDLE);
}

TEST(CppValues, EveryTypeRoundTripsWithItsConfidence) {
  tiz::Store s = tiz::Store::create();
  s.set_dword("Scan", "Speed", 12);
  s.set_double("Scan", "Gamma", 2.2, 80);
  const std::string longText(300, 't');  // beyond the first guess of the getter
  s.set_string("Job", "Title", longText);
  std::vector<uint8_t> bytes(200);
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<uint8_t>(i);
  s.set_buffer("Gamma", "Table", bytes);
  s.set_buffer("Gamma", "Empty", nullptr, 0);
  std::vector<uint8_t> exact(64, 7);
  s.set_buffer("Gamma", "Exact", exact);

  auto speed = s.get_dword("Scan", "Speed");
  EXPECT_EQ(speed.where, tiz::Found::here);
  EXPECT_EQ(*speed, 12u);
  EXPECT_EQ(speed.confidence, 100);
  auto gamma = s.get_double("Scan", "Gamma");
  EXPECT_DOUBLE_EQ(*gamma, 2.2);
  EXPECT_EQ(gamma.confidence, 80);
  EXPECT_EQ(*s.get_string("Job", "Title"), longText);
  EXPECT_EQ(*s.get_buffer("Gamma", "Table"), bytes);
  EXPECT_TRUE(s.get_buffer("Gamma", "Empty")->empty());
  EXPECT_EQ(s.get_buffer("Gamma", "Empty").confidence, 100);
  EXPECT_EQ(*s.get_buffer("Gamma", "Exact"), exact);
  EXPECT_EQ(*s.type_of("Gamma", "Table"), TIZ_TYPE_BUFFER);
  EXPECT_EQ(*s.size_of("Job", "Title"), 301u);
  EXPECT_EQ(*s.display("Scan", "Speed"), "DWORD:\t12");
  EXPECT_EQ(*s.display("Job", "Title"), "String:\t" + longText);
  EXPECT_TRUE(s.set_confidence("Scan", "Speed", -5));
  EXPECT_EQ(s.get_dword("Scan", "Speed").confidence, -5);
  EXPECT_FALSE(s.set_confidence("Scan", "Missing", 1));
}

TEST(CppValues, ImagesBelongToTheSetting) {
  uint32_t image = TALB_CreateImage(1, 2);
  {
    tiz::Store s = tiz::Store::create();
    s.set_image("Image", "", image, 70);
    auto got = s.get_image("Image", "");
    EXPECT_EQ(*got, image);
    EXPECT_EQ(got.confidence, 70);
    EXPECT_EQ(TALB_ReleaseCount(image), 0u);
  }
  EXPECT_EQ(TALB_ReleaseCount(image), 1u);
}

TEST(CppValues, LookupSaysWhereItFoundTheSetting) {
  tiz::Store root = tiz::Store::create(), stage = tiz::Store::create();
  root.set_child("Stage", "Deskew", stage);
  root.set_dword("scan_duplex", "", 1);
  auto here = root.get_dword("scan_duplex", "");
  auto inherited = stage.get_dword("scan_duplex", "");
  auto absent = stage.get_dword("Nothing", "");
  EXPECT_EQ(here.where, tiz::Found::here);
  EXPECT_EQ(inherited.where, tiz::Found::in_ancestor);
  EXPECT_EQ(*inherited, 1u);
  EXPECT_EQ(absent.where, tiz::Found::absent);
  EXPECT_FALSE(absent);
  EXPECT_EQ(absent.value_or(9), 9u);
  EXPECT_EQ(CodeOf([&] { *absent; }), TIZ_NOT_FOUND);
  EXPECT_EQ(stage.parent().handle(), root.handle());
  EXPECT_FALSE(root.parent());
}

TEST(CppValues, NestedStoresComeWithAReferenceOfTheirOwn) {
  tiz::Store root = tiz::Store::create();
  uint32_t child = 0;
  {
    tiz::Store stage = tiz::Store::create();
    child = stage.handle();
    root.set_child("Stage", "", stage);
  }
  EXPECT_TRUE(Alive(child));  // no reference left, kept by its parent
  EXPECT_EQ(RefCount(child), 0);
  {
    auto got = root.get_store("Stage", "");
    EXPECT_EQ(got.where, tiz::Found::here);
    EXPECT_EQ(got->handle(), child);
    EXPECT_EQ(RefCount(child), 1);
    EXPECT_EQ(RefCount(root.handle()), 2);
  }
  EXPECT_EQ(RefCount(child), 0);
  EXPECT_EQ(RefCount(root.handle()), 1);

  tiz::Store plain = tiz::Store::create();
  root.set_store("Plain", "", plain);
  EXPECT_EQ(RefCount(plain.handle()), 1);  // a plain link adds none
  EXPECT_TRUE(root.remove("Plain", ""));
  EXPECT_FALSE(Alive(plain.handle()));  // deleting the setting destroyed it
  plain.detach();                       // nothing left to give back
  EXPECT_FALSE(root.remove("Plain", ""));
}

TEST(CppErrors, NegativeCodesAreThrownWithTheirCode) {
  tiz::Store s = tiz::Store::create();
  s.set_double("Scan", "Gamma", 2.2);
  s.set_buffer("Gamma", "Empty", nullptr, 0);
  EXPECT_EQ(CodeOf([&] { s.get_dword("Scan", "Gamma"); }), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(CodeOf([&] { s.get_string("Gamma", "Empty"); }), TIZ_E_WRONG_TYPE);
  EXPECT_EQ(CodeOf([&] { s.set_dword("", "x", 1); }), TIZ_E_INVALID_ARG);
  EXPECT_EQ(CodeOf([&] { s.set_child("Self", "", s); }), TIZ_E_CYCLE);
  tiz::Store none;
  EXPECT_EQ(CodeOf([&] { none.get_dword("Scan", "Gamma"); }), TIZ_E_INVALID_HANDLE);
  EXPECT_EQ(CodeOf([&] { none.display("Scan", "Gamma"); }), TIZ_E_INVALID_HANDLE);
  try {
    s.get_dword("Scan", "Gamma");
    FAIL();
  } catch (const tiz::Error &e) {
    EXPECT_NE(std::string(e.what()).find("-313"), std::string::npos);
  }
  EXPECT_EQ(*s.type_of("Self", ""), TIZ_TYPE_ATTRIBUTESTORE);  // written before the refusal
}

TEST(CppGroups, GroupsAreARangeAndLongNamesComeWhole) {
  tiz::Store s = tiz::Store::create();
  const std::string longGroup(600, 'L');
  for (const std::string &group : {std::string("Scan"), std::string("Job"), longGroup,
                                   std::string("Scan"), std::string("Deskew")})
    s.set_dword(group, "x" + std::to_string(group.size()), 1);
  s.set_dword("Job", "Other", 2);
  std::vector<std::string> seen;
  for (const std::string &group : s.groups()) seen.push_back(group);
  EXPECT_EQ(seen, (std::vector<std::string>{"Deskew", "Job", longGroup, "Scan"}));
  tiz::Store empty = tiz::Store::create();
  EXPECT_TRUE(empty.groups().empty());
}

TEST(CppGroups, NestedAndInterleavedLoopsEachSeeEveryGroup) {
  tiz::Store s = tiz::Store::create();
  for (const char *group : {"A", "B", "C"}) s.set_dword(group, "x", 1);
  std::vector<std::string> pairs;
  for (const std::string &outer : s.groups()) {
    for (const std::string &inner : s.groups()) pairs.push_back(outer + inner);
    // A change meanwhile leaves the outer loop as it was taken; each inner
    // loop takes the store as it is.
    s.set_dword("D" + outer, "x", 1);
  }
  EXPECT_EQ(pairs, (std::vector<std::string>{"AA", "AB", "AC", "BA", "BB", "BC", "BDA", "CA", "CB",
                                             "CC", "CDA", "CDB"}));
  tiz::Groups first = s.groups(), second = s.groups();
  auto a = first.begin(), b = second.begin();
  std::vector<std::string> interleaved;
  for (; a != first.end() && b != second.end(); ++a, ++b) interleaved.push_back(*a + *b);
  EXPECT_EQ(interleaved.size(), 6u);
  EXPECT_EQ(interleaved.front(), "AA");
}

TEST(CppErrors, WhatNamesTheFunctionTheCodeItsMeaningAndTheSetting) {
  tiz::Store s = tiz::Store::create();
  s.set_string("Job", "Title", "Front page");
  struct Case {
    std::function<void()> call;
    std::string what;
  };
  const Case cases[] = {
      {[&] { s.get_dword("Job", "Title"); },
       "TIZ_GetSettingConfidenceDword failed with result -313 (" +
           std::string(tiz_result_text(TIZ_E_WRONG_TYPE)) + ") for group \"Job\", item \"Title\""},
      {[&] { s.set_child("Job", "Self", s); },
       "TIZ_SetSettingConfidenceAttrStoreChild failed with result " + std::to_string(TIZ_E_CYCLE) +
           " (" + tiz_result_text(TIZ_E_CYCLE) + ") for group \"Job\", item \"Self\""},
      {[&] { tiz::Store().clone(); },
       "TIZ_Clone failed with result -16 (" + std::string(tiz_result_text(-16)) + ")"},
  };
  for (const Case &c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what;
    } catch (const tiz::Error &e) {
      EXPECT_EQ(std::string(e.what()), c.what);
    }
  }
}

TEST(CppErrors, NamesAndTextsHoldingANulAreRefusedNeverCut) {
  using namespace std::string_literals;
  tiz::Store s = tiz::Store::create();
  const std::string twoParts = "ab\0cd"s;
  struct Case {
    std::function<void()> call;
    std::string what;
  };
  const Case cases[] = {
      {[&] { s.set_string("Job", "Title", twoParts); },
       "tiz::Store::set_string: the text \"ab\\0cd\" holds a NUL at byte 2, which the C "
       "interface would cut there"},
      {[&] { s.set_dword("G\0one"s, "x", 1); },
       "tiz::Store: the group \"G\\0one\" holds a NUL at byte 1, which the C interface would "
       "cut there"},
      {[&] { s.get_dword("G", "\0"s); },
       "tiz::Store: the item \"\\0\" holds a NUL at byte 0, which the C interface would cut "
       "there"},
      {[&] { s.save("job\0.tree"s); },
       "tiz::Store::save: the file name \"job\\0.tree\" holds a NUL at byte 3, which the C "
       "interface would cut there"},
      {[&] { tiz::pack_records({tiz::Record::of_text("G", "I", twoParts)}); },
       "UtilAttribute_Pack: the text \"ab\\0cd\" holds a NUL at byte 2, which the C interface "
       "would cut there"},
  };
  for (const Case &c : cases) {
    try {
      c.call();
      ADD_FAILURE() << c.what;
    } catch (const tiz::Error &e) {
      EXPECT_EQ(e.code(), TIZ_E_INVALID_ARG);
      EXPECT_EQ(std::string(e.what()), c.what);
    }
  }
  EXPECT_TRUE(s.groups().empty());  // nothing was stored under a cut name
}

TEST(CppClone, TheCopyOwnsOneReference) {
  tiz::Store source = tiz::Store::create();
  source.set_string("Job", "Title", "Front page");
  tiz::Store child = tiz::Store::create();
  source.set_child("Stage", "", child);
  tiz::Store extra = source;  // the source now counts more holders
  uint32_t copyHandle = 0;
  {
    tiz::Store copy = source.clone();
    copyHandle = copy.handle();
    EXPECT_EQ(*copy.get_string("Job", "Title"), "Front page");
    auto stage = copy.get_store("Stage", "");
    ASSERT_TRUE(stage);
    EXPECT_NE(stage->handle(), child.handle());
    EXPECT_EQ(stage->parent().handle(), copyHandle);
  }
  EXPECT_FALSE(Alive(copyHandle));
}

TEST(CppFiles, SaveLoadAndSettingsFiles) {
  tiz_test::ScratchDirectory dir;
  tiz::Store s = tiz::Store::create();
  s.set_dword("Scan", "Speed", 12);
  s.save("dir/ignored/job.tree");
  EXPECT_TRUE(std::filesystem::exists(dir.Path("job.tree")));
  tiz::Store back = tiz::Store::create();
  back.load("job.tree");
  EXPECT_EQ(*back.get_dword("Scan", "Speed"), 12u);
  EXPECT_EQ(CodeOf([&] { back.save(""); }), -2);

  tiz_test::WriteFileText(dir.Path("scan.settings"), "Scan.Gamma=2.2,Value,double\n");
  back.load_settings("scan.settings");
  EXPECT_DOUBLE_EQ(*back.get_double("Scan.Gamma", "Value"), 2.2);
}

struct Counted {
  int *releases;
  std::string name;
};

TEST(CppStructures, CallablesReleaseAndDisplayTheValue) {
  int releases = 0;
  {
    tiz::Store s = tiz::Store::create();
    s.set_structure<Counted>(
        "Data", "", Counted{&releases, "scanner"}, [](Counted &c) { ++*c.releases; },
        [](const Counted &c) { return "Counted " + c.name; });
    auto got = s.get_structure<Counted>("Data", "");
    ASSERT_TRUE(got);
    EXPECT_EQ((*got)->name, "scanner");
    EXPECT_EQ(*s.display("Data", ""), "Counted scanner");
    EXPECT_EQ(CodeOf([&] { s.get_structure<int>("Data", ""); }), TIZ_E_WRONG_TYPE);
    EXPECT_EQ(releases, 0);

    // A refused set calls nothing: the value was never the library's.
    EXPECT_EQ(CodeOf([&] {
                s.set_structure<Counted>("", "", Counted{&releases, "x"},
                                         [](Counted &c) { ++*c.releases; });
              }),
              TIZ_E_INVALID_ARG);
    EXPECT_EQ(releases, 0);

    s.set_structure<Counted>("Data", "", Counted{&releases, "second"},
                             [](Counted &c) { ++*c.releases; });
    EXPECT_EQ(releases, 1);  // the first value went when it was replaced
  }
  EXPECT_EQ(releases, 2);  // the second with the store
}

TEST(CppImageTree, APageGrowsAChainOfBagsThatReadEachOther) {
  tiz::Store global = tiz::Store::create();
  tiz::Store ui = tiz::Store::create();
  global.set_store("ui.bag", "Attribute.Value", ui);
  tiz::ImageTree tree(global);
  tree.start_page();
  EXPECT_TRUE(tree.front_is_current());
  tiz::Store scan = tree.append_bag();
  scan.set_dword("Scan.Resolution", "Attribute.Value", 300);
  tiz::Store deskew = tree.append_bag();
  EXPECT_EQ(tree.current_bag().handle(), deskew.handle());
  auto resolution = deskew.get_dword("Scan.Resolution", "Attribute.Value");
  EXPECT_EQ(resolution.where, tiz::Found::in_ancestor);
  EXPECT_EQ(*resolution, 300u);
  EXPECT_FALSE(tiz::ImageTree::is_back_side_bag(deskew));
  EXPECT_TRUE(tree.persistent_bag());

  tree.set_black_background(true);
  EXPECT_TRUE(tree.black_background());
  EXPECT_EQ(CodeOf([&] { tree.zoomed_dpi(0); }), TIZ_E_NO_DPI);
  tree.save_chain(scan);  // the chain below the scan's bag is set aside, and back
  tree.restore_chain(scan);

  tree.destroy();
  EXPECT_FALSE(tree.global_bag());
  EXPECT_FALSE(Alive(global.handle()));
  EXPECT_EQ(CodeOf([&] { deskew.get_dword("Scan.Resolution", "Attribute.Value"); }),
            TIZ_E_INVALID_HANDLE);
  for (tiz::Store *gone : {&global, &scan, &deskew}) gone->detach();
}

TEST(CppRecords, PackedRecordsUnpackAsTheyWere) {
  const std::string longText(700, 'x');  // beyond the first buffers
  const std::vector<tiz::Record> records = {
      tiz::Record::of_dword("Scan", "Speed", 4294967295u),
      tiz::Record::of_text("Job", "Title", "Front page"),
      tiz::Record::of_text("Long", "Text", longText),
  };
  const std::string text = tiz::pack_records(records);
  EXPECT_EQ(text.rfind("Scan Speed 0 -1\nJob Title 1 Front page\nLong Text 1 ", 0), 0u) << text;
  EXPECT_EQ(tiz::count_records(text), 3u);
  std::vector<tiz::Record> back = tiz::unpack_records(text);
  ASSERT_EQ(back.size(), 3u);
  for (size_t i = 0; i < back.size(); ++i) {
    EXPECT_EQ(back[i].group, records[i].group);
    EXPECT_EQ(back[i].item, records[i].item);
    EXPECT_EQ(back[i].is_dword, records[i].is_dword);
    EXPECT_EQ(back[i].dword, records[i].dword);
    EXPECT_EQ(back[i].text, records[i].text);
  }
  EXPECT_EQ(CodeOf([] { tiz::unpack_records("Scan Speed zero 1\n"); }), TIZ_E_NO_RECORD);
}

}  // namespace
