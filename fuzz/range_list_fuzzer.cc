// Range-list parsing, and skedtool's report on it, on arbitrary text.
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz/fuzz_check.h"
#include "report/range_report.h"
#include "selection/range_list.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // As the composer sees a value: a zero-terminated text.
  const std::string value(reinterpret_cast<const char*>(data), size);
  const char* begin = value.c_str();
  const char* end = begin + std::strlen(begin);

  const char* cursor = begin;
  TimeRange range;
  TimeRangeTrace trace;
  std::size_t ranges = 0;
  for (;;) {
    const char* before = cursor;
    const bool parsed = ParseTimeRange(&cursor, &range, &trace);
    FUZZ_CHECK(cursor >= before && cursor <= end);
    if (!parsed) {
      FUZZ_CHECK(trace.stopped_at >= before && trace.stopped_at <= end);
      break;
    }
    // A range is at least "d-d": the list always moves on.
    FUZZ_CHECK(cursor >= before + 3);
    FUZZ_CHECK(trace.start_text < trace.start_end && trace.start_end < trace.end_text);
    FUZZ_CHECK(trace.end_text < trace.end_end && trace.end_end <= cursor);
    ++ranges;
  }

  std::vector<ListedRange> listed_ranges;
  const RangeListReport report =
      ReadRangeList(value, [&](const ListedRange& listed) { listed_ranges.push_back(listed); });
  FUZZ_CHECK(report.count == ranges && listed_ranges.size() == ranges);
  for (const ListedRange& listed : listed_ranges) {
    WhyNothingSelected(listed);
    SurprisingTimes(listed);
    for (const ListedRange& other : listed_ranges) {
      TimeRange common;
      if (RangesOverlap(listed.range, other.range, &common)) {
        FUZZ_CHECK(common.start.hours >= 0);
      }
    }
  }
  FUZZ_CHECK(report.ignored.size() <= static_cast<std::size_t>(end - begin));
  return 0;
}
