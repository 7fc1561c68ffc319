// Sections whose ranges take the same hours of the guide: the guide then
// holds two programmes at once, which no player can show.
#ifndef SKEDCOMP_REPORT_SECTION_OVERLAPS_H_
#define SKEDCOMP_REPORT_SECTION_OVERLAPS_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "selection/range_list.h"

inline constexpr std::int32_t kMinutesPerWeek = 7 * 24 * 60;

// A stretch of the guide's week in which a section takes the programmes
// that start: minutes from Monday 0:00, within one day.
struct TakenSpan {
  std::int32_t start = 0;
  std::int32_t end = 0;
  std::uint32_t section = 0;  // its position in the composition
};

// Adds the stretch of guide time that `range` of `weekday` takes once its
// section's `shift` (hours) moves it, split at midnight.
void AddTakenSpans(int weekday, const TimeRange& range, int shift, std::uint32_t section,
                   std::vector<TakenSpan>* spans);

// Two sections that take the same hours, and where (up to a few stretches).
struct SectionOverlap {
  std::uint32_t first = 0;
  std::uint32_t second = 0;
  std::vector<TakenSpan> where;  // `section` unused
  long long stretches = 0;       // all of them
};

// The pairs of sections whose spans meet, in order of their first meeting:
// at most `most` kept, all counted in `*pairs`. Spans of one section never
// pair. Bounded: past kMaxStretchesFound meetings no more are looked for
// (a file of a million sections each taking every day is counted so far).
inline constexpr long long kMaxStretchesFound = 100'000;
std::vector<SectionOverlap> OverlappingSections(std::vector<TakenSpan> spans, std::size_t most,
                                                long long* pairs);

// "Mon 18:00-23:00".
std::string WeekSpanText(const TakenSpan& span);

#endif  // SKEDCOMP_REPORT_SECTION_OVERLAPS_H_
