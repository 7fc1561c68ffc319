// Times and dates as people read them, the same in every message, listing
// and page: locale-free, whatever the system's settings.
#ifndef SKEDCOMP_TEXT_CLOCK_TEXT_H_
#define SKEDCOMP_TEXT_CLOCK_TEXT_H_

#include <string>

// "07": at least two digits.
std::string TwoDigits(int value);

// "7:05", "24:00", "-1:30": a time of a range as compositions write it. A
// time before midnight has one sign, before its hours.
std::string ClockText(int hours, int minutes);

// "07:05": a start as listings and the page show it.
std::string PaddedClockText(int hours, int minutes);

// "2026-12-07".
std::string DateText(int year, int month, int day);

#endif  // SKEDCOMP_TEXT_CLOCK_TEXT_H_
