#include "base/guide_log.h"

#include <gtest/gtest.h>

namespace {

CalendarTime Start(int day, int month, int year, int hour, int minute) {
  return MakeCalendarTime(year, month, day, hour, minute);
}

TEST(GuideLogTest, HeaderAndEntriesUseWindowsLineEnds) {
  std::string log;
  AppendGuideLogHeader(&log);
  AppendGuideLogEntry(&log, Start(20, 3, 2000, 19, 30), 1, "News");
  AppendGuideLogEntry(&log, Start(1, 1, 2001, 0, 5), 7, "");
  EXPECT_EQ(log,
            "Check this file for be convinced, what new base is ok!\r\n\r\n"
            "20 3 2000 19 30 1\r\nNews\r\n"
            "1 1 2001 0 5 7\r\n\r\n");
}

TEST(GuideLogTest, OnlyLineFeedsInTitlesAreTranslated) {
  std::string log;
  AppendGuideLogEntry(&log, Start(1, 2, 2003, 4, 5), 6, "a\nb\rc\r\nd\xE9");
  EXPECT_EQ(log, "1 2 2003 4 5 6\r\na\r\nb\rc\r\r\nd\xE9\r\n");
}

}  // namespace
