#include <gtest/gtest.h>

#include "text/ascii.h"
#include "text/clock_text.h"
#include "text/escape.h"
#include "text/hash.h"
#include "text/utf8.h"

namespace {

TEST(TextTest, Utf8IsToldFromOtherBytes) {
  for (const char* text : {"", "plain", "Caf\xC3\xA9", "\xE2\x82\xAC", "\xF4\x8F\xBF\xBF"}) {
    EXPECT_TRUE(IsUtf8(text)) << text;
  }
  // Latin-1, a cut character, overlong forms, a surrogate, past U+10FFFF.
  for (const char* text : {"Caf\xE9", "\xE2\x82", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80",
                           "\xF4\x90\x80\x80", "\x80"}) {
    EXPECT_FALSE(IsUtf8(text)) << text;
  }
}

TEST(TextTest, Utf8CharactersComeApartAndTogetherWhole) {
  for (const char32_t c : {U'A', U'\xE9', U'\x20AC', U'\x1F4FA'}) {
    std::string utf8;
    AppendUtf8(c, &utf8);
    EXPECT_EQ(Utf8Length(utf8), utf8.size());
    EXPECT_EQ(DecodeUtf8(utf8), c);
  }
  EXPECT_EQ(DecodeUtf8("\xC0\xAF"), U'\xFFFD');
  // Never in the middle of a character: "é" is two bytes.
  EXPECT_EQ(CutUtf8("Caf\xC3\xA9!", 4), "Caf");
  EXPECT_EQ(CutUtf8("Caf\xC3\xA9!", 5), "Caf\xC3\xA9");
  EXPECT_EQ(CutUtf8("short", 99), "short");
}

TEST(TextTest, ControlBytesAreEscapedBackslashesAsAsked) {
  const std::string text("a\tb\r\n\\c\x01\x7F", 9);
  EXPECT_EQ(EscapeControlBytes(text, Backslash::kDoubled), "a\\tb\\r\\n\\\\c\\x01\x7F");
  EXPECT_EQ(EscapeControlBytes(text, Backslash::kAsItIs), "a\\tb\\r\\n\\c\\x01\x7F");
  EXPECT_EQ(EscapeControlBytes(std::string("\0", 1), Backslash::kAsItIs), "\\x00");
}

TEST(TextTest, AsciiCaseAndBlanks) {
  static_assert(EqualIgnoringAsciiCase("Range1", "RANGE1") && !EqualIgnoringAsciiCase("a", "ab"));
  static_assert(CompareIgnoringAsciiCase("abc", "ABD") < 0 &&
                CompareIgnoringAsciiCase("b", "A") > 0);
  // Bytes past ASCII have no case.
  EXPECT_FALSE(EqualIgnoringAsciiCase("\xC9", "\xE9"));
  EXPECT_EQ(TrimBlanks(" \t x y\t "), "x y");
  EXPECT_TRUE(AllAsciiDigits("0123"));
  EXPECT_FALSE(AllAsciiDigits(""));
  EXPECT_FALSE(AllAsciiDigits("12a"));
  // Whatever the locale: no byte past ASCII is a digit or changes case.
  for (int c = 0; c < 256; ++c) {
    EXPECT_EQ(IsAsciiDigit(static_cast<char>(c)), c >= '0' && c <= '9') << c;
  }
  EXPECT_EQ(AsciiLowerCase("News ÉTÉ Zz"), "news ÉtÉ zz");
}

// Times as every message writes them; a time before midnight has one sign.
TEST(TextTest, ClockAndDate) {
  const struct {
    int hours, minutes;
    const char* clock;
    const char* padded;
  } kCases[] = {{7, 5, "7:05", "07:05"},
                {24, 0, "24:00", "24:00"},
                {-1, -30, "-1:30", ""},
                {0, -5, "-0:05", ""}};
  for (const auto& entry : kCases) {
    EXPECT_EQ(ClockText(entry.hours, entry.minutes), entry.clock);
    if (*entry.padded != '\0') {
      EXPECT_EQ(PaddedClockText(entry.hours, entry.minutes), entry.padded);
    }
  }
  EXPECT_EQ(DateText(2026, 12, 7), "2026-12-07");
  static_assert(TextHash("") == 2166136261u && TextHash("a") == 0xE40C292Cu);
}

}  // namespace
