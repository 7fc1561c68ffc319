// Stand-ins for the Windows FILETIME / SYSTEMTIME pair and the two conversions
// between them. No time zone is ever applied: a FILETIME here encodes the
// calendar fields directly.
#ifndef SKEDCOMP_PLATFORM_FILE_TIME_H_
#define SKEDCOMP_PLATFORM_FILE_TIME_H_

#include <cstdint>

// The stand-ins keep the Windows names, in a namespace of their own so that
// they never meet <windows.h>'s.
namespace platform {

// 100-nanosecond intervals since 1601-01-01 00:00 (proleptic Gregorian).
struct FILETIME {
  std::uint64_t ticks = 0;
};

struct SYSTEMTIME {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday ... 6 = Saturday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

}  // namespace platform

// Calendar fields as a SYSTEMTIME (weekday 0), each cut to its 16 bits.
platform::SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour = 0, int minute = 0,
                                    int second = 0, int millisecond = 0);

// The weekday as the tool numbers it everywhere: 1 = Monday ... 7 = Sunday.
inline int WeekdayNumber(const platform::SYSTEMTIME& time) {
  return time.wDayOfWeek == 0 ? 7 : time.wDayOfWeek;
}

// Values of 2^63 and above do not convert (as on Windows).
inline constexpr std::uint64_t kFileTimeLimit = std::uint64_t{1} << 63;
inline constexpr std::uint64_t kTicksPerSecond = 10'000'000;
inline constexpr std::uint64_t kTicksPerMinute = 60 * kTicksPerSecond;
inline constexpr std::uint64_t kTicksPerHour = 60 * kTicksPerMinute;
inline constexpr std::uint64_t kTicksPerDay = 24 * kTicksPerHour;

namespace platform {

// Returns false when `file_time` is 2^63 or more.
bool FileTimeToSystemTime(const FILETIME& file_time, SYSTEMTIME* system_time);

// Returns false unless the fields name a valid Gregorian date and time of day
// from 1601-01-01 up to the year 30827. wDayOfWeek is ignored.
bool SystemTimeToFileTime(const SYSTEMTIME& system_time, FILETIME* file_time);

// The same over every time that a FILETIME below 2^63 holds (to 30828-09-14
// 02:48:05.477), so that whatever FileTimeToSystemTime gives converts back.
bool SystemTimeToFileTimeFullRange(const SYSTEMTIME& system_time, FILETIME* file_time);

}  // namespace platform

#endif  // SKEDCOMP_PLATFORM_FILE_TIME_H_
