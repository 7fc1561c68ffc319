#include "text/escape.h"

std::string EscapeControlBytes(std::string_view text, Backslash backslash) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      escaped += "\\t";
    } else if (c == '\r') {
      escaped += "\\r";
    } else if (c == '\n') {
      escaped += "\\n";
    } else if (c == '\\' && backslash == Backslash::kDoubled) {
      escaped += "\\\\";
    } else if (byte < 0x20) {
      const char* const digits = "0123456789ABCDEF";
      escaped += "\\x";
      escaped += digits[byte >> 4];
      escaped += digits[byte & 0xF];
    } else {
      escaped += c;
    }
  }
  return escaped;
}
