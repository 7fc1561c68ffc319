#include "xmltv/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageTest, CharactersThePageLacksBecomeQuestionMarks) {
  int replaced = 0;
  EXPECT_EQ(FromUtf8("cp1252", "Caf\xC3\xA9 \xE2\x82\xAC", &replaced), "Caf\xE9 \x80");
  EXPECT_EQ(replaced, 0);
  // Cyrillic, then a byte that is no UTF-8, then a character cut short.
  EXPECT_EQ(FromUtf8("cp1252", "\xD0\x9D\xD0\xB0 \xFF x\xE2\x82", &replaced), "?? ? x?");
  EXPECT_EQ(replaced, 4);
  replaced = 0;
  EXPECT_EQ(FromUtf8("KOI8-R", "\xD0\x9D\xD0\xB0", &replaced), "\xEE\xC1");
  EXPECT_EQ(replaced, 0);
}

TEST(CodePageTest, BytesBecomeUtf8) {
  EXPECT_EQ(ToUtf8("cp1252", "Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
  // 0x81 is no character of cp1252.
  EXPECT_EQ(ToUtf8("cp1252", "a\x81z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(ToUtf8("ISO-8859-1", "\x81"), "\xC2\x81");
}

TEST(CodePageTest, OnlyPagesTheSystemKnows) {
  EXPECT_TRUE(CodePageKnown("cp1252"));
  EXPECT_TRUE(CodePageKnown("ISO-8859-15"));
  EXPECT_FALSE(CodePageKnown("no-such-page"));
  EXPECT_FALSE(CodePageKnown(""));
}

TEST(CodePageTest, OnlySingleBytePagesHoldTitles) {
  for (const char* page : {"cp1252", "ISO-8859-15", "KOI8-R", "CP437"}) {
    EXPECT_TRUE(CodePageIsSingleByte(page)) << page;
  }
  for (const char* page : {"UTF-8", "UTF-16", "UTF-32", "UTF-7", "GBK", "SHIFT_JIS"}) {
    EXPECT_FALSE(CodePageIsSingleByte(page)) << page;
  }
}

TEST(CodePageTest, Utf8IsToldFromOtherBytes) {
  for (const char* text : {"", "plain", "Caf\xC3\xA9", "\xE2\x82\xAC", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsUtf8(text)) << text;
  }
  // Latin-1, a cut character, overlong forms, a surrogate, past U+10FFFF.
  for (const char* text : {"Caf\xE9", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                           "\xF4\x90\x80\x80", "\x80"}) {
    EXPECT_FALSE(IsUtf8(text)) << text;
  }
}

}  // namespace
