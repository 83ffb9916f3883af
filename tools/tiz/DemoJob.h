// A scanning job run through the library the way the pipeline runs one: a
// global bag with its defaults and UI bags, a fresh image tree per page, a
// few stages per side that append bags, store results and stand-in images
// and read what earlier stages left through the parent chain.
#ifndef TIZ_TOOL_DEMOJOB_H
#define TIZ_TOOL_DEMOJOB_H

#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>

#include "StoreRef.h"

namespace tiztool {

class DemoJob {
 public:
  // Writes its progress, one line per step worth seeing, to `log`.
  // `directory` names the job in error messages.
  DemoJob(const std::filesystem::path &directory, bool duplex, std::ostream &log);
  ~DemoJob();
  DemoJob(const DemoJob &) = delete;
  DemoJob &operator=(const DemoJob &) = delete;

  // Builds the global bag and loads its defaults and UI bags from the
  // settings files in the job's directory.
  void Prepare(const std::filesystem::path &defaultsFile, const std::filesystem::path &uiFile);
  void ScanPage(int page);
  // Saves the global bag with everything below it as a tree file.
  void SaveTree(const std::filesystem::path &file);
  // Tears the image tree down and frees the global bag.
  void Finish();

  // The global bag, as the pipeline holds it; valid until Finish.
  uint32_t GlobalBag() const { return m_global; }
  int BagsAppended() const { return m_bagsAppended; }
  int ImagesStored() const { return m_imagesStored; }

 private:
  void ScanSide(int page, bool front);
  void SetAsideAndRestore(const std::string &where);
  StoreRef CurrentBag(const std::string &where);
  StoreRef AppendBag(const std::string &where);
  void StoreImage(uint32_t image, bool cached, const std::string &where);
  void Step(int32_t result, const std::string &action);
  int32_t Read(int32_t result, const std::string &action);

  std::string m_where;
  bool m_duplex;
  std::ostream &m_log;
  uint32_t m_global = 0;
  uint32_t m_blackBackground = 0;
  uint32_t m_dpi = 0;
  int m_bagsAppended = 0;
  int m_imagesStored = 0;
};

}  // namespace tiztool

#endif
