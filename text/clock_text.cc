#include "text/clock_text.h"

#include <cstdio>

std::string TwoDigits(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%02d", value);
  return text;
}

std::string ClockText(int hours, int minutes) {
  const bool negative = hours < 0 || minutes < 0;
  const long long h = hours < 0 ? -static_cast<long long>(hours) : hours;
  const long long m = minutes < 0 ? -static_cast<long long>(minutes) : minutes;
  return (negative ? "-" : "") + std::to_string(h) + (m < 10 ? ":0" : ":") + std::to_string(m);
}

std::string PaddedClockText(int hours, int minutes) {
  return TwoDigits(hours) + ":" + TwoDigits(minutes);
}

std::string DateText(int year, int month, int day) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", year);
  return text + ("-" + TwoDigits(month)) + "-" + TwoDigits(day);
}
