#include "selection/select_channel.h"

#include <string>

#include "selection/range_list.h"
#include "selection/select_programs.h"

namespace {

constexpr int kMaxShift = 24;  // larger shifts would move a start by more than a day
constexpr std::string_view kWholeDay = "0:00-24:00";

}  // namespace

Status SelectChannel(std::string_view section, const IniProfile& composition) {
  // The same for every weekday, so read once; a bad value stops the run even
  // when no range takes anything.
  int shift = 0;
  if (GetPrivateProfileIntA(composition, section, "timeshift", 0, &shift) !=
          ProfileIntResult::kOk ||
      shift < -kMaxShift || shift > kMaxShift) {
    return Status::kWrongTimeshift;
  }
  for (int weekday = 1; weekday <= 7; ++weekday) {
    const std::string ranges = GetPrivateProfileStringA(
        composition, section, "range" + std::to_string(weekday), kWholeDay);
    const char* cursor = ranges.c_str();
    TimeRange range;
    // The first range that does not parse ends the list; what follows is ignored.
    while (ParseTimeRange(&cursor, &range)) {
      if (const Status status = SelectPrograms(weekday, range, shift); status != Status::kOk) {
        return status;
      }
    }
  }
  return Status::kOk;
}
