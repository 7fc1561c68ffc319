#include "base/program_start.h"

#include "text/clock_text.h"

namespace {

constexpr const char* kWeekdayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                         "Friday", "Saturday", "Sunday"};
static_assert(std::size(kWeekdayNames) == kSunday - kMonday + 1);

}  // namespace

ProgramStart StartOf(const ProgramRecord& record) {
  return {record.hour, record.minute, record.day, record.month, record.year, record.weekday};
}

ProgramStart StartOfCalendar(const CalendarTime& time) {
  return {time.wHour, time.wMinute, time.wDay, time.wMonth, time.wYear, WeekdayNumber(time)};
}

const char* WeekdayFullName(int weekday) {
  return weekday >= kMonday && weekday <= kSunday ? kWeekdayNames[weekday - kMonday] : "???";
}

std::string WeekdayName(int weekday) { return std::string(WeekdayFullName(weekday)).substr(0, 3); }

std::string FormatDate(const ProgramStart& start) {
  return DateText(start.year, start.month, start.day);
}

std::string FormatClock(const ProgramStart& start) {
  return PaddedClockText(start.hour, start.minute);
}
