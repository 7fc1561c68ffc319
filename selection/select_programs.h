// Copying the programmes of one weekday and time range into the guide.
#ifndef SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_
#define SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "base/program_start.h"
#include "base/program_tables.h"
#include "base/status.h"
#include "selection/range_list.h"

// The first minute of the day (0 to 1440) at which a programme starts at or
// after `time`, hour first, then minute: 24:00 and later give 1440, 6:75
// gives 7:00, a negative time 0:00. So a range takes the starts from the
// first minute of its start up to, not including, that of its end.
int FirstMinuteFrom(const ClockTime& time);

// Whether `record` is of `weekday` and starts (hour, then minute) at or after
// the range's start and before its end. The date takes no part.
bool ProgramInRange(const ProgramRecord& record, int weekday, const TimeRange& range);

// Where a programme of the guide came from, for showing a composition to a
// person: one entry for each record appended to the guide table, in step.
struct Provenance {
  std::size_t section = 0;  // position of the channel's section (set by the caller)
  int channel_record = 0;   // position in the channel's table
  ProgramStart source;      // its start in the channel
  int weekday = 0;          // the key range1 ... range7 that took it
  TimeRange range{};        // ... and the range of that key's list
  int shift = 0;            // hours added to its start
};

// Appends to the guide table, in channel table order, a copy of every record of
// weekday `weekday` whose start (hour, then minute) is at or after the range's
// start and before its end, and shifts each copy by `shift` hours. Dates take
// no part, and the channel table is never changed. With `trace`, records
// where each copy came from.
Status SelectPrograms(const ProgramTable& channel, int weekday, const TimeRange& range, int shift,
                      ProgramTable& guide, std::vector<Provenance>* trace = nullptr);

#endif  // SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_
