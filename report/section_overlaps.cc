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

namespace {

// Each section's spans made disjoint: a section's own ranges never pair, and
// so the sweep below holds at most one span of a section at a time.
std::vector<TakenSpan> JoinedBySection(std::vector<TakenSpan> spans) {
  std::sort(spans.begin(), spans.end(), [](const TakenSpan& a, const TakenSpan& b) {
    return std::tie(a.section, a.start) < std::tie(b.section, b.start);
  });
  std::vector<TakenSpan> joined;
  for (const TakenSpan& span : spans) {
    if (!joined.empty() && joined.back().section == span.section &&
        span.start <= joined.back().end && span.start / kDay == joined.back().start / kDay) {
      joined.back().end = std::max(joined.back().end, span.end);
    } else {
      joined.push_back(span);
    }
  }
  return joined;
}

}  // namespace

std::vector<SectionOverlap> OverlappingSections(std::vector<TakenSpan> spans, std::size_t most,
                                                long long* pairs) {
  spans = JoinedBySection(std::move(spans));
  std::sort(spans.begin(), spans.end(), [](const TakenSpan& a, const TakenSpan& b) {
    return std::tie(a.start, a.section) < std::tie(b.start, b.section);
  });
  std::vector<SectionOverlap> found;
  std::map<std::pair<std::uint32_t, std::uint32_t>, std::size_t> index;  // of the pairs kept
  std::set<std::pair<std::uint32_t, std::uint32_t>> counted;             // every pair met
  std::multiset<std::pair<std::int32_t, std::uint32_t>> open;            // ends of spans begun
  long long stretches = 0;
  for (std::size_t at = 0; at < spans.size() && stretches < kMaxStretchesFound; ++at) {
    const TakenSpan& span = spans[at];
    while (!open.empty() && open.begin()->first <= span.start) open.erase(open.begin());
    for (const auto& [end, i] : open) {
      if (++stretches > kMaxStretchesFound) break;
      const TakenSpan& other = spans[i];
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
    open.insert({span.end, static_cast<std::uint32_t>(at)});
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
