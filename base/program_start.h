// A programme's start as calendar fields, the one form in which every step
// and every page holds and shows it, and the tool's numbering of weekdays.
#ifndef SKEDCOMP_BASE_PROGRAM_START_H_
#define SKEDCOMP_BASE_PROGRAM_START_H_

#include <cstdint>
#include <string>

#include "base/calendar_time.h"
#include "base/program_tables.h"

// Weekdays are numbered 1 = Monday ... 7 = Sunday everywhere: in records, in
// the keys range1 to range7, in check logs and on every page. (A
// CalendarTime's wDayOfWeek counts 0 = Sunday; WeekdayNumber converts.)
// The most hours a channel's starts may be shifted: more would move a start
// by more than a day.
inline constexpr int kMaxShift = 24;

inline constexpr int kMonday = 1;
inline constexpr int kSunday = 7;

// The fields in ProgramRecord's order.
struct ProgramStart {
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t day = 0;
  std::int32_t month = 0;
  std::int32_t year = 0;
  std::int32_t weekday = 0;  // kMonday ... kSunday
  friend bool operator==(const ProgramStart&, const ProgramStart&) = default;
};

ProgramStart StartOf(const ProgramRecord& record);
ProgramStart StartOfCalendar(const CalendarTime& time);

// "Monday" for 1 ... "Sunday" for 7.
const char* WeekdayFullName(int weekday);

// "Mon" for 1 ... "Sun" for 7.
std::string WeekdayName(int weekday);

// "2000-03-20".
std::string FormatDate(const ProgramStart& start);

// "19:30".
std::string FormatClock(const ProgramStart& start);

#endif  // SKEDCOMP_BASE_PROGRAM_START_H_
