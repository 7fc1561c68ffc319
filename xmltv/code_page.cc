// What code-page conversion is the same on every system.
#include <cstdint>

#include "xmltv/code_page.h"

std::string CodePageProblem(const std::string& page) {
  if (!CodePageKnown(page)) {
    return "unknown code page '" + page +
           "' (a name such as cp1252, ISO-8859-15 or KOI8-R, or a number such as 1252)";
  }
  if (!CodePageIsSingleByte(page)) {
    return "code page '" + page +
           "' has characters of more than one byte; a base's titles are in a single-byte code "
           "page, such as cp1252";
  }
  return {};
}

bool IsUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    if (lead < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
    if (length == 0 || lead > 0xF4 || i + length > text.size()) return false;
    std::uint32_t value = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    const bool overlong = (length == 3 && value < 0x800) || (length == 4 && value < 0x10000);
    if (overlong || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::size_t Utf8Length(std::string_view text) {
  const auto lead = static_cast<unsigned char>(text.front());
  std::size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  for (std::size_t i = 1; i < length; ++i) {
    if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) return i;
  }
  return length;
}
