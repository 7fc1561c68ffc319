#include "selection/select_channel.h"

#include <array>
#include <optional>
#include <string>

#include "selection/range_list.h"
#include "selection/select_programs.h"

namespace {

Status CheckTimeShift(ProfileIntResult read, int shift) {
  return read != ProfileIntResult::kOk || shift < -kMaxShift || shift > kMaxShift
             ? Status::kWrongTimeshift
             : Status::kOk;
}

}  // namespace

Status ReadTimeShift(std::string_view section, const IniProfile& composition, int* shift) {
  const ProfileIntResult read = ProfileInt(composition, section, kTimeshiftKey, 0, shift);
  return CheckTimeShift(read, *shift);
}

Status ReadChannelSelection(std::string_view section, const IniProfile& composition,
                            ChannelSelection* selection) {
  selection->ranges.clear();
  selection->weekday_end.fill(0);
  std::array<std::optional<std::string_view>, kChannelKeys.size()> values;
  FindProfileKeys(composition, section, kChannelKeys, values);
  // The same for every weekday, so read once; a bad value stops the run even
  // when no range takes anything.
  const ProfileIntResult read = ParseProfileInt(values[0], 0, &selection->shift);
  if (const Status status = CheckTimeShift(read, selection->shift); status != Status::kOk) {
    return status;
  }
  for (int weekday = kMonday; weekday <= kSunday; ++weekday) {
    const std::string ranges(values[static_cast<std::size_t>(weekday)].value_or(kWholeDay));
    // The missing key, parsed once for all.
    static const TimeRange whole_day = [] {
      const char* text = kWholeDay.data();
      TimeRange range{};
      ParseTimeRange(&text, &range);
      return range;
    }();
    if (ranges == kWholeDay) {
      selection->ranges.push_back(whole_day);
      selection->weekday_end[static_cast<std::size_t>(weekday)] = selection->ranges.size();
      continue;
    }
    const char* cursor = ranges.c_str();
    TimeRange range;
    // The first range that does not parse ends the list; what follows is ignored.
    while (ParseTimeRange(&cursor, &range)) {
      // One that takes nothing is left out: a list may hold a million.
      if (FirstMinuteFrom(range.start) < FirstMinuteFrom(range.end)) {
        selection->ranges.push_back(range);
      }
    }
    selection->weekday_end[static_cast<std::size_t>(weekday)] = selection->ranges.size();
  }
  return Status::kOk;
}

StartFilter KeptStarts(const ChannelSelection& selection) {
  StartFilter filter;
  for (int weekday = kMonday; weekday <= kSunday; ++weekday) {
    for (std::size_t i = selection.weekday_end[static_cast<std::size_t>(weekday - 1)];
         i < selection.weekday_end[static_cast<std::size_t>(weekday)]; ++i) {
      const TimeRange& range = selection.ranges[i];
      KeepStarts(&filter, weekday, FirstMinuteFrom(range.start), FirstMinuteFrom(range.end));
    }
  }
  return filter;
}

Status SelectChannel(const ChannelSelection& selection, const ProgramTable& channel,
                     ProgramTable& guide, std::vector<Provenance>* trace) {
  for (int weekday = kMonday; weekday <= kSunday; ++weekday) {
    for (std::size_t i = selection.weekday_end[static_cast<std::size_t>(weekday - 1)];
         i < selection.weekday_end[static_cast<std::size_t>(weekday)]; ++i) {
      if (const Status status =
              SelectPrograms(channel, weekday, selection.ranges[i], selection.shift, guide, trace);
          status != Status::kOk) {
        return status;
      }
    }
  }
  return Status::kOk;
}

Status SelectChannel(std::string_view section, const IniProfile& composition,
                     const ProgramTable& channel, ProgramTable& guide,
                     std::vector<Provenance>* trace) {
  ChannelSelection selection;
  if (const Status status = ReadChannelSelection(section, composition, &selection);
      status != Status::kOk) {
    return status;
  }
  return SelectChannel(selection, channel, guide, trace);
}
