#include "xmltv/export_stops.h"

#include <algorithm>

#include "base/calendar_time.h"
#include "xmltv/xmltv_time.h"

namespace {

// The minute of the moment a start names in the zone: two wall times that
// name one moment (in the hour a change skips, or the one it repeats) start
// the same minute.
std::int64_t MinuteOf(const TimeZone& zone, std::uint64_t ticks) {
  const ZonedTime time = ExistingWallTime(zone, WallTimeOfTicks(ticks));
  const std::int64_t seconds = time.wall - time.offset;
  return seconds >= 0 ? seconds / 60 : (seconds - 59) / 60;
}

// The stop of the programmes [first, end) that start the same minute: the
// latest given one after their start, else the next later start, else the
// last rule's.
std::uint64_t GroupStop(const std::vector<StoredProgram>& programs,
                        const std::vector<std::uint64_t>& given, std::size_t first, std::size_t end,
                        const TimeZone& zone, const StopRules& rules, ChosenStops* chosen) {
  const std::uint64_t start = programs[first].start;
  const std::int64_t minute = MinuteOf(zone, start);
  std::uint64_t stop = 0;
  for (std::size_t k = first; k < end && k < given.size(); ++k) {
    if (given[k] > start && MinuteOf(zone, given[k]) > minute) stop = std::max(stop, given[k]);
  }
  if (stop != 0) return stop;
  // A base out of start order: the next start that is later, never an earlier one.
  for (std::size_t k = end; k < programs.size(); ++k) {
    if (MinuteOf(zone, programs[k].start) > minute) return programs[k].start;
  }
  ++chosen->last;
  return start + static_cast<std::uint64_t>(rules.last_minutes) * kTicksPerMinute;
}

}  // namespace

std::vector<TimedProgramme> ProgrammesWithStops(const std::vector<StoredProgram>& programs,
                                                const std::vector<std::uint64_t>& given,
                                                const TimeZone& zone, const StopRules& rules,
                                                ChosenStops* chosen) {
  std::vector<TimedProgramme> timed;
  for (std::size_t first = 0, end = 0; first < programs.size(); first = end) {
    const std::int64_t minute = MinuteOf(zone, programs[first].start);
    end = first + 1;
    while (end < programs.size() && MinuteOf(zone, programs[end].start) == minute) ++end;
    const std::uint64_t stop = GroupStop(programs, given, first, end, zone, rules, chosen);
    if (!rules.join_same_minute) {
      for (std::size_t k = first; k < end; ++k) {
        timed.push_back({programs[k].start, stop, std::string(programs[k].title)});
      }
      continue;
    }
    TimedProgramme joined{programs[first].start, stop, std::string(programs[first].title)};
    std::vector<std::string_view> titles = {programs[first].title};
    for (std::size_t k = first + 1; k < end; ++k) {
      ++chosen->joined;
      // An exact repeat of a title is written once.
      if (std::find(titles.begin(), titles.end(), programs[k].title) != titles.end()) continue;
      titles.push_back(programs[k].title);
      joined.title += kJoinedTitles;
      joined.title += programs[k].title;
    }
    timed.push_back(std::move(joined));
  }
  return timed;
}
