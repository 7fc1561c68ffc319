#include "xmltv/xmltv_time.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every form an XMLTV time may take, what each means, and what is refused.
TEST(XmltvTimeTest, EveryFormReadsAsUtc) {
  // 2026-12-07 06:00:00 UTC
  constexpr std::int64_t kMorning = 1796623200;
  using R = XmltvTimeResult;
  struct Case {
    const char* text;
    R result;
    std::int64_t utc;
  };
  const Case cases[] = {
      {"20261207060000", R::kOk, kMorning},
      {"20261207060000 +0000", R::kOk, kMorning},
      {"20261207070000 +0100", R::kOk, kMorning},
      {"20261207070000+0100", R::kOk, kMorning},
      {"20261207010000 -0500", R::kOk, kMorning},
      {"20261207063000 +0030", R::kOk, kMorning},
      {"202612070600", R::kOk, kMorning},
      {"2026120706", R::kOk, kMorning},
      {"20261207", R::kOk, kMorning - 6 * 3600},
      {"202612", R::kOk, kMorning - 6 * 3600 - 6 * 86400},
      {"20261207060000  +0000 ", R::kOk, kMorning},
      {"20261207060059", R::kOk, kMorning + 59},
      // The offset's limits.
      {"20261208055900 +2359", R::kOk, kMorning},
      {"20261206060100 -2359", R::kOk, kMorning},
      {"20261207060000 +2400", R::kMalformed, 0},
      {"20261207060000 +9959", R::kMalformed, 0},
      {"20261207060000 +0060", R::kMalformed, 0},
      {"20261207060000 +01", R::kMalformed, 0},
      {"20261207060000 0100", R::kMalformed, 0},
      // Zone names, any case, with or without a blank.
      {"20261207060000Z", R::kOk, kMorning},
      {"20261207060000 utc", R::kOk, kMorning},
      {"20261207070000 Bst", R::kOk, kMorning},
      {"20261207063000 NST", R::kOk, kMorning + 4 * 3600},
      {"20261207060000 IST", R::kUnknownZoneName, 0},
      {"20261207060000 Europe/Berlin", R::kMalformed, 0},
      {"20261207060000 CET1", R::kMalformed, 0},
      // No time at all.
      {"", R::kMalformed, 0},
      {"202", R::kMalformed, 0},
      {"2026120", R::kMalformed, 0},
      {"20261307060000", R::kMalformed, 0},
      {"20260230060000", R::kMalformed, 0},
      {"20261207250000", R::kMalformed, 0},
      {"20261207066000", R::kMalformed, 0},
      {"20261207060060", R::kMalformed, 0},
      {"2026-12-07", R::kMalformed, 0},
      {"20261207060000x1", R::kMalformed, 0},
      {"202612070600001", R::kMalformed, 0},
  };
  for (const Case& entry : cases) {
    std::int64_t utc = 0;
    EXPECT_EQ(ParseXmltvTime(entry.text, &utc), entry.result) << entry.text;
    if (entry.result == R::kOk) {
      EXPECT_EQ(utc, entry.utc) << entry.text;
    }
  }
  // Every name of the table, each as its own offset.
  for (const XmltvZoneName& zone : kXmltvZoneNames) {
    std::int64_t utc = 0;
    const std::string text = std::string("20261207060000 ") + zone.name;
    ASSERT_EQ(ParseXmltvTime(text, &utc), R::kOk) << text;
    EXPECT_EQ(utc, kMorning - zone.minutes * 60) << text;
  }
}

TEST(XmltvTimeTest, FormatsWallTimeWithItsOffset) {
  EXPECT_EQ(FormatXmltvTime(1796623200, 3600), "20261207060000 +0100");
  EXPECT_EQ(FormatXmltvTime(1796623200, -4 * 3600 - 1800), "20261207060000 -0430");
  EXPECT_EQ(FormatXmltvTime(-1, 0), "19691231235959 +0000");
  // Local mean time (Berlin's +0:53:28) cannot be written: the moment in UTC.
  EXPECT_EQ(FormatXmltvTime(1796623200, 3208), "20261207050632 +0000");
}

TEST(XmltvTimeTest, WallTimesAndTicksMeetAtTheCalendar) {
  std::uint64_t ticks = 0;
  // 2000-03-20 19:30, as a base stores it.
  ASSERT_TRUE(TicksOfWallTime(953580600, &ticks));
  EXPECT_EQ(ticks, 0x01BF92A2AE856C00u);
  EXPECT_EQ(WallTimeOfTicks(ticks), 953580600);
  EXPECT_TRUE(TicksOfWallTime(-11644473600, &ticks));
  EXPECT_EQ(ticks, 0u);
  EXPECT_FALSE(TicksOfWallTime(-11644473601, &ticks));
  std::int64_t wall = 0;
  ASSERT_TRUE(ParseIsoDate("2000-03-20", &wall));
  EXPECT_EQ(wall, 953510400);
  EXPECT_FALSE(ParseIsoDate("2000-02-30", &wall));
  EXPECT_FALSE(ParseIsoDate("20000320", &wall));
}

}  // namespace
