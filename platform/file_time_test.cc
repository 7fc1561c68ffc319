#include "platform/file_time.h"

#include <gtest/gtest.h>

namespace {

struct KnownTime {
  std::uint64_t ticks;
  platform::SYSTEMTIME fields;
  int weekday;  // 0 = Sunday
};

TEST(FileTimeTest, KnownValuesConvertBothWays) {
  const KnownTime known[] = {
      {0, MakeSystemTime(1601, 1, 1), 1},
      // Bytes 00 6C 85 AE A2 92 BF 01 in a base: Monday 20 March 2000, 19:30.
      {0x01BF92A2AE856C00ull, MakeSystemTime(2000, 3, 20, 19, 30), 1},
      {0x01BF92A2AE856C00ull + 45 * kTicksPerSecond, MakeSystemTime(2000, 3, 20, 19, 30, 45), 1},
      {0x019DB1DED53E8000ull, MakeSystemTime(1970, 1, 1), 4},
      {0x01C07385C89DC000ull, MakeSystemTime(2001, 1, 1), 1},
      {0x7FFFFFFFFFFFFFFFull / 10'000 * 10'000, MakeSystemTime(30828, 9, 14, 2, 48, 5, 477), 4},
  };
  for (const KnownTime& entry : known) {
    platform::SYSTEMTIME fields;
    ASSERT_TRUE(platform::FileTimeToSystemTime(platform::FILETIME{entry.ticks}, &fields))
        << entry.ticks;
    EXPECT_EQ(fields.wYear, entry.fields.wYear) << entry.ticks;
    EXPECT_EQ(fields.wMonth, entry.fields.wMonth) << entry.ticks;
    EXPECT_EQ(fields.wDay, entry.fields.wDay) << entry.ticks;
    EXPECT_EQ(fields.wHour, entry.fields.wHour) << entry.ticks;
    EXPECT_EQ(fields.wMinute, entry.fields.wMinute) << entry.ticks;
    EXPECT_EQ(fields.wSecond, entry.fields.wSecond) << entry.ticks;
    EXPECT_EQ(fields.wMilliseconds, entry.fields.wMilliseconds) << entry.ticks;
    EXPECT_EQ(fields.wDayOfWeek, entry.weekday) << entry.ticks;

    platform::FILETIME back;
    ASSERT_TRUE(platform::SystemTimeToFileTimeFullRange(entry.fields, &back));
    EXPECT_EQ(back.ticks, entry.ticks);
    if (entry.fields.wYear <= 30827) {
      ASSERT_TRUE(platform::SystemTimeToFileTime(entry.fields, &back));
      EXPECT_EQ(back.ticks, entry.ticks);
    }
  }
}

TEST(FileTimeTest, ValuesFromTwoToTheSixtyThreeDoNotConvert) {
  platform::SYSTEMTIME fields;
  EXPECT_TRUE(platform::FileTimeToSystemTime(platform::FILETIME{kFileTimeLimit - 1}, &fields));
  EXPECT_FALSE(platform::FileTimeToSystemTime(platform::FILETIME{kFileTimeLimit}, &fields));
  EXPECT_FALSE(platform::FileTimeToSystemTime(platform::FILETIME{~0ull}, &fields));
}

TEST(FileTimeTest, OnlyValidGregorianFieldsConvert) {
  const platform::SYSTEMTIME valid[] = {
      MakeSystemTime(1601, 1, 1),
      MakeSystemTime(2000, 2, 29),
      MakeSystemTime(2024, 2, 29),
      MakeSystemTime(30827, 12, 31, 23, 59, 59, 999),
  };
  for (const platform::SYSTEMTIME& fields : valid) {
    platform::FILETIME ignored;
    EXPECT_TRUE(platform::SystemTimeToFileTime(fields, &ignored))
        << fields.wYear << "-" << fields.wMonth;
  }
  const platform::SYSTEMTIME invalid[] = {
      MakeSystemTime(1600, 12, 31),
      MakeSystemTime(30828, 1, 1),
      MakeSystemTime(2100, 2, 29),
      MakeSystemTime(1900, 2, 29),
      MakeSystemTime(2001, 2, 29),
      MakeSystemTime(2000, 4, 31),
      MakeSystemTime(2000, 0, 1),
      MakeSystemTime(2000, 13, 1),
      MakeSystemTime(2000, 1, 0),
      MakeSystemTime(2000, 1, 32),
      MakeSystemTime(2000, 1, 1, 24),
      MakeSystemTime(2000, 1, 1, 0, 60),
      MakeSystemTime(2000, 1, 1, 0, 0, 60),
      MakeSystemTime(2000, 1, 1, 0, 0, 0, 1000),
      // Fields that would wrap to a valid day or month if cut to 8 bits.
      MakeSystemTime(2000, 1, 256 + 15),
      MakeSystemTime(2000, 256 + 1, 1),
  };
  for (const platform::SYSTEMTIME& fields : invalid) {
    platform::FILETIME ignored;
    EXPECT_FALSE(platform::SystemTimeToFileTime(fields, &ignored))
        << fields.wYear << "-" << fields.wMonth << "-" << fields.wDay << " " << fields.wHour << ":"
        << fields.wMinute << ":" << fields.wSecond << "." << fields.wMilliseconds;
  }
}

TEST(FileTimeTest, FullRangeStopsBelowTwoToTheSixtyThree) {
  platform::FILETIME result;
  EXPECT_TRUE(platform::SystemTimeToFileTimeFullRange(MakeSystemTime(30828, 9, 14, 2, 48, 5, 477),
                                                      &result));
  EXPECT_FALSE(platform::SystemTimeToFileTimeFullRange(MakeSystemTime(30828, 9, 14, 2, 48, 5, 478),
                                                       &result));
  EXPECT_FALSE(platform::SystemTimeToFileTimeFullRange(MakeSystemTime(30828, 12, 31), &result));
  EXPECT_FALSE(platform::SystemTimeToFileTime(MakeSystemTime(30828, 1, 1), &result));
}

TEST(FileTimeTest, WeekdayIsIgnoredWhenConverting) {
  platform::SYSTEMTIME fields = MakeSystemTime(2000, 3, 20, 19, 30);
  fields.wDayOfWeek = 6;
  platform::FILETIME result;
  ASSERT_TRUE(platform::SystemTimeToFileTime(fields, &result));
  EXPECT_EQ(result.ticks, 0x01BF92A2AE856C00ull);
}

}  // namespace
