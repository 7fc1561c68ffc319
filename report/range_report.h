// What skedtool check says about one range list: the ranges the composer
// will use, the text it will ignore and why, and ranges that do not do what
// they seem to.
#ifndef SKEDCOMP_REPORT_RANGE_REPORT_H_
#define SKEDCOMP_REPORT_RANGE_REPORT_H_

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "selection/range_list.h"

struct ListedRange {
  TimeRange range;
  std::string_view text;  // as written, e.g. "18:00-23:30": a view into the list
};

struct RangeListReport {
  std::size_t count = 0;    // the ranges the composer reads
  std::string ignored;      // the text after them that is ignored ("" when none)
  std::string why_ignored;  // empty when the ignored text is a ';' comment
};

// Reads the list as the composer reads it, handing each range to `visit` in
// list order, one at a time, so that a list of millions takes no memory.
RangeListReport ReadRangeList(const std::string& value,
                              const std::function<void(const ListedRange&)>& visit);

// Why a range takes no programme at all, or "" when it can take some.
std::string WhyNothingSelected(const ListedRange& range);

// How the range's times are read other than a person may think ("7:5 is read
// as 7:50"); empty when they read as written.
std::vector<std::string> SurprisingTimes(const ListedRange& range);

// Whether two ranges can both take a programme; `common` gets their overlap.
bool RangesOverlap(const TimeRange& a, const TimeRange& b, TimeRange* common);

std::string FormatClockTime(const ClockTime& time);

#endif  // SKEDCOMP_REPORT_RANGE_REPORT_H_
