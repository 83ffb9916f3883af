// The C example again, the C++ way: tiz.hpp owns the references, reports
// where each value was found, and throws tiz::Error for a failure.
#include <cstdio>

#include "tiz.hpp"

int main() {
  try {
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
