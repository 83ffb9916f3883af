#include "CodePageText.h"

#include <algorithm>

#include "Failure.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <iconv.h>

#include <cerrno>
#include <cstdlib>
#endif

namespace tiztool {

namespace {

bool IsAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

#ifdef _WIN32
std::wstring Wide(std::string_view text, UINT codePage, DWORD flags) {
  int length =
      MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), nullptr, 0);
  if (length <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(length), L'\0');
  MultiByteToWideChar(codePage, flags, text.data(), static_cast<int>(text.size()), wide.data(),
                      length);
  return wide;
}

std::string Narrow(const std::wstring &wide, UINT codePage, BOOL *lost) {
  int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr,
                                   0, nullptr, nullptr);
  std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length,
                      nullptr, codePage == CP_UTF8 ? nullptr : lost);
  return text;
}
#else
std::string IconvName() {
  const char *value = std::getenv("TIZ_CODEPAGE");
  int page = value ? std::atoi(value) : 1252;
  switch (page) {
    case 936:
      return "GBK";
    case 950:
      return "BIG5";
    case 0:
      return "CP1252";
    default:
      return "CP" + std::to_string(page);
  }
}

// Converts with iconv; a byte sequence the source does not define becomes
// `replacement` (or fails when it is empty).
bool Convert(const char *to, const char *from, std::string_view text, std::string_view replacement,
             std::string *out) {
  iconv_t converter = iconv_open(to, from);
  if (converter == reinterpret_cast<iconv_t>(-1)) return false;
  std::string input(text);
  char *in = input.data();
  size_t inLeft = input.size();
  std::string result;
  char buffer[256];
  bool ok = true;
  while (inLeft > 0) {
    char *outPtr = buffer;
    size_t outLeft = sizeof buffer;
    size_t done = iconv(converter, &in, &inLeft, &outPtr, &outLeft);
    result.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (done != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    if (replacement.empty()) {
      ok = false;
      break;
    }
    result.append(replacement);  // EILSEQ or EINVAL: skip one byte
    ++in;
    --inLeft;
  }
  iconv_close(converter);
  *out = std::move(result);
  return ok;
}
#endif

}  // namespace

std::string Utf8FromCodePage(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
#ifdef _WIN32
  return Narrow(Wide(text, CP_ACP, 0), CP_UTF8, nullptr);
#else
  std::string out;
  if (!Convert("UTF-8", IconvName().c_str(), text, "\xEF\xBF\xBD", &out)) return std::string(text);
  return out;
#endif
}

std::string CodePageFromUtf8(std::string_view text) {
  if (IsAscii(text)) return std::string(text);
#ifdef _WIN32
  BOOL lost = FALSE;
  std::string out = Narrow(Wide(text, CP_UTF8, MB_ERR_INVALID_CHARS), CP_ACP, &lost);
  if (lost || out.empty()) throw UsageError("the text has characters the ANSI code page lacks");
  return out;
#else
  std::string out;
  if (!Convert(IconvName().c_str(), "UTF-8", text, "", &out)) {
    throw UsageError("the text is no UTF-8 the code page " + IconvName() + " can hold");
  }
  return out;
#endif
}

}  // namespace tiztool
