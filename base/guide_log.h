// The check log: a text listing of every programme written to a guide, for a
// person to look through before the guide is put to use.
#ifndef SKEDCOMP_BASE_GUIDE_LOG_H_
#define SKEDCOMP_BASE_GUIDE_LOG_H_

#include <string>
#include <string_view>

#include "base/calendar_time.h"

void AppendGuideLogHeader(std::string* log);

// Two lines: "day month year hour minute weekday", then the title. The
// weekday is the record's number (1 = Monday ... 7 = Sunday), not the date's
// wDayOfWeek: a guide shows the weekday its programme was taken as.
void AppendGuideLogEntry(std::string* log, const CalendarTime& start, std::uint16_t weekday,
                         std::string_view title);

#endif  // SKEDCOMP_BASE_GUIDE_LOG_H_
