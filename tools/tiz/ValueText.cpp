#include "ValueText.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "CodePageText.h"
#include "tiz.h"

namespace tiztool {

std::string TypeKeyword(int32_t type) {
  switch (type) {
    case TIZ_TYPE_ATTRIBUTESTORE:
      return "ATTRIBUTESTORE";
    case TIZ_TYPE_DWORD:
      return "DWORD";
    case TIZ_TYPE_DOUBLE:
      return "DOUBLE";
    case TIZ_TYPE_STRING:
      return "STRING";
    case TIZ_TYPE_BUFFER:
      return "BUFFER";
    case TIZ_TYPE_IMAGE:
      return "IMAGE";
    case TIZ_TYPE_USERDEFINED:
      return "USERDEFINED";
    default:
      return "UNDEFINED";
  }
}

std::string Printable(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    unsigned char byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\r') {
      out += "\\r";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      out += c;
    }
  }
  return out;
}

std::string TerminalText(std::string_view text) { return Printable(Utf8FromCodePage(text)); }

std::string DisplayedValue(const SettingView &setting) {
  const std::string &display = setting.display;
  size_t tab = display.find('\t');
  return TerminalText(tab == std::string::npos ? display : display.substr(tab + 1));
}

std::string ShownValue(const SettingView &setting) { return TerminalText(ExactValue(setting)); }

std::string ExactValue(const SettingView &setting) {
  switch (setting.type) {
    case TIZ_TYPE_DWORD:
    case TIZ_TYPE_IMAGE:
      return std::to_string(setting.number);
    case TIZ_TYPE_DOUBLE: {
      if (std::isnan(setting.real)) return "nan";
      if (std::isinf(setting.real)) return setting.real < 0 ? "-inf" : "inf";
      char text[64];
      auto written = std::to_chars(text, text + sizeof text, setting.real);
      return std::string(text, written.ptr);
    }
    case TIZ_TYPE_STRING:
      return setting.bytes;
    case TIZ_TYPE_BUFFER:
      return HexOf(setting.bytes);
    case TIZ_TYPE_ATTRIBUTESTORE:
      return setting.nested ? setting.nested->name : std::string();
    default:
      return setting.display;
  }
}

std::string HexOf(std::string_view bytes) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string hex;
  hex.reserve(bytes.size() * 2);
  for (char c : bytes) {
    unsigned char byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 0x0f];
  }
  return hex;
}

std::optional<std::string> BytesOfHex(std::string_view hex) {
  if (hex.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  for (size_t i = 0; i < hex.size(); i += 2) {
    unsigned value = 0;
    auto parsed = std::from_chars(hex.data() + i, hex.data() + i + 2, value, 16);
    if (parsed.ec != std::errc() || parsed.ptr != hex.data() + i + 2) return std::nullopt;
    bytes += static_cast<char>(value);
  }
  return bytes;
}

std::optional<uint32_t> ParseDword(std::string_view text) {
  bool negative = !text.empty() && text.front() == '-';
  if (negative) text.remove_prefix(1);
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    base = 16;
    text.remove_prefix(2);
  }
  uint64_t value = 0;
  auto parsed = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  if (negative ? value > 0x80000000ull : value > 0xffffffffull) return std::nullopt;
  return static_cast<uint32_t>(negative ? 0 - value : value);
}

std::optional<double> ParseDouble(std::string_view text) {
  double value = 0;
  auto parsed = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || parsed.ec != std::errc() || parsed.ptr != text.data() + text.size()) {
    return std::nullopt;
  }
  return value;
}

}  // namespace tiztool
