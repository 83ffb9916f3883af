// The C example again, the C++ way: tiz.hpp owns the references, reports
// where each value was found, and throws tiz::Error for a failure. Then one
// page through the pipeline's image tree, its results packed as text
// records.
#include <cstdio>

#include "tiz.hpp"

namespace {

// One page: a bag per stage, each reading the earlier stages' results
// through the chain, and the last bag's results as record text.
void ScanOnePage() {
  tiz::set_logging(false);  // no trace lines on standard error
  tiz::Store global = tiz::Store::create();
  tiz::Store ui = tiz::Store::create();
  global.set_store("ui.bag", "Attribute.Value", ui);  // where the image trees hang
  tiz::ImageTree tree(global);
  tree.set_black_background(true);

  tree.start_page();
  tiz::Store scan = tree.append_bag();
  scan.set_dword("Scan.Resolution", "Attribute.Value", 300);
  tiz::Store deskew = tree.append_bag();
  deskew.set_double("Deskew.Angle", "Attribute.Value", 0.35);
  auto resolution = deskew.get_dword("Scan.Resolution", "Attribute.Value");
  std::printf("page 1 %s: deskew reads the scan's %u dpi (%s), black background %d\n",
              tree.front_is_current() ? "front" : "back", *resolution,
              resolution.where == tiz::Found::in_ancestor ? "from an earlier bag" : "here",
              tree.black_background() ? 1 : 0);

  std::string records = tiz::pack_records({
      tiz::Record::of_dword("Scan.Resolution", "Attribute.Value", *resolution),
      tiz::Record::of_text("Scan.Side", "Attribute.Value", "front page"),
  });
  std::printf("records:\n%s", records.c_str());
  for (const tiz::Record &record : tiz::unpack_records(records)) {
    std::printf("  %s/%s = ", record.group.c_str(), record.item.c_str());
    if (record.is_dword) {
      std::printf("%u\n", record.dword);
    } else {
      std::printf("%s\n", record.text.c_str());
    }
  }
  // The Stores give their references back on the way out: the bags go
  // with the global bag.
}

}  // namespace

int main() {
  try {
    ScanOnePage();
    tiz::Store root = tiz::Store::create();
    tiz::Store stage = tiz::Store::create();
    root.set_dword("scan_duplex", "Attribute.Value", 1);
    root.set_string("Job", "Title", "Front page");
    root.set_double("Scan", "Gamma", 2.2);
    root.set_child("Stage", "Deskew", stage);
    stage.set_dword("Deskew", "Angle", 3);

    auto duplex = stage.get_dword("scan_duplex", "Attribute.Value");
    auto title = root.get_string("Job", "Title");
    auto gamma = root.get_double("Scan", "Gamma");
    auto angle = stage.get_dword("Deskew", "Angle");
    std::printf("scan_duplex = %u (%s)\n", *duplex,
                duplex.where == tiz::Found::in_ancestor ? "found in the parent" : "found here");
    std::printf("Job.Title   = %s\n", title->c_str());
    std::printf("Scan.Gamma  = %.1f\n", *gamma);
    std::printf("Deskew.Angle = %u\n", *angle);
    std::printf("groups of the root:");
    for (const std::string &group : root.groups()) std::printf(" %s", group.c_str());
    std::printf("\n");

    stage.get_dword("Job", "Title");  // a STRING read as a DWORD: throws
  } catch (const tiz::Error &e) {
    // Both stores are released on the way out, the child with its parent.
    std::printf("error as expected: %s (code %d)\n", e.what(), e.code());
    return e.code() == TIZ_E_WRONG_TYPE ? 0 : 1;
  }
  return 1;
}
