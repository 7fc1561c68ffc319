#include "report/range_report.h"

#include "text/ascii.h"
#include "text/clock_text.h"

#include <algorithm>
#include <cstring>
#include <string_view>
#include <tuple>

namespace {

auto Key(const ClockTime& time) { return std::tie(time.hours, time.minutes); }

bool Before(const ClockTime& a, const ClockTime& b) { return Key(a) < Key(b); }

std::string Quoted(char c) {
  if (c == '\t') return "a tab";
  if (static_cast<unsigned char>(c) < 0x20) return "a control character";
  return std::string("'") + c + "'";
}

bool StartsTimeValue(const char* at) {
  if (*at == '-') ++at;
  return IsAsciiDigit(*at) || *at == ':';
}

// Why ParseTimeRange stopped, from where it stopped.
std::string WhyRangeFailed(const TimeRangeTrace& trace) {
  if (trace.start_end == nullptr) {  // the start did not parse
    const char c = *trace.start_text;
    if (c == ',') return "a second comma";
    if (c == '+') return "a '+' sign (write 7:00, not +7:00)";
    if (c == '-' && !StartsTimeValue(trace.start_text)) return "'-' without a time";
    if (StartsTimeValue(trace.start_text)) return "a time too large to read";
    if (c == '\t') return "a tab (only spaces may stand between ranges)";
    return Quoted(c) + " where a time should begin";
  }
  if (trace.end_text == nullptr) {  // no '-' after the start
    const char* at = trace.start_end;
    if (*at == ' ') {
      while (*at == ' ') ++at;
      if (*at == '-') return "space before '-'";
    }
    if (*trace.start_end == '.') return "'.' in place of ':' (write 7:30, not 7.30)";
    if (*at == '\0') return "a time without '-' and an end time";
    return Quoted(*trace.start_end) + " after the start time, where '-' should follow";
  }
  const char c = *trace.end_text;
  if (c == ' ') return "space after '-'";
  if (c == '\0') return "no end time after '-'";
  if (c == '+') return "a '+' sign (write 8:00, not +8:00)";
  if (c == '-' && !StartsTimeValue(trace.end_text)) return "'-' without a time";
  if (StartsTimeValue(trace.end_text)) return "a time too large to read";
  return Quoted(c) + " where the end time should begin";
}

// The minute digits of a time value's text (after its first ':').
std::string_view MinuteDigits(std::string_view value) {
  const std::size_t colon = value.find(':');
  if (colon == std::string_view::npos) return {};
  value.remove_prefix(colon + 1);
  return value.substr(0, value.find(':'));
}

void CheckTimeText(std::string_view text, const ClockTime& time, std::vector<std::string>* notes) {
  const std::string_view minutes = MinuteDigits(text);
  const std::string shown(text);
  if (minutes.size() == 1) {
    notes->push_back(shown + " is read as " + FormatClockTime(time) +
                     ": one minute digit counts as tens");
  } else if (minutes.size() > 2) {
    notes->push_back(shown + " is read as " + FormatClockTime(time) +
                     ": only two minute digits count");
  } else if (time.minutes > 59 || time.minutes < -59) {
    notes->push_back(shown + " has minutes past 59");
  }
  if (text.find(':') != text.rfind(':')) {
    notes->push_back(shown + " is read as " + FormatClockTime(time) + ": seconds are ignored");
  }
}

}  // namespace

std::string FormatClockTime(const ClockTime& time) { return ClockText(time.hours, time.minutes); }

RangeListReport ReadRangeList(const std::string& value,
                              const std::function<void(const ListedRange&)>& visit) {
  RangeListReport report;
  const char* cursor = value.c_str();
  TimeRange range;
  TimeRangeTrace trace;
  for (const char* before = cursor;; before = cursor) {
    if (ParseTimeRange(&cursor, &range, &trace)) {
      ++report.count;
      visit({range, std::string_view(trace.start_text,
                                     static_cast<std::size_t>(trace.end_end - trace.start_text))});
      continue;
    }
    // A zero byte ends the text as the composer reads it.
    const std::string_view rest(before, std::strlen(before));
    const std::size_t first = rest.find_first_not_of(' ');
    if (first == std::string_view::npos) break;  // the list simply ended
    report.ignored = std::string(rest.substr(first));
    if (report.ignored.front() != ';') report.why_ignored = WhyRangeFailed(trace);
    break;
  }
  return report;
}

std::string WhyNothingSelected(const ListedRange& listed) {
  const TimeRange& range = listed.range;
  const ClockTime midnight{0, 0};
  const ClockTime end_of_day{24, 0};
  if (!Before(range.start, end_of_day)) return "it starts at 24:00 or later";
  if (Before(range.end, midnight)) return "its end is negative";
  if (!Before(midnight, range.end)) return "it ends at 0:00 (the end of the day is 24:00)";
  if (Before(range.end, range.start)) {
    return "it crosses midnight; split it: " + FormatClockTime(range.start) +
           "-24:00 on this day and 0:00-" + FormatClockTime(range.end) + " on the next";
  }
  if (!Before(range.start, range.end)) return "its end is not after its start";
  return "";
}

std::vector<std::string> SurprisingTimes(const ListedRange& listed) {
  std::vector<std::string> notes;
  const std::size_t dash = listed.text.find('-', listed.text[0] == '-' ? 1 : 0);
  const std::string_view text = listed.text;
  CheckTimeText(text.substr(0, dash), listed.range.start, &notes);
  CheckTimeText(text.substr(dash + 1), listed.range.end, &notes);
  const ClockTime midnight{0, 0};
  const ClockTime end_of_day{24, 0};
  const TimeRange& range = listed.range;
  if (Before(range.start, midnight) && Before(midnight, range.end)) {
    notes.push_back(FormatClockTime(range.start) +
                    " is before 0:00: the range takes programmes from 0:00");
  }
  if (Before(end_of_day, range.end) && Before(range.start, end_of_day)) {
    notes.push_back(FormatClockTime(range.end) +
                    " is past 24:00: the range takes programmes up to 24:00; those after "
                    "midnight belong to the next day's key, from 0:00");
  }
  return notes;
}

bool RangesOverlap(const TimeRange& a, const TimeRange& b, TimeRange* common) {
  common->start = Before(a.start, b.start) ? b.start : a.start;
  common->end = Before(a.end, b.end) ? a.end : b.end;
  // Programmes start at 0:00 or later, so an overlap before that takes nothing.
  const ClockTime midnight{0, 0};
  if (Before(common->start, midnight)) common->start = midnight;
  return Before(common->start, common->end);
}
