#include "tool/review_page.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <tuple>
#include <vector>

#include "composition/channel_keys.h"
#include "report/listing.h"
#include "text/ascii.h"
#include "text/clock_text.h"
#include "text/escape.h"
#include "text/hash.h"
#include "text/utf8.h"

namespace {

// Colours a source is drawn in, by its position; past the last they repeat.
constexpr int kColours = 10;

// How much of a title a block shows; the rest is in its details.
constexpr std::size_t kBlockTitleBytes = 60;

constexpr char kStyle[] = R"(
:root{--bg:#fff;--fg:#1b1b1b;--muted:#5c5c5c;--rule:#d4d4d4;--row:#f6f6f6;--mark:#b00020;
--c0:#cfe3ff;--c1:#ffd9b3;--c2:#c9f0c9;--c3:#f3c9f0;--c4:#fff0a8;--c5:#c7f0ee;--c6:#e4d3ff;
--c7:#ffc9c9;--c8:#dfe8c0;--c9:#e6e6e6;font:14px/1.35 system-ui,sans-serif;color:var(--fg);
background:var(--bg)}
@media (prefers-color-scheme:dark){:root{--bg:#151515;--fg:#ececec;--muted:#a8a8a8;--rule:#3a3a3a;
--row:#1f1f1f;--mark:#ff6b81;--c0:#1f3d66;--c1:#5c3a14;--c2:#1f4d1f;--c3:#52204e;--c4:#4d4410;
--c5:#14504c;--c6:#3b2a66;--c7:#5c1f1f;--c8:#3d4a1a;--c9:#3a3a3a}}
body{margin:0 1.5rem 2rem}h1{font-size:1.5rem;margin:1rem 0 .25rem}h2{font-size:1.1rem;margin:1.5rem 0 .5rem}
.muted{color:var(--muted)}ul{margin:.25rem 0;padding-left:1.25rem}
.sw{display:inline-block;width:.9em;height:.9em;border:1px solid var(--muted);vertical-align:-.1em;margin-right:.3em}
.s0{background:var(--c0)}.s1{background:var(--c1)}.s2{background:var(--c2)}.s3{background:var(--c3)}
.s4{background:var(--c4)}.s5{background:var(--c5)}.s6{background:var(--c6)}.s7{background:var(--c7)}
.s8{background:var(--c8)}.s9{background:var(--c9)}
.stale{border-left:4px solid var(--mark);padding-left:.5rem}
.scroll{overflow-x:auto}
.hours,.day{display:grid}
.hours .line{position:relative;height:1.2rem}.hours span{position:absolute;transform:translateX(-50%);font-size:.8rem;color:var(--muted)}
.day{border-top:1px solid var(--rule)}
.label,.hours>div:first-child{position:sticky;left:0;z-index:3;background:var(--bg)}
.label{font-variant-numeric:tabular-nums;padding:0 .3rem;white-space:nowrap}
.label div{height:3rem;overflow:hidden;text-overflow:ellipsis}.label small{display:block;color:var(--muted)}
.line{position:relative}
.lane{position:relative;height:3rem}.fold{padding:.3rem;color:var(--muted);font-style:italic}
.b{position:absolute;top:8px;bottom:2px;box-sizing:border-box;overflow:hidden;
border:1px solid var(--muted);border-radius:3px;padding:0 3px;font-size:.8rem;line-height:1.2;color:var(--fg)}
.b time{display:block;font-weight:600;font-variant-numeric:tabular-nums;white-space:nowrap}
.b .t{display:block;white-space:nowrap;overflow:hidden;text-overflow:ellipsis}
.b.point{top:0;bottom:auto;height:7px;min-width:6px;z-index:1;padding:0}
.gap{position:absolute;top:2px;bottom:2px;box-sizing:border-box;border:1px dashed var(--mark);
background:repeating-linear-gradient(45deg,transparent 0 6px,var(--rule) 6px 8px)}
.long{border-right:4px dotted var(--mark)}
.moved{outline:2px dashed var(--fg);outline-offset:-3px}
.twice{border:3px double var(--mark)}
.same{border-top:4px solid var(--mark)}.repeat{border-top:4px double var(--mark)}
.damaged{text-decoration:underline wavy var(--mark)}
.added{box-shadow:inset 0 -4px 0 var(--fg)}.retimed{box-shadow:inset 0 -4px 0 var(--mark)}
.changes ul{list-style:none;padding-left:0}.changes li{font-variant-numeric:tabular-nums}
.changes summary{font-weight:600;margin:.75rem 0 .25rem;cursor:pointer}.dropped-line{color:var(--mark)}
.badge{font-weight:700;color:var(--mark);margin-right:.25em}
.legend{display:flex;flex-wrap:wrap;gap:.5rem 1.25rem;margin:.5rem 0}
.legend .b{position:relative;display:inline-block;top:0;width:5.5rem;height:1.6rem;vertical-align:middle;margin-right:.4rem}
.legend .gap{position:relative;display:inline-block;width:5.5rem;height:1.6rem;vertical-align:middle;margin-right:.4rem}
table{border-collapse:collapse;width:100%}th,td{text-align:left;padding:.2rem .5rem;vertical-align:top}
th{position:sticky;top:0;background:var(--bg);border-bottom:2px solid var(--rule)}
tbody tr:nth-child(even){background:var(--row)}td.t{font-variant-numeric:tabular-nums;white-space:nowrap}
@media (max-width:60rem){td.t{white-space:normal}th,td{padding:.2rem .25rem}}
.hours span:first-child{transform:none}
@media print{@page{size:landscape;margin:10mm}body{margin:0}.b,.sw,.gap,th{-webkit-print-color-adjust:exact;print-color-adjust:exact}
.day{break-inside:avoid}th{position:static}}
)";

std::string WhenText(const ProgramStart& time) {
  return WeekdayName(time.weekday) + " " + FormatDate(time) + " " + FormatClock(time);
}

std::chrono::sys_days DayOf(const ProgramStart& time) {
  return std::chrono::year{time.year} / time.month / time.day;
}

// The grid's time axis. Each hour is as wide as the shortest programme
// within it needs to show its start whole (one of kShortestShown minutes or
// more), and at least kHourRem: a dense evening is wide, an empty night
// narrow, and a programme never narrower than its start time. An hour in
// which no programme runs on any day of the page is a sliver, kEmptyHourRem,
// so that a guide of evenings shows its evenings first. Lengths in rem.
constexpr double kHourRem = 2.2;
constexpr double kEmptyHourRem = 0.6;
constexpr double kLabelRem = 9.5;  // the column of dates
constexpr double kStartRem = 3.6;  // "20:15" in bold, with the block's border and padding
constexpr long long kShortestShown = 15;
struct TimeAxis {
  double at[25] = {};  // where each hour begins; at[24] the whole day
};

// Where a programme ends in its lane's row: at the next start, else midnight.
long long EndInRow(const ReviewProgram& program) {
  const long long from = program.start.hour * 60 + program.start.minute;
  return program.until >= 0 ? std::min<long long>(1440, from + program.until) : 1440;
}

TimeAxis AxisOf(const ReviewPage& page) {
  double per_minute[24];
  std::fill(std::begin(per_minute), std::end(per_minute), kEmptyHourRem / 60);
  for (const ReviewProgram& program : page.programs) {
    const long long from = program.start.hour * 60 + program.start.minute;
    const long long to = EndInRow(program);
    // A sliver (the next starts the same minute) still runs in its hour.
    const long long last_hour = to <= from ? from / 60 : (to - 1) / 60;
    const double need =
        to <= from ? kHourRem / 60
                   : std::max(kHourRem / 60,
                              kStartRem / static_cast<double>(std::max(kShortestShown, to - from)));
    for (long long hour = from / 60; hour <= last_hour; ++hour) {
      per_minute[hour] = std::max(per_minute[hour], need);
    }
  }
  TimeAxis axis;
  for (int hour = 0; hour < 24; ++hour) axis.at[hour + 1] = axis.at[hour] + 60 * per_minute[hour];
  return axis;
}

double RemOfMinute(const TimeAxis& axis, long long minute) {
  if (minute >= 1440) return axis.at[24];
  const long long hour = minute / 60;
  return axis.at[hour] +
         (axis.at[hour + 1] - axis.at[hour]) * static_cast<double>(minute % 60) / 60;
}

std::string RemLength(double rem) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3frem", rem);
  return text;
}

// left and width of the stretch from minute `from` to `to` of a row.
std::string BlockPlace(const TimeAxis& axis, long long from, long long to) {
  return "left:" + RemLength(RemOfMinute(axis, from)) +
         ";width:" + RemLength(RemOfMinute(axis, to) - RemOfMinute(axis, from));
}

std::string ShiftText(int shift) { return (shift > 0 ? "+" : "") + std::to_string(shift) + " h"; }

struct MarkText {
  const char* css;
  const char* badge;
  const char* meaning;
};
constexpr MarkText kMoved = {"moved", "\xE2\x86\xB7", "moved onto another date by its shift"};
constexpr MarkText kTwice = {"twice",
                             "\xC3\x97"
                             "2",
                             "taken twice from its source"};
constexpr MarkText kSame = {"same", "=", "starts the same minute as the one before"};
constexpr MarkText kRepeat = {"repeat", "\xE2\x89\xA1",
                              "repeats the one before exactly: the same start and title"};
constexpr MarkText kDamaged = {"damaged", "?",
                               "title cut, or with '?' where the code page lacked a character"};
constexpr MarkText kLong = {"long", "", "more than three hours until the next programme"};
static_assert(kLongGapMinutes == 180, "kLong's meaning states this");
// Up to this many changes are listed open; more are folded.
constexpr std::size_t kChangesShownOpen = 20;
constexpr MarkText kAdded = {"added", "+", "not in the guide on disk"};
constexpr MarkText kRetimed = {"retimed", "\xE2\x86\x94", "at another time in the guide on disk"};

std::vector<const MarkText*> MarksOf(const ReviewProgram& program) {
  std::vector<const MarkText*> found;
  if (program.moved) found.push_back(&kMoved);
  if (program.taken_twice) found.push_back(&kTwice);
  if (program.repeat) {
    found.push_back(&kRepeat);
  } else if (program.same_minute) {
    found.push_back(&kSame);
  }
  if (program.title_damaged) found.push_back(&kDamaged);
  if (program.long_gap) found.push_back(&kLong);
  if (program.retimed) {
    found.push_back(&kRetimed);
  } else if (program.added) {
    found.push_back(&kAdded);
  }
  return found;
}

std::string Details(const ReviewPage& page, const ReviewProgram& program,
                    const std::vector<const MarkText*>& marks) {
  std::string text = WhenText(program.start) + " " + program.title + " \xE2\x80\x94 " +
                     page.sources[static_cast<std::size_t>(program.source)].name;
  if (program.composed) {
    text += ", at " + WhenText(program.source_start) + " there, shift " + ShiftText(program.shift) +
            ", taken by " + RangeKey(program.weekday_key) + " " + program.range;
  }
  for (std::size_t i = 0; i < marks.size(); ++i)
    text += (i == 0 ? "; " : ", ") + std::string(marks[i]->meaning);
  return text;
}

std::string ShortTitle(const std::string& title) {
  if (title.size() <= kBlockTitleBytes) return title;
  return std::string(CutUtf8(title, kBlockTitleBytes)) + "\xE2\x80\xA6";
}

// A channel's colour follows its file name (letter case aside), so that it
// keeps it on every page: the names in order each take the colour their
// hash picks, or the next free one.
std::vector<int> SourceColours(const ReviewPage& page) {
  std::vector<std::string> keys;
  for (const ReviewSource& source : page.sources) {
    std::string key = source.name.substr(source.name.find_last_of("/\\") + 1);
    keys.push_back(AsciiLowerCase(key));
  }
  std::vector<std::size_t> order(keys.size());
  for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::tie(keys[a], a) < std::tie(keys[b], b);
  });
  std::vector<int> colours(keys.size());
  std::vector<bool> taken(kColours, false);
  for (const std::size_t i : order) {
    int colour = static_cast<int>(TextHash(keys[i]) % kColours);
    for (int tried = 0; tried < kColours && taken[static_cast<std::size_t>(colour)]; ++tried) {
      colour = (colour + 1) % kColours;
    }
    taken[static_cast<std::size_t>(colour)] = true;
    colours[i] = colour;
  }
  return colours;
}

