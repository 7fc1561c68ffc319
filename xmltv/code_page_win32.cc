// The conversions through Windows' own converters, a table per page built
// once; pages are named as iconv names them, so that a name means the same
// page on both systems.
#include <algorithm>
#include <cctype>
#include <map>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/windows_code_page.h"
#include "xmltv/code_page.h"

namespace {

struct NamedPage {
  const char* name;
  unsigned number;
};
// Names other than cpNNNN, windows-NNNN, ibmNNNN and plain numbers.
constexpr NamedPage kPageNames[] = {
    {"iso-8859-1", 28591}, {"iso-8859-2", 28592},  {"iso-8859-3", 28593},  {"iso-8859-4", 28594},
    {"iso-8859-5", 28595}, {"iso-8859-6", 28596},  {"iso-8859-7", 28597},  {"iso-8859-8", 28598},
    {"iso-8859-9", 28599}, {"iso-8859-13", 28603}, {"iso-8859-15", 28605}, {"latin1", 28591},
    {"koi8-r", 20866},     {"koi8-u", 21866},      {"us-ascii", 20127},    {"ascii", 20127},
    {"macintosh", 10000},  {"utf-8", 65001},       {"utf8", 65001},        {"utf-7", 65000},
    {"utf-16", 1200},      {"utf-32", 12000},      {"gbk", 936},           {"shift_jis", 932},
    {"big5", 950},         {"euc-kr", 949},        {"euc-jp", 20932},
};

// The number of the page `name` names, or 0.
unsigned PageNumber(const std::string& name) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  std::string_view digits = lower;
  for (const std::string_view prefix : {"windows-", "cp", "ibm"}) {
    if (digits.substr(0, prefix.size()) == prefix) {
      digits.remove_prefix(prefix.size());
      break;
    }
  }
  const bool number =
      !digits.empty() && digits.size() <= 5 &&
      std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (number) return static_cast<unsigned>(std::stoul(std::string(digits)));
  for (const NamedPage& page : kPageNames) {
    if (lower == page.name) return page.number;
  }
  return 0;
}

// A single-byte page both ways.
struct PageTable {
  bool known = false;
  bool single_byte = false;
  std::array<char32_t, 256> characters{};
  std::vector<std::pair<char32_t, unsigned char>> bytes;  // by character
};

bool IsControlC1(char32_t c) { return c >= 0x80 && c <= 0x9F; }

PageTable BuildTable(const std::string& name) {
  PageTable table;
  const unsigned number = PageNumber(name);
  if (number == 0) return table;
  const WindowsCodePage page = ReadWindowsCodePage(number);
  table.known = page.known;
  table.single_byte = page.single_byte;
  table.characters = page.characters;
  // Windows reads the holes of its own pages (0x81 in cp1252) as the C1
  // control of that value, where iconv sees no character; so do we, that
  // both systems give the same text. Pages whose upper half starts with the
  // C1 controls (the ISO 8859 ones) keep them.
  bool all_c1 = true;
  for (unsigned byte = 0x80; byte <= 0x9F; ++byte) all_c1 = all_c1 && page.characters[byte] == byte;
  for (unsigned byte = 0x80; byte < 256 && !all_c1; ++byte) {
    if (IsControlC1(table.characters[byte])) table.characters[byte] = U'\xFFFD';
  }
  for (unsigned byte = 0; byte < 256; ++byte) {
    if (table.characters[byte] != U'\xFFFD') {
      table.bytes.emplace_back(table.characters[byte], static_cast<unsigned char>(byte));
    }
  }
  std::sort(table.bytes.begin(), table.bytes.end());
  return table;
}

const PageTable& Table(const std::string& name) {
  static std::map<std::string, PageTable> tables;
  auto found = tables.find(name);
  if (found == tables.end()) found = tables.emplace(name, BuildTable(name)).first;
  return found->second;
}

void AppendUtf8(char32_t c, std::string* out) {
  if (c < 0x80) {
    *out += static_cast<char>(c);
  } else if (c < 0x800) {
    *out += static_cast<char>(0xC0 | (c >> 6));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    *out += static_cast<char>(0xE0 | (c >> 12));
    *out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    *out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

bool CodePageKnown(const std::string& page) { return Table(page).known; }

bool CodePageIsSingleByte(const std::string& page) { return Table(page).single_byte; }

std::string FromUtf8(const std::string& page, std::string_view utf8, int* replaced) {
  const PageTable& table = Table(page);
  if (!table.single_byte) return {};
  std::string out;
  while (!utf8.empty()) {
    const std::size_t length = Utf8Length(utf8);
    const std::string_view character = utf8.substr(0, length);
    utf8.remove_prefix(length);
    char32_t c = 0xFFFD;  // no character of any page
    if (IsUtf8(character)) {
      const auto lead = static_cast<unsigned char>(character[0]);
      c = length == 1 ? lead : lead & (0x7F >> length);
      for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (character[k] & 0x3F);
    }
    const auto found = std::lower_bound(table.bytes.begin(), table.bytes.end(),
                                        std::pair<char32_t, unsigned char>(c, 0));
    if (found != table.bytes.end() && found->first == c) {
      out += static_cast<char>(found->second);
    } else {
      out += '?';
      if (replaced != nullptr) ++*replaced;
    }
  }
  return out;
}

std::string ToUtf8(const std::string& page, std::string_view bytes) {
  const PageTable& table = Table(page);
  if (!table.single_byte) return {};
  std::string out;
  for (const char byte : bytes)
    AppendUtf8(table.characters[static_cast<unsigned char>(byte)], &out);
  return out;
}
