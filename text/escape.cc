#include "text/escape.h"

#include <cstdio>

#include "text/utf8.h"

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

namespace {

// Characters that change the order or the look of the text around them
// without showing themselves: marks and overrides of direction, isolates,
// zero-width spaces and joiners, the byte-order mark. On the page a name or
// title holding one could pass for another; each is shown as "[U+XXXX]".
bool IsHiddenControl(char32_t c) {
  return c == 0x061C || (c >= 0x200B && c <= 0x200F) || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2060 && c <= 0x2064) || (c >= 0x2066 && c <= 0x2069) || c == 0xFEFF;
}

}  // namespace

std::string EscapeHtml(const std::string& text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (static_cast<unsigned char>(c) >= 0xC0) {
      const std::size_t length = Utf8Length(std::string_view(text).substr(i));
      const char32_t character = DecodeUtf8(std::string_view(text).substr(i, length));
      if (IsHiddenControl(character)) {
        char shown[16];
        std::snprintf(shown, sizeof shown, "[U+%04X]", static_cast<unsigned>(character));
        escaped += shown;
        i += length - 1;
        continue;
      }
    }
    switch (c) {
      case '&':
        escaped += "&amp;";
        break;
      case '<':
        escaped += "&lt;";
        break;
      case '>':
        escaped += "&gt;";
        break;
      case '"':
        escaped += "&quot;";
        break;
      case '\'':
        escaped += "&#39;";
        break;
      default:
        // Control characters have no place in HTML text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
          escaped += "\xEF\xBF\xBD";
        } else {
          escaped += c;
        }
    }
  }
  return escaped;
}

std::string BriefText(std::string_view text, std::size_t shown) {
  if (text.size() <= shown) return std::string(text);
  return std::string(CutUtf8(text, shown)) + "... (" + std::to_string(text.size()) + " bytes)";
}