std::string ColourClass(int colour) { return "s" + std::to_string(colour); }

void AppendHeader(const ReviewPage& page, const std::vector<int>& colours, std::string* html) {
  *html += "<div class=\"head\" role=\"banner\"><h1>" +
           (page.composed ? EscapeHtml(page.name) : std::string("Program bases")) + "</h1>\n<p>" +
           (page.composed ? "Composed guide \xC2\xB7 " : "");
  if (page.programs.empty()) {
    *html += "No programmes.";
  } else {
    const ProgramStart& first = page.programs.front().start;
    const ProgramStart& last = page.programs.back().start;
    *html += WeekdayName(first.weekday) + " " + FormatDate(first) + " to " +
             WeekdayName(last.weekday) + " " + FormatDate(last) + " \xC2\xB7 " +
             std::to_string(page.programs.size()) +
             (page.programs.size() == 1 ? " programme" : " programmes");
  }
  *html += "</p>\n<ul class=\"sources\">";
  for (std::size_t i = 0; i < page.sources.size(); ++i) {
    *html += "<li><span class=\"sw " + ColourClass(colours[i]) + "\"></span>" +
             EscapeHtml(page.sources[i].name) + " \xE2\x80\x94 " +
             std::to_string(page.sources[i].count) + "</li>";
  }
  *html += "</ul>\n";
  if (!page.on_disk.empty()) *html += "<p class=\"stale\">" + EscapeHtml(page.on_disk) + "</p>\n";
  if (!page.changes.empty()) {
    // A long list is folded, so that the grid still comes first into view.
    const std::size_t added = static_cast<std::size_t>(
        std::count_if(page.changes.begin(), page.changes.end(),
                      [](const ReviewChange& change) { return change.added; }));
    *html += std::string("<details class=\"changes\"") +
             (page.changes.size() <= kChangesShownOpen ? " open" : "") +
             "><summary>Against the guide on disk: " + std::to_string(added) + " added, " +
             std::to_string(page.changes.size() - added) + " dropped</summary>\n<ul>";
    for (const ReviewChange& change : page.changes) {
      *html += std::string("<li class=\"") + (change.added ? "added-line" : "dropped-line") +
               "\">" + (change.added ? "+ added " : "\xE2\x88\x92 dropped ") + "<time datetime=\"" +
               FormatDate(change.start) + "T" + FormatClock(change.start) + "\">" +
               WhenText(change.start) + "</time> " + EscapeHtml(change.title) + "</li>";
    }
    *html += "</ul></details>\n";
  }
  if (page.composed) {
    *html += "<h2>What skedtool check finds</h2>\n";
    if (page.findings.empty()) {
      *html += "<p>Nothing: no error and no warning.</p>\n";
    } else {
      *html += "<ul class=\"findings\">";
      for (const std::string& finding : page.findings)
        *html += "<li>" + EscapeHtml(finding) + "</li>";
      *html += "</ul>\n";
    }
    if (!page.verdict.empty()) *html += "<p>" + EscapeHtml(page.verdict) + "</p>\n";
  }
  *html += "</div>\n";
}

