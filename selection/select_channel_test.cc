#include "selection/select_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "base/program_tables.h"
#include "tests/test_support.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

class SelectChannelTest : public ::testing::Test {
 protected:
  // One programme per weekday at 6:00, 12:00 and 20:00; titles "w<weekday>-<hour>".
  void SetUp() override {
    ChannelTable.count = 0;
    GuideTable.count = 0;
    for (int weekday = 1; weekday <= 7; ++weekday) {
      for (const int hour : {6, 12, 20}) {
        const std::string title = "w" + std::to_string(weekday) + "-" + std::to_string(hour);
        AppendRecord(ChannelTable, MakeRecord(2000, 3, 19 + weekday, hour, 0, weekday, title));
      }
    }
  }
  static Status Select(const std::string& keys) {
    return SelectChannel("chan", ParseIniProfile("[chan]\n" + keys), ChannelTable, GuideTable);
  }
  static std::string GuideTitles() {
    std::string titles;
    for (int i = 0; i < GuideTable.count; ++i) {
      if (i > 0) titles += " ";
      titles += GuideTable.records[i].title;
    }
    return titles;
  }
};

TEST_F(SelectChannelTest, WeekdayByWeekdayThenRangeByRange) {
  ASSERT_EQ(Select("range1=20:00-21:00, 0:00-13:00\n"
                   "range2=\n"
                   "range3=12:00-12:01\n"
                   "range4=\n"
                   "range5=\n"
                   "range6=11:00-21:00, 19:00-24:00\n"
                   "range7=7:00 - 8:00\n"),
            Status::kOk);
  EXPECT_EQ(GuideTitles(), "w1-20 w1-6 w1-12 w3-12 w6-12 w6-20 w6-20");
}

TEST_F(SelectChannelTest, MissingKeysTakeTheWholeDay) {
  ASSERT_EQ(Select("range1=\nrange2=\nrange3=\nrange4=\nrange5=\nRange7=\"\"\n"), Status::kOk);
  EXPECT_EQ(GuideTitles(), "w6-6 w6-12 w6-20");
  GuideTable.count = 0;
  ASSERT_EQ(SelectChannel("chan", ParseIniProfile("[chan]\n"), ChannelTable, GuideTable),
            Status::kOk);
  EXPECT_EQ(GuideTable.count, 21);
}

TEST_F(SelectChannelTest, TimeShiftApplies) {
  ASSERT_EQ(Select("range1=20:00-21:00\nrange2=\nrange3=\nrange4=\nrange5=\nrange6=\nrange7=\n"
                   "timeshift=+4 ; to local time\n"),
            Status::kOk);
  ASSERT_EQ(GuideTable.count, 1);
  EXPECT_EQ(GuideTable.records[0].hour, 0);
  EXPECT_EQ(GuideTable.records[0].day, 21);
  EXPECT_EQ(GuideTable.records[0].weekday, 2);
}

TEST_F(SelectChannelTest, WrongTimeshiftIsRefusedEvenWhenNothingIsTaken) {
  const std::string nothing = "range1=\nrange2=\nrange3=\nrange4=\nrange5=\nrange6=\nrange7=\n";
  for (const char* shift : {"abc", "+", "-", "two", "25", "-25", "99999999999"}) {
    EXPECT_EQ(Select(nothing + "timeshift=" + shift + "\n"), Status::kWrongTimeshift) << shift;
  }
  for (const char* shift : {"", "24", "-24", "0", "\" 3 \""}) {
    EXPECT_EQ(Select(nothing + "timeshift=" + shift + "\n"), Status::kOk) << shift;
  }
}

}  // namespace

namespace {

// What a load builds for a section is what its ranges can take: for every
// start of a day, KeptStarts agrees with the range test itself, over the
// values that a list may hold.
TEST(KeptStartsTest, BuildsExactlyWhatTheRangesTake) {
  const char* const lists[] = {
      "0:00-24:00",  "6:00-9:00, 18:00-23:30", "-7:00-1:00",  "1:00--2:00", "6:75-7:10",
      "22:00-2:00",  "23:59-99999:00",         "0:-1-0:1",    "5:30-5:30",  "0:0-0:0",
      "12:00-12:01", "7:30-8:00,7:45-9:00",    "24:00-25:00", "",           "23:00-24:30",
  };
  for (const char* list : lists) {
    SCOPED_TRACE(list);
    ChannelSelection selection;
    const IniProfile profile = ParseIniProfile(
        std::string("[chan]\nrange1=\nrange2=\nrange4=\nrange5=\nrange6=\nrange7=\nrange3=") +
        list + "\n");
    ASSERT_EQ(ReadChannelSelection("chan", profile, &selection), Status::kOk);
    const StartFilter kept = KeptStarts(selection);
    std::vector<TimeRange> ranges;
    const std::string text = list;
    const char* cursor = text.c_str();
    for (TimeRange range; ParseTimeRange(&cursor, &range);) ranges.push_back(range);
    for (int minute = 0; minute < kMinutesPerDay; ++minute) {
      ProgramRecord record = MakeRecord(2000, 3, 22, minute / 60, minute % 60, 3, "x");
      bool taken = false;
      for (const TimeRange& range : ranges) taken = taken || ProgramInRange(record, 3, range);
      ASSERT_EQ(KeepsStart(kept, 3, minute), taken) << minute;
      for (const int other : {1, 2, 4, 5, 6, 7}) ASSERT_FALSE(KeepsStart(kept, other, minute));
    }
  }
}

}  // namespace
