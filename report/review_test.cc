// The review's marks as values, before any page is drawn.
#include "report/review.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(ReviewTest, MarksAreWorkedOutInTheModel) {
  TempDir dir;
  WriteBase(dir / "a", {{FileTimeOf(2000, 3, 20, 6, 0), "News"},
                        {FileTimeOf(2000, 3, 20, 6, 0), "Anadolu ?stanbul"},
                        {FileTimeOf(2000, 3, 20, 6, 0), "Anadolu ?stanbul"},
                        {FileTimeOf(2000, 3, 20, 12, 0), "Film"}});
  WriteBase(dir / "b", {{FileTimeOf(2000, 3, 20, 7, 0), "Other lane"}});
  ReviewPage page;
  std::string error;
  ASSERT_TRUE(ReviewBases({dir / "a", dir / "b"}, DisplayCodePage{"cp1252"}, &page, &error))
      << error;
  ASSERT_EQ(page.programs.size(), 5u);
  struct Expected {
    const char* title;
    bool same_minute, repeat, long_gap, damaged;
    long long until;
  };
  // In start order; each lane (a base) has neighbours of its own.
  const Expected expected[] = {
      {"News", false, false, false, false, 0},
      {"Anadolu ?stanbul", true, false, false, true, 0},
      {"Anadolu ?stanbul", true, true, true, true, 360},
      {"Other lane", false, false, false, false, -1},
      {"Film", false, false, false, false, -1},
  };
  for (std::size_t i = 0; i < page.programs.size(); ++i) {
    const ReviewProgram& program = page.programs[i];
    SCOPED_TRACE(program.title);
    EXPECT_EQ(program.title, expected[i].title);
    EXPECT_EQ(program.same_minute, expected[i].same_minute);
    EXPECT_EQ(program.repeat, expected[i].repeat);
    EXPECT_EQ(program.long_gap, expected[i].long_gap);
    EXPECT_EQ(program.title_damaged, expected[i].damaged);
    EXPECT_EQ(program.until, expected[i].until);
    EXPECT_FALSE(program.moved);
  }
  EXPECT_FALSE(ReviewBases({dir / "missing"}, DisplayCodePage{"cp1252"}, &page, &error));
  EXPECT_NE(error.find("Can't open file .ndx or .pdt!"), std::string::npos);
}

// A page too heavy to open is refused before it is made: bases far apart in
// time (a grid of many rows), or many bases of one day each. The second is
// refused before all are read, holding no more programmes than a page's worth.
TEST(ReviewTest, APageTooHeavyToOpenIsRefused) {
  TempDir dir;
  constexpr std::uint64_t kDay = 864'000'000'000;
  const std::uint64_t first = FileTimeOf(2000, 1, 1, 12, 0);
  std::vector<std::string> names;
  for (int b = 0; b < 16; ++b) {
    std::vector<BaseEntry> entries;
    // Each base on days of its own, an empty day between any two.
    for (int k = 0; k < 400; ++k) entries.push_back({first + (k * 16 + b) * 2 * kDay, "p"});
    names.push_back(dir / ("b" + std::to_string(b)));
    WriteBase(names.back(), entries);
  }
  ReviewPage page;
  std::string error;
  EXPECT_FALSE(ReviewBases(names, DisplayCodePage{"cp1252"}, &page, &error));
  names.resize(12);
  page = {};
  EXPECT_TRUE(ReviewBases(names, DisplayCodePage{"cp1252"}, &page, &error)) << error;

  std::vector<BaseEntry> day;
  for (int k = 0; k < 400; ++k) day.push_back({first + k * 2'000'000'000ULL, "a title of a day"});
  WriteBase(dir / "day", day);
  const std::vector<std::string> days(1600, dir / "day");
  page = {};
  EXPECT_FALSE(ReviewBases(days, DisplayCodePage{"cp1252"}, &page, &error));
  EXPECT_LE(page.programs.size(), kMaxPageBytes / kProgramBytes);
}

}  // namespace
