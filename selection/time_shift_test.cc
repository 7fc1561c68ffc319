#include "selection/time_shift.h"

#include <gtest/gtest.h>

#include <chrono>

#include "tests/test_support.h"

namespace {

TEST(TimeShiftTest, DaysInMonthFollowsTheGregorianCalendar) {
  const int common[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  for (int month = 1; month <= 12; ++month) {
    EXPECT_EQ(DaysInMonth(month, 2001), common[month - 1]) << month;
  }
  struct Case {
    int year;
    int february;
  };
  for (const Case entry : {Case{1900, 28}, Case{2000, 29}, Case{2004, 29}, Case{2023, 28},
                           Case{2100, 28}, Case{2400, 29}}) {
    EXPECT_EQ(DaysInMonth(2, entry.year), entry.february) << entry.year;
  }
}

std::string Start(const ProgramRecord& r) {
  return std::to_string(r.year) + "-" + std::to_string(r.month) + "-" + std::to_string(r.day) +
         " " + std::to_string(r.hour) + ":" + std::to_string(r.minute) + " w" +
         std::to_string(r.weekday);
}

TEST(TimeShiftTest, CarriesIntoDayMonthYearAndWeekday) {
  struct Case {
    ProgramRecord before;
    int shift;
    const char* after;
  };
  const Case cases[] = {
      {MakeRecord(2000, 12, 31, 23, 30, 7, ""), 1, "2001-1-1 0:30 w1"},
      {MakeRecord(2000, 3, 1, 0, 30, 3, ""), -1, "2000-2-29 23:30 w2"},
      {MakeRecord(2001, 3, 1, 0, 30, 4, ""), -1, "2001-2-28 23:30 w3"},
      {MakeRecord(2100, 3, 1, 0, 30, 1, ""), -1, "2100-2-28 23:30 w7"},
      {MakeRecord(2100, 2, 28, 23, 0, 7, ""), 2, "2100-3-1 1:0 w1"},
      {MakeRecord(2001, 1, 1, 1, 0, 1, ""), -2, "2000-12-31 23:0 w7"},
      {MakeRecord(2000, 1, 31, 23, 0, 1, ""), 3, "2000-2-1 2:0 w2"},
      {MakeRecord(2000, 3, 20, 19, 30, 1, ""), 24, "2000-3-21 19:30 w2"},
      {MakeRecord(2000, 3, 20, 19, 30, 1, ""), -24, "2000-3-19 19:30 w7"},
      {MakeRecord(2000, 3, 20, 19, 30, 1, ""), 0, "2000-3-20 19:30 w1"},
  };
  for (const Case& entry : cases) {
    ProgramRecord record = entry.before;
    ShiftProgramTime(record, entry.shift);
    EXPECT_EQ(Start(record), entry.after) << Start(entry.before) << " by " << entry.shift;
  }
}

// Every shift from -24 to 24 on every hour boundary of a few years around the
// century exceptions gives the date that calendar arithmetic gives.
TEST(TimeShiftTest, AgreesWithCalendarArithmetic) {
  using namespace std::chrono;
  for (const int first_year : {1899, 1999, 2099}) {
    const sys_days from = year{first_year} / December / 25;
    const sys_days to = year{first_year + 1} / March / 5;
    for (sys_days date = from; date < to; date += days{1}) {
      for (const int hour : {0, 1, 12, 22, 23}) {
        const year_month_day ymd{date};
        ProgramRecord record =
            MakeRecord(int(ymd.year()), int(unsigned(ymd.month())), int(unsigned(ymd.day())), hour,
                       17, int(weekday{date}.iso_encoding()), "");
        for (int shift = -24; shift <= 24; ++shift) {
          ProgramRecord shifted = record;
          ShiftProgramTime(shifted, shift);
          const auto moved = date + hours{hour + shift};
          const sys_days moved_day = floor<days>(moved);
          const year_month_day expected{moved_day};
          ASSERT_EQ(
              Start(shifted),
              Start(MakeRecord(int(expected.year()), int(unsigned(expected.month())),
                               int(unsigned(expected.day())), int((moved - moved_day) / hours{1}),
                               17, int(weekday{moved_day}.iso_encoding()), "")))
              << Start(record) << " by " << shift;
        }
      }
    }
  }
}

}  // namespace
