#include "selection/range_list.h"
#include "text/ascii.h"

#include <charconv>
#include <cstdint>
#include <limits>
#include <string>

bool ParseClockTime(const char** cursor, ClockTime* result) {
  const char* at = *cursor;
  int sign = 1;
  if (*at == '-') {
    sign = -1;
    ++at;
  }
  if (*at == '\0') {
    *cursor = at;
    return false;
  }
  // The value is read as hours with the minutes as a decimal fraction: "7:30"
  // is 7.30, so ":" stands for the decimal point.
  std::string number;
  for (; IsAsciiDigit(*at) || *at == ':'; ++at) number.push_back(*at == ':' ? '.' : *at);
  *cursor = at;
  if (number.empty()) return false;

  // Reading stops at a second "."; a text without digits (":" alone) is 0.
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error == std::errc::result_out_of_range) return false;
  if (error != std::errc()) value = 0;
  // The value is never negative: whole hours past 2^31 - 1 do not fit.
  if (!(value < 2147483648.0)) return false;
  static_assert(std::numeric_limits<std::int32_t>::max() == 2147483647);
  // The 0.005 makes two minute digits come out exact (0:29 is not 0:28.99...);
  // with more digits the result follows binary rounding, carry dropped.
  // Integer casts cut toward zero as trunc does, and a whole number below
  // 2^53 is exact in a double, so % is fmod here.
  const auto hundredths = static_cast<std::int64_t>((value + 0.005) * 100);
  result->hours = static_cast<std::int32_t>(value) * sign;
  result->minutes = static_cast<std::int32_t>(hundredths % 100) * sign;
  return true;
}

bool ParseTimeRange(const char** cursor, TimeRange* result, TimeRangeTrace* trace) {
  TimeRangeTrace ignored;
  if (trace == nullptr) trace = &ignored;
  *trace = TimeRangeTrace{};
  const auto stop = [&] {
    trace->stopped_at = *cursor;
    return false;
  };
  while (**cursor == ' ') ++*cursor;
  trace->start_text = *cursor;
  if (!ParseClockTime(cursor, &result->start)) return stop();
  trace->start_end = *cursor;
  if (**cursor != '-') return stop();
  ++*cursor;
  trace->end_text = *cursor;
  if (!ParseClockTime(cursor, &result->end)) return stop();
  trace->end_end = *cursor;
  while (**cursor == ' ') ++*cursor;
  if (**cursor == ',') ++*cursor;
  return true;
}
