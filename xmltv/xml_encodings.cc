#include "xmltv/xml_encodings.h"

#include <libxml/encoding.h>

#include <array>
#include <cstddef>
#include <string>
#include <utility>

#include "xmltv/code_page.h"

namespace {

// The parser knows UTF-8, UTF-16, ISO-8859-1 and (built without iconv, as on
// Windows) the rest of ISO 8859 itself; these are the other pages in which
// listings are written, read through our own tables on every system (on
// Linux in place of the parser's iconv). Each name is followed by its other spellings.
struct Encoding {
  const char* name;
  const char* aliases[2];
};
constexpr Encoding kEncodings[] = {
    {"windows-1250", {"cp1250"}},
    {"windows-1251", {"cp1251"}},
    {"windows-1252", {"cp1252"}},
    {"windows-1253", {"cp1253"}},
    {"windows-1254", {"cp1254"}},
    {"windows-1255", {"cp1255"}},
    {"windows-1256", {"cp1256"}},
    {"windows-1257", {"cp1257"}},
    {"windows-1258", {"cp1258"}},
    {"KOI8-R", {}},
    {"KOI8-U", {}},
    {"IBM866", {"cp866"}},
};
constexpr std::size_t kEncodingCount = std::size(kEncodings);

// Each byte of each page as UTF-8.
std::array<std::array<std::string, 256>, kEncodingCount> utf8_of;

// The parser's conversion functions take no context: one function a page.
template <std::size_t Page>
int Decode(unsigned char* out, int* out_length, const unsigned char* in, int* in_length) {
  int written = 0;
  int read = 0;
  while (read < *in_length) {
    const std::string& character = utf8_of[Page][in[read]];
    if (written + static_cast<int>(character.size()) > *out_length) break;
    for (const char byte : character) out[written++] = static_cast<unsigned char>(byte);
    ++read;
  }
  *out_length = written;
  *in_length = read;
  return written;
}

template <std::size_t... Page>
void RegisterAll(std::index_sequence<Page...>) {
  ((void)xmlNewCharEncodingHandler(kEncodings[Page].name, Decode<Page>, nullptr), ...);
}

}  // namespace

void RegisterCodePageEncodings() {
  static const bool registered = [] {
    for (std::size_t page = 0; page < kEncodingCount; ++page) {
      // Every name is one of our pages, so each byte reads as on every system.
      for (unsigned byte = 0; byte < 256; ++byte) {
        utf8_of[page][byte] =
            ToUtf8(kEncodings[page].name, std::string(1, static_cast<char>(byte)));
      }
      for (const char* alias : kEncodings[page].aliases) {
        if (alias != nullptr) xmlAddEncodingAlias(kEncodings[page].name, alias);
      }
    }
    RegisterAll(std::make_index_sequence<kEncodingCount>());
    return true;
  }();
  (void)registered;
}