void AppendLegend(const ReviewPage& page, std::string* html) {
  *html += "<div class=\"legend\">";
  std::vector<const MarkText*> marks = {&kMoved, &kTwice, &kSame, &kRepeat, &kDamaged, &kLong};
  if (!page.changes.empty()) marks.insert(marks.end(), {&kAdded, &kRetimed});
  for (const MarkText* mark : marks) {
    *html += std::string("<span><span class=\"b s0 ") + mark->css +
             "\" role=\"img\" aria-label=\"" + mark->meaning + "\">" +
             (*mark->badge != '\0' ? std::string("<span class=\"badge\">") + mark->badge + "</span>"
                                   : "") +
             "</span>" + mark->meaning + "</span>";
  }
  *html +=
      std::string("<span><span class=\"gap\" role=\"img\" aria-label=\"no programme\"></span>") +
      "no programme for more than three hours</span></div>\n";
}

void AppendGap(const TimeAxis& axis, long long from, long long to, std::string* html) {
  *html += "<div class=\"gap\" style=\"" + BlockPlace(axis, from, to) +
           "\" role=\"img\" aria-label=\"no programme starts from " +
           PaddedClockText(static_cast<int>(from / 60), static_cast<int>(from % 60)) + " to " +
           PaddedClockText(static_cast<int>(to / 60), static_cast<int>(to % 60)) + "\"></div>";
}

}  // namespace

