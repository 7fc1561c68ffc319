#include "base/compare_program_times.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(CompareProgramTimesTest, FieldsDecideInOrderOfSignificance) {
  struct Case {
    ProgramRecord earlier;
    ProgramRecord later;
  };
  const Case cases[] = {
      {MakeRecord(1999, 12, 31, 23, 59, 5, "a"), MakeRecord(2000, 1, 1, 0, 0, 6, "b")},
      {MakeRecord(2000, 1, 31, 23, 59, 1, "a"), MakeRecord(2000, 2, 1, 0, 0, 2, "b")},
      {MakeRecord(2000, 3, 20, 23, 59, 1, "a"), MakeRecord(2000, 3, 21, 0, 0, 2, "b")},
      // Weekday sorts before the time of day: it only differs for equal dates
      // after an odd shift, and the order must still be total.
      {MakeRecord(2000, 3, 20, 23, 0, 1, "a"), MakeRecord(2000, 3, 20, 0, 0, 2, "b")},
      {MakeRecord(2000, 3, 20, 19, 59, 1, "a"), MakeRecord(2000, 3, 20, 20, 0, 1, "b")},
      {MakeRecord(2000, 3, 20, 19, 29, 1, "z"), MakeRecord(2000, 3, 20, 19, 30, 1, "a")},
  };
  for (const Case& entry : cases) {
    EXPECT_LT(CompareProgramTimes(entry.earlier, entry.later), 0) << entry.earlier.title;
    EXPECT_GT(CompareProgramTimes(entry.later, entry.earlier), 0) << entry.earlier.title;
  }
}

TEST(CompareProgramTimesTest, TitlesTakeNoPart) {
  EXPECT_EQ(CompareProgramTimes(MakeRecord(2000, 3, 20, 19, 30, 1, "News"),
                                MakeRecord(2000, 3, 20, 19, 30, 1, "Film")),
            0);
}

}  // namespace
