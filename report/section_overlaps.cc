#include "report/section_overlaps.h"

#include <algorithm>
#include <map>
#include <set>
#include <utility>

#include "base/program_start.h"
#include "text/clock_text.h"

namespace {

constexpr std::int32_t kDay = 24 * 60;

std::int32_t Minutes(const ClockTime& time) { return time.hours * 60 + time.minutes; }

}  // namespace

void AddTakenSpans(int weekday, const TimeRange& range, int shift, std::uint32_t section,
                   std::vector<TakenSpan>* spans) {
  // Programmes start from 0:00 to before 24:00: a range takes no more.
  const std::int32_t first = std::max<std::int32_t>(0, Minutes(range.start));
  const std::int32_t end = std::min<std::int32_t>(kDay, Minutes(range.end));
  if (first >= end) return;
  const std::int32_t moved = (weekday - kMonday) * kDay + first + shift * 60;
  std::int32_t start = ((moved % kMinutesPerWeek) + kMinutesPerWeek) % kMinutesPerWeek;
  for (std::int32_t left = end - first; left > 0;) {
    const std::int32_t piece = std::min(left, kDay - start % kDay);
    spans->push_back({start, start + piece, section});
    left -= piece;
    start = (start + piece) % kMinutesPerWeek;
  }
}

std::vector<SectionOverlap> OverlappingSections(std::vector<TakenSpan> spans, std::size_t most,
                                                long long* pairs) {
  std::sort(spans.begin(), spans.end(), [](const TakenSpan& a, const TakenSpan& b) {
    return std::tie(a.start, a.section) < std::tie(b.start, b.section);
  });
  std::vector<SectionOverlap> found;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::size_t> index;  // of the pairs kept
  std::set<std::pair<std::uint32_t, std::uint32_t>> counted;   // every pair, bounded below
  std::multiset<std::pair<std::int32_t, std::uint32_t>> open;  // ends of spans begun
  long long stretches = 0;
  for (const TakenSpan& span : spans) {
    while (!open.empty() && open.begin()->first <= span.start) open.erase(open.begin());
    for (const auto& [end, i] : open) {
      const TakenSpan& other = spans[i];
      if (other.section == span.section || stretches >= kMaxStretchesFound) continue;
      ++stretches;
      const auto key = std::minmax(other.section, span.section);
      counted.insert(key);
      auto slot = index.find(key);
      if (slot == index.end()) {
        if (found.size() >= most) continue;
        slot = index.emplace(key, found.size()).first;
        found.push_back({key.first, key.second, {}, 0});
      }
      SectionOverlap& overlap = found[slot->second];
      const TakenSpan met{span.start, std::min(end, span.end), 0};
      // A stretch that joins or lies in the last one of the day extends it.
      if (!overlap.where.empty() && met.start <= overlap.where.back().end &&
          met.start / kDay == overlap.where.back().start / kDay) {
        overlap.where.back().end = std::max(overlap.where.back().end, met.end);
        continue;
      }
      ++overlap.stretches;
      if (overlap.where.size() < 7) overlap.where.push_back(met);
    }
    open.insert({span.end, static_cast<std::uint32_t>(&span - spans.data())});
  }
  *pairs = static_cast<long long>(counted.size());
  return found;
}

std::string WeekSpanText(const TakenSpan& span) {
  const int day = span.start / kDay;
  const std::int32_t from = span.start - day * kDay;
  const std::int32_t to = span.end - day * kDay;
  return WeekdayName(kMonday + day) + " " + ClockText(from / 60, from % 60) + "-" +
         ClockText(to / 60, to % 60);
}
