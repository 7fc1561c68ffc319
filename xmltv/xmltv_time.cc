#include "xmltv/xmltv_time.h"
#include "text/ascii.h"

#include <algorithm>
#include <chrono>
#include <cstdio>

#include "base/calendar_time.h"

namespace {

using std::chrono::sys_days;

// Seconds from 1601-01-01 to 1970-01-01.
constexpr std::int64_t kFileTimeEpochOffset = 11'644'473'600;
constexpr std::int64_t kSecondsPerDay = 86'400;

// Seconds since 1970 of a calendar date and time; false when it is none.
bool CivilTime(int year, int month, int day, int hour, int minute, int second,
               std::int64_t* seconds) {
  const std::chrono::year_month_day date{std::chrono::year{year},
                                         std::chrono::month{static_cast<unsigned>(month)},
                                         std::chrono::day{static_cast<unsigned>(day)}};
  if (!date.ok() || hour > 23 || minute > 59 || second > 59) return false;
  *seconds = std::int64_t{sys_days{date}.time_since_epoch().count()} * kSecondsPerDay +
             hour * 3600 + minute * 60 + second;
  return true;
}

}  // namespace

std::string XmltvZoneNameList() {
  std::string list;
  for (const XmltvZoneName& zone : kXmltvZoneNames) {
    if (!list.empty()) list += ", ";
    list += zone.name;
  }
  return list;
}

XmltvTimeResult ParseXmltvTime(std::string_view text, std::int64_t* utc, std::int64_t* offset,
                               XmltvOffsetForm* form) {
  std::size_t digits = 0;
  while (digits < text.size() && IsAsciiDigit(text[digits])) ++digits;
  if (digits < 4 || digits > 14 || digits % 2 != 0) return XmltvTimeResult::kMalformed;
  // year, month, day, hour, minute, second; missing ones from the start
  int fields[6] = {0, 1, 1, 0, 0, 0};
  ParseWholeNumber(text.substr(0, 4), &fields[0]);
  for (std::size_t field = 1; 2 + 2 * field <= digits; ++field) {
    ParseWholeNumber(text.substr(2 + 2 * field, 2), &fields[field]);
  }
  std::int64_t seconds = 0;
  if (!CivilTime(fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], &seconds)) {
    return XmltvTimeResult::kMalformed;
  }
  const std::string_view rest = TrimBlanks(text.substr(digits));
  std::int64_t written = 0;
  XmltvOffsetForm written_form = XmltvOffsetForm::kNone;
  if (!rest.empty() && (rest[0] == '+' || rest[0] == '-')) {
    written_form = XmltvOffsetForm::kNumeric;
    int hours = 0;
    int minutes = 0;
    if (rest.size() != 5 || !ParseWholeNumber(rest.substr(1, 2), &hours) ||
        !ParseWholeNumber(rest.substr(3, 2), &minutes) || hours > 23 || minutes > 59) {
      return XmltvTimeResult::kMalformed;
    }
    written = (hours * 3600 + minutes * 60) * (rest[0] == '-' ? -1 : 1);
  } else if (!rest.empty()) {
    written_form = XmltvOffsetForm::kZoneName;
    if (!std::all_of(rest.begin(), rest.end(), IsAsciiLetter)) return XmltvTimeResult::kMalformed;
    const XmltvZoneName* found = nullptr;
    for (const XmltvZoneName& zone : kXmltvZoneNames) {
      const std::string_view name = zone.name;
      if (EqualIgnoringAsciiCase(name, rest)) {
        found = &zone;
      }
    }
    if (found == nullptr) return XmltvTimeResult::kUnknownZoneName;
    written = std::int64_t{found->minutes} * 60;
  }
  *utc = seconds - written;
  if (offset != nullptr) *offset = written;
  if (form != nullptr) *form = written_form;
  return XmltvTimeResult::kOk;
}

std::string FormatXmltvTime(std::int64_t wall, std::int64_t offset) {
  if (offset % 60 != 0) {
    wall -= offset;
    offset = 0;
  }
  const std::int64_t days = (wall >= 0 ? wall : wall - kSecondsPerDay + 1) / kSecondsPerDay;
  const std::int64_t of_day = wall - days * kSecondsPerDay;
  const std::chrono::year_month_day date{sys_days{std::chrono::days{days}}};
  char text[64];
  std::snprintf(text, sizeof text, "%04d%02u%02u%02d%02d%02d ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(of_day / 3600), static_cast<int>(of_day / 60 % 60),
                static_cast<int>(of_day % 60));
  return text + XmltvOffsetText(offset);
}

std::string XmltvOffsetText(std::int64_t offset) {
  const std::int64_t minutes = (offset < 0 ? -offset : offset) / 60;
  char text[16];
  std::snprintf(text, sizeof text, "%c%02d%02d", offset < 0 ? '-' : '+',
                static_cast<int>(minutes / 60), static_cast<int>(minutes % 60));
  return text;
}

bool ParseIsoDate(std::string_view text, std::int64_t* wall) {
  int year = 0;
  int month = 0;
  int day = 0;
  if (text.size() != 10 || text[4] != '-' || text[7] != '-' ||
      !ParseWholeNumber(text.substr(0, 4), &year) || !ParseWholeNumber(text.substr(5, 2), &month) ||
      !ParseWholeNumber(text.substr(8, 2), &day)) {
    return false;
  }
  return CivilTime(year, month, day, 0, 0, 0, wall);
}

bool TicksOfWallTime(std::int64_t wall, std::uint64_t* ticks) {
  if (wall < -kFileTimeEpochOffset) return false;
  *ticks = static_cast<std::uint64_t>(wall + kFileTimeEpochOffset) * kTicksPerSecond;
  return true;
}

std::int64_t WallTimeOfTicks(std::uint64_t ticks) {
  return static_cast<std::int64_t>(ticks / kTicksPerSecond) - kFileTimeEpochOffset;
}
