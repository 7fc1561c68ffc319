#include "xmltv/xml_encodings.h"

#include <libxml/encoding.h>

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <utility>

#include "text/code_page.h"

namespace {

// The parser knows UTF-8, UTF-16 and ISO-8859-1 alike everywhere; every
// other single-byte page a listing may be declared in is read through our
// own tables, so that a document reads the same on every system: in place of
// iconv on Linux, and of the parser's own ISO 8859 tables on Windows (whose
// ISO-8859-7 lacks the euro). Each is also known by the page's "cp" name.
constexpr const char* kEncodings[] = {
    "windows-1250", "windows-1251", "windows-1252", "windows-1253", "windows-1254", "windows-1255",
    "windows-1256", "windows-1257", "windows-1258", "KOI8-R",       "KOI8-U",       "IBM866",
    "ISO-8859-2",   "ISO-8859-3",   "ISO-8859-4",   "ISO-8859-5",   "ISO-8859-6",   "ISO-8859-7",
    "ISO-8859-8",   "ISO-8859-9",   "ISO-8859-10",  "ISO-8859-11",  "ISO-8859-13",  "ISO-8859-14",
    "ISO-8859-15",  "ISO-8859-16",
};
// The parser looks a name up among its aliases before its handlers, so ours
// are registered under names of our own that every spelling is an alias of:
// its built-in handlers of the same names are never reached.
constexpr std::string_view kOwnPrefix = "skedcomp:";
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

std::array<std::string, kEncodingCount> own_names;

template <std::size_t... Page>
void RegisterAll(std::index_sequence<Page...>) {
  ((void)xmlNewCharEncodingHandler(own_names[Page].c_str(), Decode<Page>, nullptr), ...);
}

}  // namespace

void RegisterCodePageEncodings() {
  static const bool registered = [] {
    // The parser's own handlers first: made later, they would take the
    // aliases below for their names and shadow ours.
    xmlInitCharEncodingHandlers();
    for (std::size_t page = 0; page < kEncodingCount; ++page) {
      // Every name is one of our pages, so each byte reads as on every system.
      for (unsigned byte = 0; byte < 256; ++byte) {
        utf8_of[page][byte] = ToUtf8(kEncodings[page], std::string(1, static_cast<char>(byte)));
      }
      own_names[page] = std::string(kOwnPrefix) + kEncodings[page];
      xmlAddEncodingAlias(own_names[page].c_str(), kEncodings[page]);
      for (const char* alias : FindCodePage(kEncodings[page])->aliases) {
        if (alias != nullptr && std::string_view(alias).starts_with("cp")) {
          xmlAddEncodingAlias(own_names[page].c_str(), alias);
        }
      }
    }
    RegisterAll(std::make_index_sequence<kEncodingCount>());
    return true;
  }();
  (void)registered;
}
