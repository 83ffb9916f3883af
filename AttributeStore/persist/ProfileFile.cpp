#include "persist/ProfileFile.h"

#include <utility>

#include "platform/AnsiText.h"
#include "platform/FileSystem.h"

namespace tiz {

namespace {

using FileEncoding = ProfileDocument::FileEncoding;

FileEncoding EncodingOf(std::string_view bytes) {
  if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') return FileEncoding::kUtf16Le;
  if (bytes.size() >= 2 && bytes[0] == '\xFE' && bytes[1] == '\xFF') return FileEncoding::kUtf16Be;
  return FileEncoding::kBytes;
}

}  // namespace

ProfileDocument ProfileDocumentFromBytes(std::string bytes) {
  FileEncoding encoding = EncodingOf(bytes);
  if (encoding == FileEncoding::kBytes) return ProfileDocument(std::move(bytes));
  // After the mark; an odd last byte is no character.
  std::u16string units((bytes.size() - 2) / 2, u'\0');
  bool little = encoding == FileEncoding::kUtf16Le;
  for (size_t i = 0; i < units.size(); ++i) {
    auto first = static_cast<unsigned char>(bytes[2 + 2 * i]);
    auto second = static_cast<unsigned char>(bytes[3 + 2 * i]);
    units[i] = static_cast<char16_t>(little ? first | second << 8 : first << 8 | second);
  }
  const bool whole = bytes.size() % 2 == 0;
  // The file's bytes are done with: not held beside the text made of them.
  std::string().swap(bytes);
  std::string text = platform::Utf16ToAnsi(units);
  bool lossless = whole && platform::AnsiToUtf16(text) == units;
  ProfileDocument doc(std::move(text));
  doc.SetEncoding(encoding);
  if (!lossless) doc.MarkUnwritable();
  return doc;
}

std::string ProfileFileBytes(const ProfileDocument &doc) {
  if (doc.Encoding() == FileEncoding::kBytes) return doc.Render();
  std::u16string units = platform::AnsiToUtf16(doc.Render());
  bool little = doc.Encoding() == FileEncoding::kUtf16Le;
  std::string bytes(2 + 2 * units.size(), '\0');
  bytes[0] = little ? '\xFF' : '\xFE';
  bytes[1] = little ? '\xFE' : '\xFF';
  for (size_t i = 0; i < units.size(); ++i) {
    auto low = static_cast<char>(units[i] & 0xFF), high = static_cast<char>(units[i] >> 8);
    bytes[2 + 2 * i] = little ? low : high;
    bytes[3 + 2 * i] = little ? high : low;
  }
  return bytes;
}

int32_t LoadProfileFile(const std::string &path, ProfileDocument *doc) {
  std::string text;
  platform::FileStatus status = platform::ReadWholeFile(path.c_str(), &text);
  if (status == platform::FileStatus::kNotFound) {
    *doc = ProfileDocument();
    return 0;
  }
  if (status != platform::FileStatus::kOk) return kProfileFileFailed;
  *doc = ProfileDocumentFromBytes(std::move(text));
  return 0;
}

int32_t SaveProfileFile(const std::string &path, const ProfileDocument &doc) {
  if (!doc.Writable()) return kProfileFileFailed;
  platform::FileStatus status;
  if (doc.Encoding() == FileEncoding::kBytes) {
    // Written as it is rendered, never held whole: a tree file may run to
    // many megabytes.
    status = platform::ReplaceFileAtomically(
        path.c_str(), [&doc](const platform::PieceWriter &write) { doc.RenderInPieces(write); });
  } else {
    status = platform::ReplaceFileAtomically(path.c_str(), ProfileFileBytes(doc));
  }
  return status == platform::FileStatus::kOk ? 0 : kProfileFileFailed;
}

}  // namespace tiz
