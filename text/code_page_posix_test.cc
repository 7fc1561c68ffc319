// The built-in tables against glibc's iconv, byte by byte.
#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

#include "text/code_page.h"

namespace {

constexpr char32_t kNoSuchPage = 0xFFFFFFFF;

// What iconv reads one byte of `page` as, flushed, or U+FFFD.
char32_t IconvCharacter(const std::string& page, unsigned char byte) {
  const iconv_t handle = ::iconv_open("UTF-32LE", page.c_str());
  if (handle == reinterpret_cast<iconv_t>(-1)) return kNoSuchPage;
  char in[1] = {static_cast<char>(byte)};
  unsigned char out[16];
  char* input = in;
  char* output = reinterpret_cast<char*>(out);
  std::size_t in_left = 1;
  std::size_t out_left = sizeof out;
  char32_t c = U'\xFFFD';
  if (::iconv(handle, &input, &in_left, &output, &out_left) != static_cast<std::size_t>(-1) &&
      ::iconv(handle, nullptr, nullptr, &output, &out_left) != static_cast<std::size_t>(-1) &&
      sizeof out - out_left == 4) {
    c = out[0] | out[1] << 8 | out[2] << 16 | static_cast<char32_t>(out[3]) << 24;
  }
  ::iconv_close(handle);
  return c;
}

std::string IconvName(const std::string& name) {
  if (name.rfind("windows-", 0) == 0) return "CP" + name.substr(8);
  return name == "macintosh" ? "MACINTOSH" : name;
}

// The tables are iconv's, but for the holes of the Windows pages (where
// iconv would read a C1 control we read no character, as Windows does) and
// the one byte named here.
TEST(CodePagePosixTest, EveryTableIsIconvsButWhereNamed) {
  // Windows' own cp1255 has the Hebrew point holam haser for vav at 0xCA;
  // glibc leaves the byte undefined.
  const std::string named_page = "windows-1255";
  const unsigned named_byte = 0xCA;
  for (const CodePageTable& page : AllCodePages()) {
    SCOPED_TRACE(page.name);
    const bool c1_is_real = std::string(page.name).rfind("ISO-8859-", 0) == 0;
    for (unsigned byte = 0; byte < 256; ++byte) {
      char32_t expected = IconvCharacter(IconvName(page.name), static_cast<unsigned char>(byte));
      ASSERT_NE(expected, kNoSuchPage) << "iconv has no " << IconvName(page.name);
      if (!c1_is_real && expected >= 0x80 && expected <= 0x9F) expected = U'\xFFFD';
      if (page.name == named_page && byte == named_byte) {
        EXPECT_EQ(expected, U'\xFFFD') << "iconv agrees now";
        EXPECT_EQ(page.characters[byte], u'\x05BA');
        continue;
      }
      EXPECT_EQ(page.characters[byte], expected) << "byte " << byte;
    }
  }
}

}  // namespace
