#include "selection/select_channel.h"

#include <string>

#include "selection/range_list.h"
#include "selection/select_programs.h"

std::string RangeKey(int weekday) { return "range" + std::to_string(weekday); }

Status ReadTimeShift(std::string_view section, const IniProfile& composition, int* shift) {
  if (ProfileInt(composition, section, kTimeshiftKey, 0, shift) != ProfileIntResult::kOk ||
      *shift < -kMaxShift || *shift > kMaxShift) {
    return Status::kWrongTimeshift;
  }
  return Status::kOk;
}

Status SelectChannel(std::string_view section, const IniProfile& composition,
                     const ProgramTable& channel, ProgramTable& guide,
                     std::vector<Provenance>* trace) {
  // The same for every weekday, so read once; a bad value stops the run even
  // when no range takes anything.
  int shift = 0;
  if (const Status status = ReadTimeShift(section, composition, &shift); status != Status::kOk) {
    return status;
  }
  for (int weekday = 1; weekday <= 7; ++weekday) {
    const std::string ranges = ProfileString(composition, section, RangeKey(weekday), kWholeDay);
    const char* cursor = ranges.c_str();
    TimeRange range;
    // The first range that does not parse ends the list; what follows is ignored.
    while (ParseTimeRange(&cursor, &range)) {
      if (const Status status = SelectPrograms(channel, weekday, range, shift, guide, trace);
          status != Status::kOk) {
        return status;
      }
    }
  }
  return Status::kOk;
}
