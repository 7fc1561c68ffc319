#include "report/guide_stops.h"

#include <algorithm>

#include "base/calendar_time.h"
#include "base/write_program_base.h"
#include "composition/composition_file.h"
#include "composition/ini_profile.h"
#include "report/listing.h"
#include "selection/select_composition.h"
#include "selection/select_programs.h"

namespace {

// The end of the range that took a programme, on the day it started in its
// channel, moved by the shift: where the composition stops wanting it.
std::uint64_t RangeEnd(const Provenance& from) {
  StoredTime day;
  StoredTimeOfCalendar(MakeCalendarTime(from.source.year, from.source.month, from.source.day),
                       &day);  // a start that loaded: a valid date
  const auto end_minute = static_cast<std::int64_t>(FirstMinuteFrom(from.range.end));
  const std::int64_t moved = end_minute * 60 + std::int64_t{from.shift} * 3600;
  return static_cast<std::uint64_t>(static_cast<std::int64_t>(day.ticks) +
                                    moved * static_cast<std::int64_t>(kTicksPerSecond));
}

}  // namespace

bool ComposedStops(const std::string& name, const StoredBase& guide, ProgramTables& tables,
                   std::vector<std::uint64_t>* stops, std::string* error) {
  std::string section;
  std::vector<Provenance> provenance;
  const Status status =
      SelectComposition(ReadIniProfile(CompositionFilePath(name)), tables, &section, &provenance);
  if (status != Status::kOk) {
    *error = name + ".cfg does not compose: " + StatusText(status) + "; skedtool check " + name +
             " says more";
    return false;
  }
  GuideFiles files;
  if (BuildGuideFiles(tables.guide, &files) != Status::kOk || files.index != guide.index() ||
      files.titles != guide.titles() || guide.index_stamp.size != files.index.size() ||
      guide.titles_stamp.size != files.titles.size()) {
    *error = name + ".ndx and " + name + ".pdt are not what " + name +
             ".cfg composes now, so its ranges tell no stops; run skedcomp " + name + " first";
    return false;
  }
  const std::vector<int> order = GuideOrder(tables.guide);
  std::vector<std::uint64_t> starts;
  BaseDamage damage;
  std::size_t at = 0;
  DecodeStoredPrograms(guide, &damage, &at, [&](std::size_t, const StoredProgram& program) {
    starts.push_back(program.start);
  });
  stops->clear();
  for (std::size_t k = 0; k < order.size(); ++k) {
    std::uint64_t stop = RangeEnd(provenance[static_cast<std::size_t>(order[k])]);
    if (k + 1 < starts.size()) stop = std::min(stop, starts[k + 1]);
    stops->push_back(std::max(stop, starts[k]));
  }
  return true;
}
