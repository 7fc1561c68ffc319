// The guide's sort order.
#ifndef SKEDCOMP_BASE_COMPARE_PROGRAM_TIMES_H_
#define SKEDCOMP_BASE_COMPARE_PROGRAM_TIMES_H_

#include "base/program_tables.h"

// Negative, zero or positive as `a` starts before, with or after `b`:
// year, month, day, weekday, hour, minute, each ascending. Titles take no part.
int CompareProgramTimes(const ProgramRecord& a, const ProgramRecord& b);

#endif  // SKEDCOMP_BASE_COMPARE_PROGRAM_TIMES_H_
