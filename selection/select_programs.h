// Copying the programmes of one weekday and time range into the guide.
#ifndef SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_
#define SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_

#include "base/program_tables.h"
#include "base/status.h"
#include "selection/range_list.h"

// Whether `record` is of `weekday` and starts (hour, then minute) at or after
// the range's start and before its end. The date takes no part.
bool ProgramInRange(const ProgramRecord& record, int weekday, const TimeRange& range);

// Appends to the GuideTable, in ChannelTable order, a copy of every record of
// weekday `weekday` whose start (hour, then minute) is at or after the range's
// start and before its end, and shifts each copy by `shift` hours. Dates take
// no part, and the ChannelTable is never changed.
Status SelectPrograms(int weekday, const TimeRange& range, int shift);

#endif  // SKEDCOMP_SELECTION_SELECT_PROGRAMS_H_
