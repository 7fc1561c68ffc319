// The review's marks as values, before any page is drawn.
#include "inspection/review.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(ReviewTest, MarksAreWorkedOutInTheModel) {
  TempDir dir;
  WriteBase(dir / "a", {{FileTimeOf(2000, 3, 20, 6, 0), "News"},
                        {FileTimeOf(2000, 3, 20, 6, 0), "Anadolu ?stanbul"},
                        {FileTimeOf(2000, 3, 20, 12, 0), "Film"}});
  WriteBase(dir / "b", {{FileTimeOf(2000, 3, 20, 7, 0), "Other lane"}});
  ReviewPage page;
  std::string error;
  ASSERT_TRUE(ReviewBases({dir / "a", dir / "b"}, ShownText{"cp1252"}, &page, &error)) << error;
  ASSERT_EQ(page.programs.size(), 4u);
  struct Expected {
    const char* title;
    bool same_minute, long_gap, damaged;
    long long until;
  };
  // In start order; each lane (a base) has neighbours of its own.
  const Expected expected[] = {
      {"News", false, false, false, 0},
      {"Anadolu ?stanbul", true, true, true, 360},
      {"Other lane", false, false, false, -1},
      {"Film", false, false, false, -1},
  };
  for (std::size_t i = 0; i < page.programs.size(); ++i) {
    const ReviewProgram& program = page.programs[i];
    SCOPED_TRACE(program.title);
    EXPECT_EQ(program.title, expected[i].title);
    EXPECT_EQ(program.same_minute, expected[i].same_minute);
    EXPECT_EQ(program.long_gap, expected[i].long_gap);
    EXPECT_EQ(program.title_damaged, expected[i].damaged);
    EXPECT_EQ(program.until, expected[i].until);
    EXPECT_FALSE(program.moved);
  }
  EXPECT_FALSE(ReviewBases({dir / "missing"}, ShownText{"cp1252"}, &page, &error));
  EXPECT_NE(error.find("Can't open file .ndx or .pdt!"), std::string::npos);
}

}  // namespace