namespace {

// A row's label: the date, and on a page of bases each lane's base beside it.
std::string DayLabel(const ReviewPage& page, const ProgramStart& day) {
  std::string label =
      "<div class=\"label\"><div>" + WeekdayName(day.weekday) + " " + FormatDate(day);
  if (page.composed) return label + "</div></div>";
  for (std::size_t lane = 0; lane < std::max<std::size_t>(1, page.sources.size()); ++lane) {
    if (lane > 0) label += "<div>";
    if (lane < page.sources.size())
      label += "<small>" + EscapeHtml(page.sources[lane].name) + "</small>";
    label += "</div>";
  }
  return label + "</div>";
}

void AppendHead(const ReviewPage& page, std::string* html) {
  *html +=
      "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
      "<meta http-equiv=\"Content-Security-Policy\" content=\"default-src 'none'; "
      "style-src 'unsafe-inline'; base-uri 'none'; form-action 'none'\">\n"
      "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n<title>";
  *html += EscapeHtml(page.name) + " \xE2\x80\x94 skedtool review</title>\n<style>";
  *html += kStyle;
  *html += "</style>\n</head>\n<body>\n";
}

// The hour lines and the ruler of hours above the grid.
void AppendHours(const TimeAxis& axis, std::string* html) {
  *html +=
      "<style>.hours,.day{grid-template-columns:" + RemLength(kLabelRem) + " 1fr}.line{background:";
  for (int hour = 0; hour <= 24; ++hour) {
    *html += std::string(hour > 0 ? "," : "") + "linear-gradient(var(--rule),var(--rule)) " +
             RemLength(axis.at[hour]) + " 0/1px 100% no-repeat";
  }
  *html += "}</style>\n<div class=\"scroll\"><div class=\"grid\" style=\"width:calc(" +
           RemLength(kLabelRem) + " + " + RemLength(axis.at[24]) +
           ")\"><div class=\"hours\"><div></div><div class=\"line\">";
  // A sliver of an empty hour has no room for its number: only every sixth
  // is told (each hour keeps its mark on the ruler).
  for (int hour = 0; hour <= 24; ++hour) {
    const bool sliver = hour < 24 && axis.at[hour + 1] - axis.at[hour] < kHourRem;
    *html += "<span style=\"left:" + RemLength(axis.at[hour]) + "\">" +
             (sliver && hour % 6 != 0 ? std::string() : std::to_string(hour)) + "</span>";
  }
  *html += "</div></div>\n";
}

// The days without programmes between two rows: each a row of gaps, or one
// folded row for more than kEmptyDaysShown.
void AppendEmptyDays(const ReviewPage& page, const TimeAxis& axis, int lanes,
                     std::chrono::sys_days before, std::chrono::sys_days day, std::string* html) {
  const long long empty = (day - before).count() - 1;
  if (empty > kEmptyDaysShown) {
    *html += "<div class=\"day\"><div class=\"label\"></div><div class=\"fold\">\xE2\x80\xA6 " +
             std::to_string(empty) + " days without programmes \xE2\x80\xA6</div></div>\n";
    return;
  }
  for (long long k = 1; k <= empty; ++k) {
    const std::chrono::year_month_day empty_day{before + std::chrono::days{k}};
    const std::chrono::weekday weekday{before + std::chrono::days{k}};
    ProgramStart shown;
    shown.year = static_cast<int>(empty_day.year());
    shown.month = static_cast<int>(unsigned(empty_day.month()));
    shown.day = static_cast<int>(unsigned(empty_day.day()));
    shown.weekday = static_cast<int>(weekday.iso_encoding());
    *html += "<div class=\"day\">" + DayLabel(page, shown) + "<div class=\"line\">";
    for (int lane = 0; lane < lanes; ++lane) {
      *html += "<div class=\"lane\">";
      AppendGap(axis, 0, 1440, html);
      *html += "</div>";
    }
    *html += "</div></div>\n";
  }
}

// One programme's block in its lane.
void AppendBlock(const ReviewPage& page, const TimeAxis& axis, const ReviewProgram& program,
                 const std::string& colour, std::string* html) {
  const long long from = program.start.hour * 60 + program.start.minute;
  const long long to = EndInRow(program);
  const std::vector<const MarkText*> found = MarksOf(program);
  // One that the next starts with has no length: a sliver, drawn above it.
  *html += "<div class=\"b " + colour + (to == from ? " point" : "");
  for (const MarkText* mark : found) *html += std::string(" ") + mark->css;
  const std::string details = EscapeHtml(Details(page, program, found));
  *html += "\" style=\"" + BlockPlace(axis, from, std::max(to, from)) + "\" role=\"img\" title=\"" +
           details + "\"><time datetime=\"" + FormatDate(program.start) + "T" +
           FormatClock(program.start) + "\">" + FormatClock(program.start) +
           "</time><span class=\"t\">";
  // The marks first, so that the smallest block still shows them.
  for (const MarkText* mark : found) {
    if (*mark->badge != '\0')
      *html += std::string("<span class=\"badge\">") + mark->badge + "</span>";
  }
  *html += EscapeHtml(ShortTitle(program.title)) + "</span></div>";
}

// The week grid: a row a date, a lane a source of bases.
void AppendGrid(const ReviewPage& page, const std::vector<int>& colours, std::string* html) {
  const std::size_t count = page.programs.size();
  const int lanes = page.composed ? 1 : std::max<int>(1, static_cast<int>(page.sources.size()));
  const auto lane_of = [&](const ReviewProgram& program) {
    return page.composed ? 0 : program.source;
  };
  *html += "<div class=\"week\" role=\"region\" aria-label=\"Week\"><h2>Week</h2>\n";
  AppendLegend(page, html);
  const TimeAxis axis = AxisOf(page);
  AppendHours(axis, html);
  // Per lane, whether a long stretch without a start runs into the next day.
  std::vector<char> gap_into_next_day(static_cast<std::size_t>(lanes), 0);
  std::vector<std::size_t> lane_first(static_cast<std::size_t>(lanes), count);
  for (std::size_t k = count; k-- > 0;) {
    lane_first[static_cast<std::size_t>(lane_of(page.programs[k]))] = k;
  }
  std::chrono::sys_days previous_day{};
  for (std::size_t i = 0, end = 0; i < count; i = end) {
    const std::chrono::sys_days day = DayOf(page.programs[i].start);
    if (i > 0) AppendEmptyDays(page, axis, lanes, previous_day, day, html);
    while (end < count && DayOf(page.programs[end].start) == day) ++end;
    *html +=
        "<div class=\"day\">" + DayLabel(page, page.programs[i].start) + "<div class=\"line\">";
    for (int lane = 0; lane < lanes; ++lane) {
      *html += "<div class=\"lane\">";
      bool first_in_lane = true;
      char& gap_runs_on = gap_into_next_day[static_cast<std::size_t>(lane)];
      for (std::size_t k = i; k < end; ++k) {
        const ReviewProgram& program = page.programs[k];
        if (lane_of(program) != lane) continue;
        const long long from = program.start.hour * 60 + program.start.minute;
        // A long stretch that began on an earlier day runs up to here; before
        // a lane's first programme, the hours from midnight count alike.
        const bool lane_begins = k == lane_first[static_cast<std::size_t>(lane)];
        if (first_in_lane && (gap_runs_on || (lane_begins && from > kLongGapMinutes)) && from > 0) {
          AppendGap(axis, 0, from, html);
        }
        first_in_lane = false;
        AppendBlock(page, axis, program,
                    ColourClass(colours[static_cast<std::size_t>(program.source)]), html);
        gap_runs_on = program.long_gap && from + program.until > 1440;
      }
      if (first_in_lane && gap_runs_on) AppendGap(axis, 0, 1440, html);
      *html += "</div>";
    }
    *html += "</div></div>\n";
    previous_day = day;
  }
  *html += "</div></div></div>\n";
}

// A row of the listing as its cells see it.
struct ListingRow {
  const ReviewPage& page;
  const ReviewProgram& program;
  std::string colour;
  std::vector<const MarkText*> marks;
};

// The listing's columns, in order, each with the cell it draws; some only
// for a composed guide.
struct ListingColumn {
  const char* heading;
  bool composed_only;
  std::string (*cell)(const ListingRow& row);
};
const ListingColumn kListingColumns[] = {
    {"Date", false,
     [](const ListingRow& row) {
       return "<td class=\"t\">" + FormatDate(row.program.start) + "</td>";
     }},
    {"Day", false,
     [](const ListingRow& row) {
       return "<td>" + WeekdayName(row.program.start.weekday) + "</td>";
     }},
    {"Time", false,
     [](const ListingRow& row) {
       return "<td class=\"t\">" + FormatClock(row.program.start) + "</td>";
     }},
    {"Title", false,
     [](const ListingRow& row) {
       return std::string(row.program.title_damaged ? "<td class=\"damaged\">" : "<td>") +
              EscapeHtml(row.program.title) + "</td>";
     }},
    {"Source", false,
     [](const ListingRow& row) {
       return "<td><span class=\"sw " + row.colour + "\"></span>" +
              EscapeHtml(row.page.sources[static_cast<std::size_t>(row.program.source)].name) +
              "</td>";
     }},
    {"Time there", true,
     [](const ListingRow& row) {
       return "<td class=\"t\">" + WhenText(row.program.source_start) + "</td>";
     }},
    {"Shift", true,
     [](const ListingRow& row) {
       return "<td class=\"t\">" + ShiftText(row.program.shift) + "</td>";
     }},
    {"Taken by", true,
     [](const ListingRow& row) {
       return "<td>" + RangeKey(row.program.weekday_key) + " " + row.program.range + "</td>";
     }},
    {"Marks", false,
     [](const ListingRow& row) {
       std::string cell = "<td>";
       for (std::size_t m = 0; m < row.marks.size(); ++m)
         cell += (m == 0 ? "" : "; ") + std::string(row.marks[m]->meaning);
       return cell + "</td>";
     }},
};

void AppendListing(const ReviewPage& page, const std::vector<int>& colours, std::string* html) {
  *html +=
      "<div class=\"list\" role=\"region\" "
      "aria-label=\"Listing\"><h2>Listing</h2>\n<table><thead><tr>";
  for (const ListingColumn& column : kListingColumns) {
    if (page.composed || !column.composed_only)
      *html += std::string("<th>") + column.heading + "</th>";
  }
  *html += "</tr></thead>\n<tbody>\n";
  for (const ReviewProgram& program : page.programs) {
    const ListingRow row{page, program,
                         ColourClass(colours[static_cast<std::size_t>(program.source)]),
                         MarksOf(program)};
    *html += "<tr>";
    for (const ListingColumn& column : kListingColumns) {
      if (page.composed || !column.composed_only) *html += column.cell(row);
    }
    *html += "</tr>\n";
  }
  *html += "</tbody></table></div>\n";
}

}  // namespace

std::string RenderReviewPage(const ReviewPage& page) {
  std::string html;
  html.reserve(2048 + page.programs.size() * 700);
  AppendHead(page, &html);
  const std::vector<int> colours = SourceColours(page);
  AppendHeader(page, colours, &html);
  AppendGrid(page, colours, &html);
  AppendListing(page, colours, &html);
  html += "</body>\n</html>\n";
  return html;
}
