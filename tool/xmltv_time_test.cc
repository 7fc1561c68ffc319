#include "tool/xmltv_time.h"

#include <gtest/gtest.h>

namespace {

TEST(XmltvTimeTest, EveryFormReadsAsUtc) {
  // 2026-12-07 06:00:00 UTC
  constexpr std::int64_t kMorning = 1796623200;
  struct Case {
    const char* text;
    std::int64_t utc;
  };
  const Case cases[] = {
      {"20261207060000", kMorning},         {"20261207060000 +0000", kMorning},
      {"20261207070000 +0100", kMorning},   {"20261207070000+0100", kMorning},
      {"20261207010000 -0500", kMorning},   {"20261207063000 +0030", kMorning},
      {"202612070600", kMorning},           {"2026120706", kMorning},
      {"20261207", kMorning - 6 * 3600},    {"202612", kMorning - 6 * 3600 - 6 * 86400},
      {"20261207060000  +0000 ", kMorning}, {"20261207060059", kMorning + 59},
  };
  for (const Case& entry : cases) {
    std::int64_t utc = 0;
    EXPECT_TRUE(ParseXmltvTime(entry.text, &utc)) << entry.text;
    EXPECT_EQ(utc, entry.utc) << entry.text;
  }
}

TEST(XmltvTimeTest, WhatIsNoTimeIsRefused) {
  for (const char* text :
       {"", "202", "2026120", "20261207060000 +01", "20261207060000 0100", "20261207060000 CET",
        "20261307060000", "20260230060000", "20261207250000", "20261207066000", "20261207060060",
        "20261207060000 +0160", "2026-12-07", "20261207060000x", "202612070600001"}) {
    std::int64_t utc = 0;
    EXPECT_FALSE(ParseXmltvTime(text, &utc)) << text;
  }
}

TEST(XmltvTimeTest, FormatsWallTimeWithItsOffset) {
  EXPECT_EQ(FormatXmltvTime(1796623200, 3600), "20261207060000 +0100");
  EXPECT_EQ(FormatXmltvTime(1796623200, -4 * 3600 - 1800), "20261207060000 -0430");
  EXPECT_EQ(FormatXmltvTime(-1, 0), "19691231235959 +0000");
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
