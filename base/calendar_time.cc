#include "base/calendar_time.h"

#include <chrono>

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr int kLastConvertibleYear = 30827;

constexpr sys_days kEpoch = std::chrono::year{1601} / std::chrono::January / 1;

}  // namespace

CalendarTime MakeCalendarTime(int year, int month, int day, int hour, int minute, int second,
                              int millisecond) {
  CalendarTime fields;
  fields.wYear = static_cast<std::uint16_t>(year);
  fields.wMonth = static_cast<std::uint16_t>(month);
  fields.wDay = static_cast<std::uint16_t>(day);
  fields.wHour = static_cast<std::uint16_t>(hour);
  fields.wMinute = static_cast<std::uint16_t>(minute);
  fields.wSecond = static_cast<std::uint16_t>(second);
  fields.wMilliseconds = static_cast<std::uint16_t>(millisecond);
  return fields;
}

bool CalendarOfStoredTime(const StoredTime& stored, CalendarTime* calendar) {
  if (stored.ticks >= kFileTimeLimit) return false;
  const std::uint64_t day_count = stored.ticks / kTicksPerDay;
  std::uint64_t rest = stored.ticks % kTicksPerDay;
  const sys_days date = kEpoch + days{static_cast<days::rep>(day_count)};
  const std::chrono::year_month_day ymd{date};

  CalendarTime result;
  result.wYear = static_cast<std::uint16_t>(static_cast<int>(ymd.year()));
  result.wMonth = static_cast<std::uint16_t>(static_cast<unsigned>(ymd.month()));
  result.wDay = static_cast<std::uint16_t>(static_cast<unsigned>(ymd.day()));
  result.wDayOfWeek = static_cast<std::uint16_t>(std::chrono::weekday{date}.c_encoding());
  result.wHour = static_cast<std::uint16_t>(rest / kTicksPerHour);
  rest %= kTicksPerHour;
  result.wMinute = static_cast<std::uint16_t>(rest / kTicksPerMinute);
  rest %= kTicksPerMinute;
  result.wSecond = static_cast<std::uint16_t>(rest / kTicksPerSecond);
  rest %= kTicksPerSecond;
  result.wMilliseconds = static_cast<std::uint16_t>(rest / kTicksPerMillisecond);
  *calendar = result;
  return true;
}

bool StoredTimeOfCalendarFullRange(const CalendarTime& calendar, StoredTime* stored) {
  // chrono's month and day hold only small values, so bound them before building a date.
  if (calendar.wYear < 1601 || calendar.wMonth > 12 || calendar.wDay > 31 || calendar.wHour > 23 ||
      calendar.wMinute > 59 || calendar.wSecond > 59 || calendar.wMilliseconds > 999) {
    return false;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{calendar.wYear},
                                        std::chrono::month{calendar.wMonth},
                                        std::chrono::day{calendar.wDay}};
  if (!ymd.ok()) return false;
  const auto day_count = static_cast<std::uint64_t>((sys_days{ymd} - kEpoch).count());
  const std::uint64_t ticks = day_count * kTicksPerDay + calendar.wHour * kTicksPerHour +
                              calendar.wMinute * kTicksPerMinute +
                              calendar.wSecond * kTicksPerSecond +
                              calendar.wMilliseconds * kTicksPerMillisecond;
  if (ticks >= kFileTimeLimit) return false;
  stored->ticks = ticks;
  return true;
}

bool StoredTimeOfCalendar(const CalendarTime& calendar, StoredTime* stored) {
  return calendar.wYear <= kLastConvertibleYear && StoredTimeOfCalendarFullRange(calendar, stored);
}
