// skedtool week BASE: each day of a base as a 24-hour ruler.
#include <chrono>
#include <cstdio>
#include <map>
#include <string>

#include "base/calendar_time.h"
#include "base/stored_base.h"
#include "report/listing.h"
#include "tool/commands.h"
#include "tool/tool_output.h"

const char kWeekHelp[] =
    "Usage: skedtool week [--codepage CP] BASE\n"
    "\n"
    "Shows each day of the program base BASE as a 24-hour ruler, one character\n"
    "for each half hour, with a mark where programmes start, and the number of\n"
    "programmes of the day:\n"
    "\n"
    "    *  one programme starts in that half hour\n"
    "    2-9  that many start there, # ten or more\n"
    "    .  none (: at every third hour, to help the eye)\n"
    "\n"
    "Days without programmes between the first and the last day are shown;\n"
    "longer gaps are folded into one line.\n"
    "\n" SKEDTOOL_CODEPAGE_HELP;

namespace {

constexpr int kSlots = 48;           // half hours
constexpr int kLongestShownGap = 3;  // empty days shown one by one

using Day = std::chrono::sys_days;

struct DayStarts {
  int slots[kSlots] = {};
  int count = 0;
};

char SlotMark(int slot, int starts) {
  if (starts == 0) return slot % 6 == 0 ? ':' : '.';
  if (starts == 1) return '*';
  return starts < 10 ? static_cast<char>('0' + starts) : '#';
}

void PrintDay(Day day, const DayStarts& starts) {
  const std::chrono::year_month_day date{day};
  ProgramStart shown;
  shown.year = static_cast<int>(date.year());
  shown.month = static_cast<int>(static_cast<unsigned>(date.month()));
  shown.day = static_cast<int>(static_cast<unsigned>(date.day()));
  shown.weekday = static_cast<int>(std::chrono::weekday{day}.iso_encoding());
  std::string ruler;
  for (int slot = 0; slot < kSlots; ++slot) ruler.push_back(SlotMark(slot, starts.slots[slot]));
  std::printf("%s %s [%s] %3d\n", WeekdayName(shown.weekday).c_str(), FormatDate(shown).c_str(),
              ruler.c_str(), starts.count);
}

}  // namespace

int RunWeek(const Arguments& given) {
  Arguments args;
  DisplayCodePage shown;
  int exit_code = 0;
  if (!TakeCodePageAndOperands("week", given, 1, "expects one BASE", &args, &shown, &exit_code)) {
    return exit_code;
  }
  const std::string& name = args[0];
  StoredBase base;
  BaseDamage damage;
  Status status = ReadStoredBase(name, &base, &damage);
  std::map<Day, DayStarts> days;
  std::size_t damaged_at = 0;
  if (status == Status::kOk) {
    status = DecodeStoredPrograms(
        base, &damage, &damaged_at, [&](std::size_t, const StoredProgram& program) {
          CalendarTime start;
          CalendarOfStoredTime(StoredTime{program.start}, &start);
          const Day day{std::chrono::year{start.wYear} / start.wMonth / start.wDay};
          DayStarts& entry = days[day];
          ++entry.slots[start.wHour * 2 + start.wMinute / 30];
          ++entry.count;
        });
  }
  if (status != Status::kOk) {
    PrintError("week", BaseErrorText("skedtool week", name, status, damage));
    return 1;
  }
  std::printf("%s: %zu programme%s\n", shown.Name(name).c_str(), base.count,
              base.count == 1 ? "" : "s");
  if (days.empty()) return 0;
  std::printf("                0     3     6     9     12    15    18    21    24\n");
  Day previous = days.begin()->first;
  for (const auto& [day, starts] : days) {
    const int gap = static_cast<int>((day - previous).count()) - 1;
    if (gap > kLongestShownGap) {
      std::printf("    ... %d days without programmes ...\n", gap);
    } else {
      for (Day empty = previous + std::chrono::days{1}; empty < day;
           empty += std::chrono::days{1}) {
        PrintDay(empty, DayStarts{});
      }
    }
    PrintDay(day, starts);
    previous = day;
  }
  return std::fflush(stdout) == 0 ? 0 : 1;
}
