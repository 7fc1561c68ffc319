// Which sections take the same hours of the guide, shifts and midnights
// counted.
#include "report/section_overlaps.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct Taken {
  int weekday;
  TimeRange range;
  int shift;
  std::uint32_t section;
};

TEST(SectionOverlapsTest, SectionsThatTakeTheSameHoursOfTheGuide) {
  const struct {
    const char* what;
    std::vector<Taken> taken;
    std::vector<std::string> found;  // "first second: where"
  } kCases[] = {
      {"touching ranges take no hour twice",
       {{1, {{18, 0}, {20, 0}}, 0, 0}, {1, {{20, 0}, {22, 0}}, 0, 1}},
       {}},
      {"one section's own ranges never pair",
       {{1, {{18, 0}, {20, 0}}, 0, 0}, {1, {{19, 0}, {21, 0}}, 0, 0}},
       {}},
      {"a shift moves a range onto the other's hours",
       {{1, {{18, 0}, {20, 0}}, 0, 0}, {1, {{19, 0}, {23, 0}}, -1, 1}},
       {"0 1: Mon 18:00-20:00"}},
      {"across midnight and the week's end, pieces joined",
       {{7, {{0, 0}, {24, 0}}, 0, 0}, {1, {{0, 0}, {24, 0}}, -1, 1}},
       {"0 1: Sun 23:00-24:00"}},
      {"stretches of a day meet in one",
       {{6, {{7, 0}, {11, 0}}, 0, 0}, {6, {{9, 0}, {10, 0}}, 0, 0}, {6, {{0, 0}, {24, 0}}, 0, 1}},
       {"0 1: Sat 7:00-11:00"}},
  };
  for (const auto& entry : kCases) {
    SCOPED_TRACE(entry.what);
    std::vector<TakenSpan> spans;
    for (const Taken& taken : entry.taken) {
      AddTakenSpans(taken.weekday, taken.range, taken.shift, taken.section, &spans);
    }
    long long pairs = 0;
    std::vector<std::string> found;
    for (const SectionOverlap& overlap : OverlappingSections(spans, 3, &pairs)) {
      std::string where;
      for (const TakenSpan& span : overlap.where)
        where += (where.empty() ? "" : ", ") + WeekSpanText(span);
      found.push_back(std::to_string(overlap.first) + " " + std::to_string(overlap.second) + ": " +
                      where);
    }
    EXPECT_EQ(found, entry.found);
    EXPECT_EQ(pairs, static_cast<long long>(entry.found.size()));
  }
}

}  // namespace
