#include "DemoJob.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "Failure.h"
#include "TreeFiles.h"
#include "talb310.h"
#include "tiz.h"

namespace tiztool {

namespace {

// The names the pipeline's bag conventions use.
constexpr const char *kValue = "Attribute.Value";
constexpr const char *kDefaultsBag = "defaults.bag";
constexpr const char *kUiBag = "ui.bag";
constexpr const char *kDuplex = "scan_duplex";

// The scanner resolutions of the DPI mask bits.
struct Resolution {
  uint32_t bit;
  uint32_t dpi;
};
constexpr Resolution kResolutions[] = {{0x0001, 75},  {0x0002, 100}, {0x0004, 150},
                                       {0x0008, 200}, {0x0010, 240}, {0x0020, 300},
                                       {0x0040, 400}, {0x2000, 500}, {0x0080, 600}};

uint32_t DpiOfFlag(uint32_t flag) {
  for (const Resolution &resolution : kResolutions) {
    if (resolution.bit == flag) return resolution.dpi;
  }
  return 0;
}

std::string Fixed(double value, int digits) {
  char text[64];
  std::snprintf(text, sizeof text, "%.*f", digits, value);
  return text;
}

}  // namespace

DemoJob::DemoJob(const std::filesystem::path &directory, bool duplex, std::ostream &log)
    : m_where(directory.string()), m_duplex(duplex), m_log(log) {}

DemoJob::~DemoJob() {
  if (m_global != 0) TIZ_UtilDestroyImageTree(m_global);
}

void DemoJob::Step(int32_t result, const std::string &action) { Check(result, m_where, action); }

int32_t DemoJob::Read(int32_t result, const std::string &action) {
  if (result < 0) FailWithResult(m_where, action, result);
  return result;
}

void DemoJob::Prepare(const std::filesystem::path &defaultsFile,
                      const std::filesystem::path &uiFile) {
  StoreRef global = StoreRef::Create();
  StoreRef defaults = StoreRef::Create();
  StoreRef ui = StoreRef::Create();
  // The global bag owns the defaults bag, which owns the UI bag: what the
  // operator did not choose is read from the defaults. The global bag also
  // keeps a plain shortcut to the UI bag, where the image trees hang.
  Step(TIZ_SetSettingAttrStoreChild(global.Get(), kDefaultsBag, kValue, defaults.Get()),
       "linking the defaults bag");
  Step(TIZ_SetSettingAttrStore(global.Get(), kUiBag, kValue, ui.Get()), "linking the UI bag");
  Step(TIZ_SetSettingAttrStoreChild(defaults.Get(), kUiBag, kValue, ui.Get()),
       "linking the UI bag below the defaults");
  Step(TIZ_SetSettingDword(global.Get(), kDuplex, kValue, m_duplex ? 1 : 0), "setting duplex");
  ApplySettingsFile(defaults.Get(), defaultsFile);
  ApplySettingsFile(ui.Get(), uiFile);
  m_global = global.Detach();  // torn down by Finish, not released

  Step(TIZ_UtilGetScannerIsBlackBackground(m_global, &m_blackBackground),
       "reading the black-background flag");
  uint32_t mask = 0, dpiFlag = 0, zoom = 0, percent = 0, destination = 0;
  Read(TIZ_GetSettingDword(ui.Get(), "scanner_dpi_mask", kValue, &mask), "reading the DPI mask");
  Read(TIZ_GetSettingDword(ui.Get(), "scan_zoom_percent", kValue, &percent), "reading the zoom");
  Read(TIZ_GetSettingDword(ui.Get(), "Destination.Vertical_DPI", kValue, &destination),
       "reading the destination resolution");
  Step(TIZ_UtilGetZoomedBICDPI(m_global, mask, &dpiFlag, &zoom), "choosing the zoomed resolution");
  m_dpi = DpiOfFlag(dpiFlag);
  m_log << "scanner: black background " << m_blackBackground << "; " << percent << "% of "
        << destination << " dpi is scanned at " << m_dpi << " dpi and scaled by "
        << Fixed(zoom / 100.0, 2) << "%\n";
}

void DemoJob::ScanPage(int page) {
  Step(TIZ_UtilReInitImageTree(m_global), "starting page " + std::to_string(page));
  ScanSide(page, true);
  if (m_duplex) {
    Step(TIZ_UtilSetSide(m_global, 0), "turning to the back of page " + std::to_string(page));
    ScanSide(page, false);
  }
}

StoreRef DemoJob::CurrentBag(const std::string &where) {
  uint32_t bag = 0;
  Step(TIZ_UtilGetCurrentBag(m_global, 1, &bag), where + ": finding the current bag");
  return StoreRef(bag);
}

StoreRef DemoJob::AppendBag(const std::string &where) {
  uint32_t bag = 0;
  Step(TIZ_UtilAppendNewCurrentBag(m_global, 1, &bag), where + ": appending a bag");
  ++m_bagsAppended;
  return StoreRef(bag);
}

void DemoJob::StoreImage(uint32_t image, bool cached, const std::string &where) {
  Step(TIZ_UtilUpdateStoredImages(m_global, image, cached ? 1 : 0), where + ": storing an image");
  ++m_bagsAppended;  // each stored image gets a bag of its own
  ++m_imagesStored;
}

void DemoJob::ScanSide(int page, bool front) {
  const std::string side = front ? "front" : "back";
  const std::string where = "page " + std::to_string(page) + " " + side;

  // Scan: the page image (a stand-in) goes into a new bag of the side.
  StoreImage(TALB_CreateImage(static_cast<uint16_t>(page), front ? 1 : 2), false, where);
  {
    StoreRef bag = CurrentBag(where);
    Step(TIZ_SetSettingDword(bag.Get(), "Scan.Resolution", kValue, m_dpi), where + ": scan");
    Step(TIZ_SetSettingDword(bag.Get(), "Scan.Page", kValue, static_cast<uint32_t>(page)),
         where + ": scan");
    Step(TIZ_SetSettingString(bag.Get(), "Scan.Side", kValue, side.c_str()), where + ": scan");
  }

  // Deskew: bounded by the scanner's default, found up the chain.
  double angle = 0;
  {
    StoreRef bag = AppendBag(where);
    double maxAngle = 0;
    Read(TIZ_GetSettingDouble(bag.Get(), "Deskew.Max_Angle", kValue, &maxAngle),
         where + ": deskew");
    angle = std::min(maxAngle, 0.35 * page) * (front ? 1 : -1);
    Step(TIZ_SetSettingDouble(bag.Get(), "Deskew.Angle", kValue, angle), where + ": deskew");
    unsigned char histogram[8];
    for (int i = 0; i < 8; ++i) histogram[i] = static_cast<unsigned char>(page * 16 + i * 31);
    Step(TIZ_SetSettingBuffer(bag.Get(), "Deskew.Histogram", kValue, histogram, sizeof histogram),
         where + ": deskew");
  }

  if (page == 1 && front) SetAsideAndRestore(where);

  // Crop: the document size comes from the UI bag, the resolution from the
  // scan bag, both through the parent chain.
  uint32_t width = 0, height = 0;
  {
    StoreRef bag = AppendBag(where);
    uint32_t widthMm = 0, heightMm = 0, resolution = 0, isBack = 0;
    Read(TIZ_GetSettingDword(bag.Get(), "Document.Width_mm", kValue, &widthMm), where + ": crop");
    Read(TIZ_GetSettingDword(bag.Get(), "Document.Height_mm", kValue, &heightMm), where + ": crop");
    Read(TIZ_GetSettingDword(bag.Get(), "Scan.Resolution", kValue, &resolution), where + ": crop");
    width = static_cast<uint32_t>(std::lround(widthMm * resolution / 25.4));
    height = static_cast<uint32_t>(std::lround(heightMm * resolution / 25.4));
    Step(TIZ_SetSettingDword(bag.Get(), "Crop.Width", kValue, width), where + ": crop");
    Step(TIZ_SetSettingDword(bag.Get(), "Crop.Height", kValue, height), where + ": crop");
    Step(TIZ_UtilIsABackSideBag(bag.Get(), &isBack), where + ": crop");
    if ((isBack != 0) == front) throw Failure(m_where + ": " + where + ": bag on the wrong side");
  }

  // Threshold: the default level, lowered on a black background; the
  // bitonal result is kept as a cached image.
  uint32_t level = 0;
  {
    StoreRef bag = AppendBag(where);
    Read(TIZ_GetSettingDword(bag.Get(), "Threshold.Level", kValue, &level), where + ": threshold");
    if (m_blackBackground != 0 && level >= 16) level -= 16;
    Step(TIZ_SetSettingDword(bag.Get(), "Threshold.Level", kValue, level), where + ": threshold");
  }
  StoreImage(TALB_CreateImage(static_cast<uint16_t>(page), front ? 11 : 12), true, where);

  m_log << where << ": deskew " << Fixed(angle, 2) << " degrees, crop " << width << " x " << height
        << " pixels, threshold " << level << ", 2 images\n";
}

// Sets the side's chain aside, runs a trial in an empty bag that sees none
// of it, and brings the chain back.
void DemoJob::SetAsideAndRestore(const std::string &where) {
  uint32_t persistent = 0;
  Step(TIZ_UtilGetPersistentBag(m_global, 1, &persistent), where + ": finding the persistent bag");
  StoreRef persistentRef(persistent);
  Step(TIZ_UtilSaveCurrentImageTree(m_global, persistent), where + ": setting the chain aside");

  uint32_t trial = 0;
  int32_t seen = 0;
  {
    StoreRef bag = CurrentBag(where);
    double angle = 0;
    seen = Read(TIZ_GetSettingDouble(bag.Get(), "Deskew.Angle", kValue, &angle), where + ": trial");
    Step(TIZ_SetSettingDword(bag.Get(), "Trial.Threshold", kValue, 96), where + ": trial");
    trial = bag.Get();
  }  // the bag lives on in the tree until the restore frees it
  Step(TIZ_UtilRestoreSavedImageTree(m_global, trial), where + ": restoring the chain");

  StoreRef bag = CurrentBag(where);
  double angle = 0;
  int32_t back = Read(TIZ_GetSettingDouble(bag.Get(), "Deskew.Angle", kValue, &angle),
                      where + ": after the restore");
  m_log << where << ": chain set aside (a trial bag reads Deskew.Angle with result " << seen
        << ") and restored (result " << back << ")\n";
}

void DemoJob::SaveTree(const std::filesystem::path &file) { ReplaceWholeTreeFile(m_global, file); }

void DemoJob::Finish() {
  uint32_t global = m_global;
  m_global = 0;
  Step(TIZ_UtilDestroyImageTree(global), "tearing the image tree down");
}

}  // namespace tiztool
