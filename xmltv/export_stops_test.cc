// The stops export chooses where a base cannot tell them.
#include "xmltv/export_stops.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "base/calendar_time.h"

namespace {

constexpr std::uint64_t kDay = 157'000'000'000'000'000;  // some minute of some day

std::uint64_t At(int minutes) {
  return kDay + static_cast<std::uint64_t>(minutes) * kTicksPerMinute;
}

struct Expected {
  int start;
  int stop;
  const char* title;
};

TEST(ExportStopsTest, EveryProgrammeStopsAfterItsStart) {
  const struct {
    const char* what;
    std::vector<StoredProgram> programs;
    std::vector<std::uint64_t> given;
    StopRules rules;
    std::vector<Expected> expected;
    ChosenStops chosen;
  } kCases[] = {
      {"the next start, then the last rule",
       {{At(0), "a"}, {At(30), "b"}},
       {},
       {},
       {{0, 30, "a"}, {30, 90, "b"}},
       {0, 1}},
      {"same minute joined, a repeat once",
       {{At(0), "a"}, {At(0), "b"}, {At(0), "a"}, {At(45), "c"}},
       {},
       {true, 15},
       {{0, 45, "a / b"}, {45, 60, "c"}},
       {2, 1}},
      {"same minute kept apart",
       {{At(0), "a"}, {At(0), "b"}, {At(45), "c"}},
       {},
       {false, 60},
       {{0, 45, "a"}, {0, 45, "b"}, {45, 105, "c"}},
       {0, 1}},
      {"given stops first, an empty one gives way",
       {{At(0), "a"}, {At(0), "b"}, {At(45), "c"}},
       {At(0), At(20), At(50)},
       {},
       {{0, 20, "a / b"}, {45, 50, "c"}},
       {1, 0}},
      {"out of start order: never an earlier stop",
       {{At(60), "a"}, {At(30), "b"}, {At(90), "c"}},
       {},
       {},
       {{60, 90, "a"}, {30, 90, "b"}, {90, 150, "c"}},
       {0, 1}},
  };
  TimeZone utc;
  std::string error;
  ASSERT_TRUE(FindTimeZone("UTC", &utc, &error)) << error;
  for (const auto& entry : kCases) {
    SCOPED_TRACE(entry.what);
    ChosenStops chosen;
    const std::vector<TimedProgramme> timed =
        ProgrammesWithStops(entry.programs, entry.given, utc, entry.rules, &chosen);
    ASSERT_EQ(timed.size(), entry.expected.size());
    for (std::size_t k = 0; k < timed.size(); ++k) {
      EXPECT_EQ(timed[k].start, At(entry.expected[k].start)) << k;
      EXPECT_EQ(timed[k].stop, At(entry.expected[k].stop)) << k;
      EXPECT_EQ(timed[k].title, entry.expected[k].title) << k;
    }
    EXPECT_EQ(chosen.joined, entry.chosen.joined);
    EXPECT_EQ(chosen.last, entry.chosen.last);
  }
}

}  // namespace
