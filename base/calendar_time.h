// The calendar conversions of program bases: a start is stored as the
// FILETIME of Windows (100-nanosecond ticks since 1601), made from and read as
// the calendar fields of a SYSTEMTIME, with the results the Windows functions
// FileTimeToSystemTime and SystemTimeToFileTime give. No time zone is ever
// applied: the ticks encode the calendar fields directly. The names differ
// from Windows' own so that the two can never be taken for each other.
#ifndef SKEDCOMP_BASE_CALENDAR_TIME_H_
#define SKEDCOMP_BASE_CALENDAR_TIME_H_

#include <cstdint>

// 100-nanosecond intervals since 1601-01-01 00:00 (proleptic Gregorian).
struct StoredTime {
  std::uint64_t ticks = 0;
};

struct CalendarTime {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday ... 6 = Saturday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

// Calendar fields as a CalendarTime (weekday 0), each cut to its 16 bits.
CalendarTime MakeCalendarTime(int year, int month, int day, int hour = 0, int minute = 0,
                              int second = 0, int millisecond = 0);

// The weekday as the tool numbers it everywhere: 1 = Monday ... 7 = Sunday.
inline int WeekdayNumber(const CalendarTime& time) {
  return time.wDayOfWeek == 0 ? 7 : time.wDayOfWeek;
}

// The weekday (1 = Monday ... 7 = Sunday) of the day `days` after
// 1601-01-01, a Monday: what a start tells without its calendar.
inline int WeekdayOfDayNumber(std::uint64_t days) { return static_cast<int>(days % 7) + 1; }

// Values of 2^63 and above do not convert (as on Windows).
inline constexpr std::uint64_t kFileTimeLimit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::uint64_t kTicksPerHour = 60 * kTicksPerMinute;
inline constexpr std::uint64_t kTicksPerDay = 24 * kTicksPerHour;

// Returns false when `stored` is 2^63 or more.
bool CalendarOfStoredTime(const StoredTime& stored, CalendarTime* calendar);

// Returns false unless the fields name a valid Gregorian date and time of day
// from 1601-01-01 up to the year 30827. wDayOfWeek is ignored.
bool StoredTimeOfCalendar(const CalendarTime& calendar, StoredTime* stored);

// The same over every time that ticks below 2^63 hold (to 30828-09-14
// 02:48:05.477), so that whatever CalendarOfStoredTime gives converts back.
bool StoredTimeOfCalendarFullRange(const CalendarTime& calendar, StoredTime* stored);

#endif  // SKEDCOMP_BASE_CALENDAR_TIME_H_
