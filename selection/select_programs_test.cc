#include "selection/select_programs.h"

#include <gtest/gtest.h>

#include <string>

#include "base/program_tables.h"
#include "tests/test_support.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

TimeRange Range(int sh, int sm, int eh, int em) { return TimeRange{{sh, sm}, {eh, em}}; }

class SelectProgramsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ChannelTable.count = 0;
    GuideTable.count = 0;
  }
  // Monday 20 March 2000 is weekday 1.
  static void AddChannel(int weekday, int hour, int minute, const char* title) {
    ASSERT_NE(
        AppendRecord(ChannelTable, MakeRecord(2000, 3, 19 + weekday, hour, minute, weekday, title)),
        nullptr);
  }
  static std::string GuideTitles() {
    std::string titles;
    for (int i = 0; i < GuideTable.count; ++i) {
      titles += std::string(GuideTable.records[i].title) + " ";
    }
    return titles;
  }
};

TEST_F(SelectProgramsTest, StartIsInclusiveEndExclusiveHourBeforeMinute) {
  AddChannel(1, 5, 59, "before");
  AddChannel(1, 6, 0, "start");
  AddChannel(1, 6, 45, "inside");
  AddChannel(2, 7, 0, "other-day");
  AddChannel(1, 8, 29, "last");
  AddChannel(1, 8, 30, "end");
  AddChannel(1, 23, 59, "late");
  struct Case {
    TimeRange range;
    const char* titles;
  };
  const Case cases[] = {
      {Range(6, 0, 8, 30), "start inside last "},
      {Range(0, 0, 24, 0), "before start inside last end late "},
      {Range(0, 0, 23, 59), "before start inside last end "},
      {Range(6, 45, 6, 46), "inside "},
      {Range(5, 60, 6, 1), "start "},  // minutes past 59 compare as written
      {Range(-7, 0, 6, 1), "before start "},
      {Range(6, 0, -8, 0), ""},
      {Range(22, 0, 2, 0), ""},
      {Range(8, 30, 8, 30), ""},
  };
  for (const Case& entry : cases) {
    GuideTable.count = 0;
    ASSERT_EQ(SelectPrograms(ChannelTable, 1, entry.range, 0, GuideTable), Status::kOk);
    EXPECT_EQ(GuideTitles(), entry.titles)
        << entry.range.start.hours << ":" << entry.range.start.minutes << "-"
        << entry.range.end.hours << ":" << entry.range.end.minutes;
  }
}

TEST_F(SelectProgramsTest, CopiesAreShiftedAndTheChannelIsNot) {
  AddChannel(7, 23, 30, "late");
  ASSERT_EQ(SelectPrograms(ChannelTable, 7, Range(0, 0, 24, 0), 1, GuideTable), Status::kOk);
  ASSERT_EQ(SelectPrograms(ChannelTable, 7, Range(23, 0, 24, 0), -2, GuideTable), Status::kOk);
  ASSERT_EQ(GuideTable.count, 2);
  EXPECT_EQ(GuideTable.records[0].day, 27);
  EXPECT_EQ(GuideTable.records[0].hour, 0);
  EXPECT_EQ(GuideTable.records[0].weekday, 1);
  EXPECT_EQ(GuideTable.records[1].day, 26);
  EXPECT_EQ(GuideTable.records[1].hour, 21);
  EXPECT_EQ(ChannelTable.records[0].day, 26);
  EXPECT_EQ(ChannelTable.records[0].hour, 23);
  EXPECT_EQ(ChannelTable.records[0].weekday, 7);
}

TEST_F(SelectProgramsTest, FourHundredAndFirstRecordIsRefused) {
  for (int i = 0; i < 200; ++i) AddChannel(1, i % 24, 0, "p");
  ASSERT_EQ(SelectPrograms(ChannelTable, 1, Range(0, 0, 24, 0), 0, GuideTable), Status::kOk);
  ASSERT_EQ(SelectPrograms(ChannelTable, 1, Range(0, 0, 24, 0), 0, GuideTable), Status::kOk);
  EXPECT_EQ(GuideTable.count, 400);
  EXPECT_EQ(SelectPrograms(ChannelTable, 1, Range(0, 0, 0, 1), 0, GuideTable),
            Status::kTooManyInGuide);
  EXPECT_EQ(GuideTable.count, 400);
}

}  // namespace
