#include "text/code_page.h"

#include <gtest/gtest.h>

namespace {

TEST(CodePageTest, CharactersThePageLacksBecomeQuestionMarks) {
  struct Case {
    const char* page;
    const char* utf8;
    const char* bytes;
    int replaced;
  };
  const Case cases[] = {
      {"cp1252", "Caf\xC3\xA9 \xE2\x82\xAC", "Caf\xE9 \x80", 0},
      // Cyrillic, then a byte that is no UTF-8, then a character cut short.
      {"cp1252", "\xD0\x9D\xD0\xB0 \xFF x\xE2\x82", "?? ? x?", 4},
      {"KOI8-R", "\xD0\x9D\xD0\xB0", "\xEE\xC1", 0},
      // U+FFFD and a character past the 16 bits of the tables are in no page.
      {"cp1252", "\xEF\xBF\xBD\xF0\x9F\x93\xBA", "??", 2},
      // Vietnamese: a letter cp1258 lacks as the letter it has and a tone
      // mark (e with circumflex and acute; e with circumflex and dot below).
      {"windows-1258", "Ti\xE1\xBA\xBFng Vi\xE1\xBB\x87t \xC3\x80", "Ti\xEA\xECng Vi\xEA\xF2t \xC0",
       0},
      // Hebrew with points, and a presentation form written as letter + point.
      {"cp1255", "\xD7\xA9\xD7\x81\xD7\x9C\xD7\x95\xD7\x9D \xEF\xAC\xAA",
       "\xF9\xD1\xEC\xE5\xED \xF9\xD1", 0},
      // A character whose decomposition the page lacks part of.
      {"cp1252", "\xE1\xBA\xBF", "?", 1},
  };
  for (const Case& entry : cases) {
    int replaced = 0;
    EXPECT_EQ(FromUtf8(entry.page, entry.utf8, &replaced), entry.bytes) << entry.page;
    EXPECT_EQ(replaced, entry.replaced) << entry.page << " " << entry.utf8;
  }
}

TEST(CodePageTest, BytesBecomeUtf8) {
  EXPECT_EQ(ToUtf8("cp1252", "Caf\xE9 \x80"), "Caf\xC3\xA9 \xE2\x82\xAC");
  // 0x81 is no character of cp1252.
  EXPECT_EQ(ToUtf8("cp1252", "a\x81z"), "a\xEF\xBF\xBDz");
  EXPECT_EQ(ToUtf8("ISO-8859-1", "\x81"), "\xC2\x81");
  // The last letter stays, however a mark could follow it.
  EXPECT_EQ(ToUtf8("cp1255", "\xF9\xEC\xE5\xED"), "\xD7\xA9\xD7\x9C\xD7\x95\xD7\x9D");
  EXPECT_EQ(ToUtf8("cp1258", "Vi\xEA\xF2t"), "Vi\xC3\xAA\xCC\xA3t");
}

// Every defined byte of every page comes back from its UTF-8 as itself, so
// export then import gives the same base.
TEST(CodePageTest, EveryPageRoundTrips) {
  for (const char* name : {"windows-874", "cp1250", "1251", "cp1252", "cp1253", "cp1254", "cp1255",
                           "cp1256", "cp1257", "cp1258", "latin1", "ISO-8859-16", "KOI8-U",
                           "IBM437", "ibm850", "cp852", "866", "macintosh"}) {
    const CodePageTable* page = FindCodePage(name);
    ASSERT_NE(page, nullptr) << name;
    for (unsigned byte = 0; byte < 256; ++byte) {
      if (page->characters[byte] == u'\xFFFD') continue;
      const std::string one(1, static_cast<char>(byte));
      int replaced = 0;
      EXPECT_EQ(FromUtf8(name, ToUtf8(name, one), &replaced), one) << name << " " << byte;
      EXPECT_EQ(replaced, 0);
    }
  }
}

TEST(CodePageTest, NamesInAnyCaseAndOnlyOfSingleBytePages) {
  for (const char* name : {"cp1252", "CP1252", "Windows-1252", "1252", "iso-8859-15", "LATIN9",
                           "28605", "koi8-r", "20866", "IBM866", "Mac"}) {
    EXPECT_EQ(CodePageProblem(name), "") << name;
  }
  EXPECT_EQ(FindCodePage("28605"), FindCodePage("ISO-8859-15"));
  // Documents may be declared in these; the parser reads them with our tables.
  for (const char* name :
       {"windows-1250", "windows-1253", "windows-1256", "windows-1257", "KOI8-U", "IBM866"}) {
    EXPECT_NE(FindCodePage(name), nullptr) << name;
  }
  EXPECT_NE(CodePageProblem("UTF-8").find("more than one byte"), std::string::npos);
  EXPECT_NE(CodePageProblem("Shift_JIS").find("more than one byte"), std::string::npos);
  for (const char* name : {"", "no-such-page", "cp1252//IGNORE", "TSCII", "cp 1252", "1252 "}) {
    EXPECT_NE(CodePageProblem(name).find("unknown code page"), std::string::npos) << name;
    EXPECT_EQ(ToUtf8(name, "x"), "") << name;
  }
}

}  // namespace
