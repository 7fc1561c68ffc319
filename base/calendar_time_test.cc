#include "base/calendar_time.h"

#include <gtest/gtest.h>

namespace {

struct KnownTime {
  std::uint64_t ticks;
  CalendarTime fields;
  int weekday;  // 0 = Sunday
};

TEST(FileTimeTest, KnownValuesConvertBothWays) {
  const KnownTime known[] = {
      {0, MakeCalendarTime(1601, 1, 1), 1},
      // Bytes 00 6C 85 AE A2 92 BF 01 in a base: Monday 20 March 2000, 19:30.
      {0x01BF92A2AE856C00ull, MakeCalendarTime(2000, 3, 20, 19, 30), 1},
      {0x01BF92A2AE856C00ull + 45 * kTicksPerSecond, MakeCalendarTime(2000, 3, 20, 19, 30, 45), 1},
      {0x019DB1DED53E8000ull, MakeCalendarTime(1970, 1, 1), 4},
      {0x01C07385C89DC000ull, MakeCalendarTime(2001, 1, 1), 1},
      {0x7FFFFFFFFFFFFFFFull / 10'000 * 10'000, MakeCalendarTime(30828, 9, 14, 2, 48, 5, 477), 4},
  };
  for (const KnownTime& entry : known) {
    CalendarTime fields;
    ASSERT_TRUE(CalendarOfStoredTime(StoredTime{entry.ticks}, &fields)) << entry.ticks;
    EXPECT_EQ(fields.wYear, entry.fields.wYear) << entry.ticks;
    EXPECT_EQ(fields.wMonth, entry.fields.wMonth) << entry.ticks;
    EXPECT_EQ(fields.wDay, entry.fields.wDay) << entry.ticks;
    EXPECT_EQ(fields.wHour, entry.fields.wHour) << entry.ticks;
    EXPECT_EQ(fields.wMinute, entry.fields.wMinute) << entry.ticks;
    EXPECT_EQ(fields.wSecond, entry.fields.wSecond) << entry.ticks;
    EXPECT_EQ(fields.wMilliseconds, entry.fields.wMilliseconds) << entry.ticks;
    EXPECT_EQ(fields.wDayOfWeek, entry.weekday) << entry.ticks;

    StoredTime back;
    ASSERT_TRUE(StoredTimeOfCalendarFullRange(entry.fields, &back));
    EXPECT_EQ(back.ticks, entry.ticks);
    if (entry.fields.wYear <= 30827) {
      ASSERT_TRUE(StoredTimeOfCalendar(entry.fields, &back));
      EXPECT_EQ(back.ticks, entry.ticks);
    }
  }
}

TEST(FileTimeTest, ValuesFromTwoToTheSixtyThreeDoNotConvert) {
  CalendarTime fields;
  EXPECT_TRUE(CalendarOfStoredTime(StoredTime{kFileTimeLimit - 1}, &fields));
  EXPECT_FALSE(CalendarOfStoredTime(StoredTime{kFileTimeLimit}, &fields));
  EXPECT_FALSE(CalendarOfStoredTime(StoredTime{~0ull}, &fields));
}

TEST(FileTimeTest, OnlyValidGregorianFieldsConvert) {
  const CalendarTime valid[] = {
      MakeCalendarTime(1601, 1, 1),
      MakeCalendarTime(2000, 2, 29),
      MakeCalendarTime(2024, 2, 29),
      MakeCalendarTime(30827, 12, 31, 23, 59, 59, 999),
  };
  for (const CalendarTime& fields : valid) {
    StoredTime ignored;
    EXPECT_TRUE(StoredTimeOfCalendar(fields, &ignored)) << fields.wYear << "-" << fields.wMonth;
  }
  const CalendarTime invalid[] = {
      MakeCalendarTime(1600, 12, 31),
      MakeCalendarTime(30828, 1, 1),
      MakeCalendarTime(2100, 2, 29),
      MakeCalendarTime(1900, 2, 29),
      MakeCalendarTime(2001, 2, 29),
      MakeCalendarTime(2000, 4, 31),
      MakeCalendarTime(2000, 0, 1),
      MakeCalendarTime(2000, 13, 1),
      MakeCalendarTime(2000, 1, 0),
      MakeCalendarTime(2000, 1, 32),
      MakeCalendarTime(2000, 1, 1, 24),
      MakeCalendarTime(2000, 1, 1, 0, 60),
      MakeCalendarTime(2000, 1, 1, 0, 0, 60),
      MakeCalendarTime(2000, 1, 1, 0, 0, 0, 1000),
      // Fields that would wrap to a valid day or month if cut to 8 bits.
      MakeCalendarTime(2000, 1, 256 + 15),
      MakeCalendarTime(2000, 256 + 1, 1),
  };
  for (const CalendarTime& fields : invalid) {
    StoredTime ignored;
    EXPECT_FALSE(StoredTimeOfCalendar(fields, &ignored))
        << fields.wYear << "-" << fields.wMonth << "-" << fields.wDay << " " << fields.wHour << ":"
        << fields.wMinute << ":" << fields.wSecond << "." << fields.wMilliseconds;
  }
}

TEST(FileTimeTest, FullRangeStopsBelowTwoToTheSixtyThree) {
  StoredTime result;
  EXPECT_TRUE(
      StoredTimeOfCalendarFullRange(MakeCalendarTime(30828, 9, 14, 2, 48, 5, 477), &result));
  EXPECT_FALSE(
      StoredTimeOfCalendarFullRange(MakeCalendarTime(30828, 9, 14, 2, 48, 5, 478), &result));
  EXPECT_FALSE(StoredTimeOfCalendarFullRange(MakeCalendarTime(30828, 12, 31), &result));
  EXPECT_FALSE(StoredTimeOfCalendar(MakeCalendarTime(30828, 1, 1), &result));
}

TEST(FileTimeTest, WeekdayIsIgnoredWhenConverting) {
  CalendarTime fields = MakeCalendarTime(2000, 3, 20, 19, 30);
  fields.wDayOfWeek = 6;
  StoredTime result;
  ASSERT_TRUE(StoredTimeOfCalendar(fields, &result));
  EXPECT_EQ(result.ticks, 0x01BF92A2AE856C00ull);
}

}  // namespace
