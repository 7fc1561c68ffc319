// The built-in tables against Windows' own converters, byte by byte; each
// place where they differ is named here.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <set>
#include <string>
#include <tuple>

#include "text/code_page.h"

namespace {

// The Windows number of a page: its alias of digits only, or 0.
unsigned WindowsNumber(const CodePageTable& page) {
  for (const char* alias : page.aliases) {
    if (alias == nullptr) break;
    const std::string digits = alias;
    if (digits.find_first_not_of("0123456789") == std::string::npos) {
      return static_cast<unsigned>(std::stoul(digits));
    }
  }
  return 0;
}

char32_t WindowsCharacter(unsigned number, unsigned char byte) {
  const char in = static_cast<char>(byte);
  wchar_t out[2];
  const int length = ::MultiByteToWideChar(number, MB_ERR_INVALID_CHARS, &in, 1, out, 2);
  return length == 1 ? static_cast<char32_t>(out[0]) : U'\xFFFD';
}

// (page, byte, Windows' character) where Windows reads a byte otherwise.
using Difference = std::tuple<std::string, unsigned, char32_t>;

TEST(CodePageWin32Test, EveryTableIsWindowsButWhereNamed) {
  // Windows reads the holes of its own pages as the C1 control of the same
  // value; we read no character there, as iconv does.
  const auto hole = [](unsigned byte, char32_t windows) { return windows == byte && byte >= 0x80; };
  // Wine's ISO-8859-7 is the 1987 edition, without the euro and drachma
  // signs of 2003 and with the older quotation marks; its ISO-8859-8 lacks
  // the marks of direction of 2001 and reads 0xAF as an overline, not a
  // macron; its 21866 (KOI8-U) has the Belarusian short u where KOI8-U has
  // box drawing; its macintosh reads Omega and Delta as the Ohm and
  // increment signs, and 0xF0 (Apple's logo, in private use to iconv) as
  // none. The tables keep iconv's, so bases read the same on both systems.
  const std::set<Difference> named = {
      {"ISO-8859-7", 0xA1, U'\x02BD'}, {"ISO-8859-7", 0xA2, U'\x02BC'},
      {"ISO-8859-7", 0xA4, U'\xFFFD'}, {"ISO-8859-7", 0xA5, U'\xFFFD'},
      {"ISO-8859-7", 0xAA, U'\xFFFD'}, {"ISO-8859-8", 0xAF, U'\x203E'},
      {"ISO-8859-8", 0xFD, U'\xFFFD'}, {"ISO-8859-8", 0xFE, U'\xFFFD'},
      {"KOI8-U", 0xAE, U'\x045E'},     {"KOI8-U", 0xBE, U'\x040E'},
      {"macintosh", 0xBD, U'\x2126'},  {"macintosh", 0xC6, U'\x2206'},
      {"macintosh", 0xF0, U'\xFFFD'},
  };
  std::set<Difference> found;
  for (const CodePageTable& page : AllCodePages()) {
    const unsigned number = WindowsNumber(page);
    if (number == 0) continue;  // ISO-8859-10, 11, 14 and 16: Windows has no such page
    ASSERT_TRUE(::IsValidCodePage(number)) << page.name;
    for (unsigned byte = 0; byte < 256; ++byte) {
      const char32_t windows = WindowsCharacter(number, static_cast<unsigned char>(byte));
      const char32_t ours = page.characters[byte];
      if (windows == ours || (ours == U'\xFFFD' && hole(byte, windows))) continue;
      found.emplace(page.name, byte, windows);
    }
  }
  for (const Difference& difference : found) {
    EXPECT_TRUE(named.count(difference) == 1)
        << std::get<0>(difference) << " byte 0x" << std::hex << std::get<1>(difference)
        << ": Windows reads U+" << static_cast<unsigned>(std::get<2>(difference));
  }
  for (const Difference& difference : named) {
    EXPECT_TRUE(found.count(difference) == 1) << std::get<0>(difference) << " agrees now";
  }
}

}  // namespace
