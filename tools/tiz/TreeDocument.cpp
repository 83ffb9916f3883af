#include "TreeDocument.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <system_error>

#include "Failure.h"
#include "StoreInternals.h"
#include "TreeCheck.h"
#include "tiz.h"

namespace fs = std::filesystem;

namespace tiztool {

std::string ReadWholeTreeFile(const fs::path &file) {
  std::error_code error;
  fs::file_status status = fs::status(file, error);
  if (!fs::exists(status)) throw Failure(file.string() + ": no such file");
  if (fs::is_directory(status)) throw Failure(file.string() + ": is a directory");
  std::ifstream in(file, std::ios::binary);
  if (!in) throw Failure(file.string() + ": cannot open the file: " + std::strerror(errno));
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) throw Failure(file.string() + ": cannot read the file completely");
  return text;
}

TreeDocument::TreeDocument(std::string file, std::string text)
    : fileName_(std::move(file)),
      doc_(std::move(text)),
      layout_(ReadLayout(doc_)),
      topName_(TopStoreName(layout_)),
      store_(StoreRef::Create()) {
  loadResult_ = LoadDocumentInto(store_.Get(), topName_, doc_);
}

TreeDocument TreeDocument::Open(const fs::path &file) {
  return FromText(file.string(), ReadWholeTreeFile(file));
}

TreeDocument TreeDocument::FromText(const std::string &file, std::string text) {
  return TreeDocument(file, std::move(text));
}

void TreeDocument::RequireCompleteLoad() const {
  if (layout_.sections.empty()) {
    bool text = false;
    doc_.ForEachKey(0, [&](const tiz::ProfileDocument::KeyEntry &) { text = true; });
    std::string rendered = doc_.Render();
    text = text || rendered.find_first_not_of(" \t\r\n") != std::string::npos;
    if (text) throw Failure(fileName_ + ": not a tree file (no sections)");
  }
  if (loadResult_ == TIZ_OK) return;
  // The load reports the last failing section; the check names each one.
  const Finding *cause = nullptr;
  std::vector<Finding> findings = CheckTree(*this);
  for (const Finding &finding : findings) {
    if (finding.loadResult == loadResult_) {
      cause = &finding;
      break;
    }
  }
  std::string where = cause ? fileName_ + ":" + std::to_string(cause->line) : fileName_;
  std::string why = cause ? cause->text + "; " : std::string();
  throw Failure(where + ": " + why + "the file does not load completely (" +
                DescribeResult(loadResult_) + ")");
}

StoreView TreeDocument::Read() const { return ReadStore(store_.Get(), fileName_); }

}  // namespace tiztool
