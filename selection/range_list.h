// Range lists: the times of day a composition keeps for one weekday, such as
// "6:00-9:00, 18:00-23:30", read one range at a time.
#ifndef SKEDCOMP_SELECTION_RANGE_LIST_H_
#define SKEDCOMP_SELECTION_RANGE_LIST_H_

#include <cstdint>

// A time of day as written: 24:00 is 24 hours, and minutes may pass 59.
struct ClockTime {
  std::int32_t hours;
  std::int32_t minutes;
};

struct TimeRange {
  ClockTime start;
  ClockTime end;
};

// Reads one time value at *cursor (a zero-terminated text) and moves the
// cursor past it; on failure the cursor may have moved part of the way.
// Fails on an empty value and when the hours do not fit 32 bits.
bool ParseClockTime(const char** cursor, ClockTime* result);

// Where one ParseTimeRange call found the texts of its two time values and,
// on failure, where it stopped: for explaining a list to a person.
struct TimeRangeTrace {
  const char* start_text = nullptr;  // the start value: [start_text, start_end)
  const char* start_end = nullptr;   // null when the start did not parse
  const char* end_text = nullptr;    // the end value: [end_text, end_end)
  const char* end_end = nullptr;     // null when the end did not parse
  const char* stopped_at = nullptr;  // on failure: the character that did not fit
};

// Reads "start-end", with spaces before it and spaces and one comma after it.
// A failure ends the list: the rest of the text is ignored.
bool ParseTimeRange(const char** cursor, TimeRange* result, TimeRangeTrace* trace = nullptr);

#endif  // SKEDCOMP_SELECTION_RANGE_LIST_H_
