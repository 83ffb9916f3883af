// Conversions through the process's ANSI code page, as Windows makes them.
#include <windows.h>

#include "platform/AnsiText.h"

namespace tiz::platform {

std::string Utf16ToAnsi(std::u16string_view text) {
  if (text.empty()) return std::string();
  const auto *wide = reinterpret_cast<const wchar_t *>(text.data());
  int length = static_cast<int>(text.size());
  int size = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide, length, out.data(), size, nullptr, nullptr);
  return out;
}

std::u16string AnsiToUtf16(std::string_view text) {
  if (text.empty()) return std::u16string();
  int length = static_cast<int>(text.size());
  int size = MultiByteToWideChar(CP_ACP, 0, text.data(), length, nullptr, 0);
  std::u16string out(static_cast<size_t>(size), u'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), length, reinterpret_cast<wchar_t *>(out.data()),
                      size);
  return out;
}

}  // namespace tiz::platform
