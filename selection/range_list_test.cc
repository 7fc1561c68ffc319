#include "selection/range_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(RangeListTest, TimeValues) {
  struct Case {
    const char* text;
    int hours;
    int minutes;
    const char* rest;  // what is left at the cursor
  };
  const Case cases[] = {
      {"0:00", 0, 0, ""},
      {"24:00", 24, 0, ""},
      {"7:30", 7, 30, ""},
      {"07:30", 7, 30, ""},
      {"7:05", 7, 5, ""},
      {"7:5", 7, 50, ""},
      {"7", 7, 0, ""},
      {"7:", 7, 0, ""},
      {":30", 0, 30, ""},
      {":", 0, 0, ""},
      {"::", 0, 0, ""},
      {"-1:30", -1, -30, ""},
      {"-0:30", 0, -30, ""},
      {"23:59", 23, 59, ""},
      {"1:60", 1, 60, ""},
      {"0:29", 0, 29, ""},
      {"12:34:56", 12, 34, ""},
      {"7:295", 7, 30, ""},
      {"0:285", 0, 28, ""},
      {"7:995", 7, 0, ""},
      {"7.30", 7, 0, ".30"},
      {"7:30x", 7, 30, "x"},
      {"7:30-8:00", 7, 30, "-8:00"},
      {"2147483647", 2147483647, 0, ""},
      {"-2147483647:59", -2147483647, -59, ""},
  };
  for (const Case& entry : cases) {
    const char* cursor = entry.text;
    ClockTime time{-99, -99};
    ASSERT_TRUE(ParseClockTime(&cursor, &time)) << entry.text;
    EXPECT_EQ(time.hours, entry.hours) << entry.text;
    EXPECT_EQ(time.minutes, entry.minutes) << entry.text;
    EXPECT_STREQ(cursor, entry.rest) << entry.text;
  }
}

TEST(RangeListTest, TimeValuesThatFail) {
  const std::string huge(400, '9');  // beyond any double, let alone 32 bits
  for (const std::string text : {"", "-", "+7:30", " 7:30", "x", "-x", "2147483648",
                                 "2147483647:9999999999", "99999999999:00", huge.c_str()}) {
    const char* cursor = text.c_str();
    ClockTime time;
    EXPECT_FALSE(ParseClockTime(&cursor, &time)) << text;
    EXPECT_LE(cursor, text.c_str() + text.size()) << text;
  }
}

std::vector<std::string> Ranges(const char* list) {
  std::vector<std::string> ranges;
  const char* cursor = list;
  TimeRange range;
  while (ParseTimeRange(&cursor, &range)) {
    ranges.push_back(std::to_string(range.start.hours) + ":" + std::to_string(range.start.minutes) +
                     "-" + std::to_string(range.end.hours) + ":" +
                     std::to_string(range.end.minutes));
  }
  return ranges;
}

TEST(RangeListTest, RangeLists) {
  using R = std::vector<std::string>;
  struct Case {
    const char* list;
    R ranges;
  };
  const Case cases[] = {
      {"0:00-24:00", {"0:0-24:0"}},
      {"6:00-9:00, 18:00-23:30", {"6:0-9:0", "18:0-23:30"}},
      {"6:00-9:00,18:00-23:30", {"6:0-9:0", "18:0-23:30"}},
      {"8:00-9:00 10:00-11:00", {"8:0-9:0", "10:0-11:0"}},
      {" 7:00-8:00 , 9:00-10:00 ,", {"7:0-8:0", "9:0-10:0"}},
      {"7-8", {"7:0-8:0"}},
      {"8:00-9:00,,10:00-11:00", {"8:0-9:0"}},
      {"8:00-9:00;10:00-11:00", {"8:0-9:0"}},
      {"6:00-9:00 ; evening", {"6:0-9:0"}},
      {"22:00-2:00", {"22:0-2:0"}},
      {"7:00--8:00", {"7:0--8:0"}},
      {"-7:00-8:00", {"-7:0-8:0"}},
      {"7:00 - 8:00", {}},
      {"7:00- 8:00", {}},
      {"7:00-", {}},
      {"7:00", {}},
      {"7.30-9:00, 10:00-11:00", {}},
      {"\t7:00-8:00", {}},
      {"", {}},
  };
  for (const Case& entry : cases) EXPECT_EQ(Ranges(entry.list), entry.ranges) << entry.list;
}

TEST(RangeListTest, ListsAreReadWhole) {
  // The last range must come out as written, however long the list before it.
  std::string list;
  for (int i = 0; i < 400; ++i) list += "1:00-2:00, ";
  list += "11:00-11:45";
  const std::vector<std::string> ranges = Ranges(list.c_str());
  ASSERT_EQ(ranges.size(), 401u);
  EXPECT_EQ(ranges.back(), "11:0-11:45");
}

}  // namespace
