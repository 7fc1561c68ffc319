// Moving a programme's start by a channel's time shift.
#ifndef SKEDCOMP_SELECTION_TIME_SHIFT_H_
#define SKEDCOMP_SELECTION_TIME_SHIFT_H_

#include <cstdint>

#include "base/program_tables.h"

// Days in `month` (1 to 12) of `year`, Gregorian: 1900 and 2100 are not leap years.
int DaysInMonth(std::int32_t month, std::int32_t year);

// Adds `shift` hours to the record's start, carrying into day, month, year and
// weekday. Moves by at most one day, so any shift from -24 to 24 gives a valid
// date and time; the minute never changes.
void ShiftProgramTime(ProgramRecord& record, int shift);

#endif  // SKEDCOMP_SELECTION_TIME_SHIFT_H_
