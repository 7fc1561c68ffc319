#include "selection/time_shift.h"

#include <chrono>

int DaysInMonth(std::int32_t month, std::int32_t year) {
  if (month < 1 || month > 12) return 31;  // not reached: callers pass months 1 to 12
  const std::chrono::year_month_day_last last{std::chrono::year{year} /
                                              std::chrono::month{static_cast<unsigned>(month)} /
                                              std::chrono::last};
  return static_cast<int>(static_cast<unsigned>(last.day()));
}

void ShiftProgramTime(ProgramRecord& record, int shift) {
  record.hour += shift;
  if (record.hour < 0) {
    record.hour += 24;
    --record.day;
    record.weekday = record.weekday == 1 ? 7 : record.weekday - 1;
  }
  if (record.hour > 23) {
    record.hour -= 24;
    ++record.day;
    record.weekday = record.weekday == 7 ? 1 : record.weekday + 1;
  }
  if (record.day < 1) {
    --record.month;  // the day is set below, once the month is in range
  } else if (record.day > DaysInMonth(record.month, record.year)) {
    record.day = 1;
    ++record.month;
  }
  if (record.month < 1) {
    record.month = 12;
    --record.year;
  }
  if (record.month > 12) {
    record.month = 1;
    ++record.year;
  }
  if (record.day < 1) record.day = DaysInMonth(record.month, record.year);
}
