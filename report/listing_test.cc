#include "report/listing.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(ListingTest, LinesReadBackAsTheProgrammeTheyShow) {
  struct Case {
    std::uint64_t start;
    std::string title;
    std::string line;
  };
  const Case cases[] = {
      {FileTimeOf(2000, 3, 20, 19, 30), "News", "2000-03-20\t19:30\tMon\tNews"},
      {FileTimeOf(2000, 3, 26, 0, 0), "", "2000-03-26\t00:00\tSun\t"},
      {FileTimeOf(2000, 3, 20, 19, 30, 5), "a\tb", "2000-03-20\t19:30:05\tMon\ta\\tb"},
      {FileTimeOf(2000, 3, 20, 19, 30) + 1, "\\", "2000-03-20\t19:30:00.0000001\tMon\t\\\\"},
      {FileTimeOf(2000, 3, 20, 19, 30), "\r\n\x01\x1F\x7F\xE9",
       "2000-03-20\t19:30\tMon\t\\r\\n\\x01\\x1F\x7F\xE9"},
      {(1ull << 63) - 1, "max", "30828-09-14\t02:48:05.4775807\tThu\tmax"},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(FormatListingLine({entry.start, entry.title}), entry.line);
    ListedProgram program;
    std::string error;
    ASSERT_TRUE(ParseListingLine(entry.line, &program, &error)) << entry.line << ": " << error;
    EXPECT_EQ(program.start, entry.start) << entry.line;
    EXPECT_EQ(program.title, entry.title) << entry.line;
  }
}

TEST(ListingTest, LenientForms) {
  ListedProgram program;
  std::string error;
  ASSERT_TRUE(ParseListingLine("2000-03-20\t19:30:05.5\tMon\t\\x0a", &program, &error)) << error;
  EXPECT_EQ(program.start, FileTimeOf(2000, 3, 20, 19, 30, 5) + 5'000'000);
  EXPECT_EQ(program.title, "\n");
}

}  // namespace
