#include "platform/file_time.h"

#include <chrono>

namespace {

using std::chrono::days;
using std::chrono::sys_days;

constexpr std::uint64_t kTicksPerMillisecond = 10'000;
constexpr int kLastConvertibleYear = 30827;

constexpr sys_days kEpoch = std::chrono::year{1601} / std::chrono::January / 1;

}  // namespace

using platform::FILETIME;
using platform::SYSTEMTIME;

SYSTEMTIME MakeSystemTime(int year, int month, int day, int hour, int minute, int second,
                          int millisecond) {
  SYSTEMTIME fields;
  fields.wYear = static_cast<std::uint16_t>(year);
  fields.wMonth = static_cast<std::uint16_t>(month);
  fields.wDay = static_cast<std::uint16_t>(day);
  fields.wHour = static_cast<std::uint16_t>(hour);
  fields.wMinute = static_cast<std::uint16_t>(minute);
  fields.wSecond = static_cast<std::uint16_t>(second);
  fields.wMilliseconds = static_cast<std::uint16_t>(millisecond);
  return fields;
}

namespace platform {

bool FileTimeToSystemTime(const FILETIME& file_time, SYSTEMTIME* system_time) {
  if (file_time.ticks >= kFileTimeLimit) return false;
  const std::uint64_t day_count = file_time.ticks / kTicksPerDay;
  std::uint64_t rest = file_time.ticks % kTicksPerDay;
  const sys_days date = kEpoch + days{static_cast<days::rep>(day_count)};
  const std::chrono::year_month_day ymd{date};

  SYSTEMTIME result;
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
  *system_time = result;
  return true;
}

bool SystemTimeToFileTimeFullRange(const SYSTEMTIME& system_time, FILETIME* file_time) {
  // chrono's month and day hold only small values, so bound them before building a date.
  if (system_time.wYear < 1601 || system_time.wMonth > 12 || system_time.wDay > 31 ||
      system_time.wHour > 23 || system_time.wMinute > 59 || system_time.wSecond > 59 ||
      system_time.wMilliseconds > 999) {
    return false;
  }
  const std::chrono::year_month_day ymd{std::chrono::year{system_time.wYear},
                                        std::chrono::month{system_time.wMonth},
                                        std::chrono::day{system_time.wDay}};
  if (!ymd.ok()) return false;
  const auto day_count = static_cast<std::uint64_t>((sys_days{ymd} - kEpoch).count());
  const std::uint64_t ticks = day_count * kTicksPerDay + system_time.wHour * kTicksPerHour +
                              system_time.wMinute * kTicksPerMinute +
                              system_time.wSecond * kTicksPerSecond +
                              system_time.wMilliseconds * kTicksPerMillisecond;
  if (ticks >= kFileTimeLimit) return false;
  file_time->ticks = ticks;
  return true;
}

bool SystemTimeToFileTime(const SYSTEMTIME& system_time, FILETIME* file_time) {
  return system_time.wYear <= kLastConvertibleYear &&
         SystemTimeToFileTimeFullRange(system_time, file_time);
}

}  // namespace platform
