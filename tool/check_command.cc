// skedtool check NAME: reads NAME.cfg as the composer does and reports what
// the composer would do with it, and the mistakes it passes over in silence.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "base/load_program_base.h"
#include "base/program_tables.h"
#include "base/write_program_base.h"
#include "platform/base_path.h"
#include "platform/ini_profile.h"
#include "platform/read_file.h"
#include "selection/select_channel.h"
#include "selection/select_programs.h"
#include "tool/commands.h"
#include "tool/listing.h"
#include "tool/range_report.h"
#include "tool/tool_output.h"

const char kCheckHelp[] =
    "Usage: skedtool check NAME\n"
    "\n"
    "Reads the composition file NAME.cfg the way skedcomp does and reports, per\n"
    "channel section: whether its base loads and how many programmes it holds;\n"
    "for each weekday the ranges that will be used and how many programmes they\n"
    "take; where a range list stops early, the text that will be ignored and\n"
    "why; ranges that take nothing or overlap; keys that are no range or\n"
    "timeshift key (likely typos); and a timeshift the composer would refuse.\n"
    "Last, how many programmes the guide would hold, and whether skedcomp\n"
    "would write it. Each finding is marked error (skedcomp would stop) or\n"
    "warning. Nothing is written.\n"
    "\n"
    "Exit code: 0 when nothing was found, 1 when anything was, 2 when the check\n"
    "could not run (usage, NAME.cfg missing or unreadable).\n";

namespace {

const char* const kDayNames[] = {"Monday", "Tuesday",  "Wednesday", "Thursday",
                                 "Friday", "Saturday", "Sunday"};

struct Tally {
  long long errors = 0;
  long long warnings = 0;
  Status composer = Status::kOk;  // the first failure the composer would meet
  std::string composer_where;
};

// Text from the composition file as it can be shown on one line: control
// bytes escaped, so that a zero byte cannot cut it short nor a line end
// break it. A backslash stays as it is, as in section names of Windows paths.
std::string Shown(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\t') {
      shown += "\\t";
    } else if (byte < 0x20) {
      const char* const digits = "0123456789ABCDEF";
      shown += "\\x";
      shown += digits[byte >> 4];
      shown += digits[byte & 0xF];
    } else {
      shown += c;
    }
  }
  return shown;
}

void Error(Tally* tally, const std::string& message) {
  std::printf("  error: %s\n", message.c_str());
  ++tally->errors;
}

void Warning(Tally* tally, const std::string& message) {
  std::printf("  warning: %s\n", message.c_str());
  ++tally->warnings;
}

// Of one kind of finding in one key or section only the first few are shown;
// the others are counted and summed up in one line, so that a list of a
// million ranges still gives a report a person can read.
constexpr long long kShownPerKind = 3;

struct FindingKind {
  const char* what;  // "pairs of overlapping ranges"
  long long found = 0;
};

// Whether the next finding of `kind` is to be shown; counts it either way.
bool ShowNext(Tally* tally, FindingKind* kind, long long count = 1) {
  const bool show = kind->found < kShownPerKind;
  kind->found += count;
  if (!show) tally->warnings += count;
  return show;
}

void SumUp(const FindingKind& kind, const std::string& where) {
  if (kind.found > kShownPerKind) {
    std::printf("  ... %lld more %s in %s not shown\n", kind.found - kShownPerKind, kind.what,
                where.c_str());
  }
}

void ComposerStops(Tally* tally, Status status, const std::string& where) {
  if (tally->composer == Status::kOk) {
    tally->composer = status;
    tally->composer_where = where;
  }
}

std::size_t EditDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] != b[j - 1] ? 1 : 0)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

std::vector<std::string> KnownKeys() {
  std::vector<std::string> keys;
  for (int weekday = 1; weekday <= 7; ++weekday) keys.push_back(RangeKey(weekday));
  keys.emplace_back(kTimeshiftKey);
  return keys;
}

// Keys the composer never reads, and keys that stand twice.
void CheckKeys(const IniSection& section, Tally* tally) {
  const std::vector<std::string> known = KnownKeys();
  std::unordered_set<std::string> seen;
  FindingKind repeated{"keys that stand more than once"};
  FindingKind unknown{"unknown keys"};
  for (const IniKey& key : section.keys) {
    std::string lower = ProfileNameKey(key.name);
    const bool is_known = std::find(known.begin(), known.end(), lower) != known.end();
    if (!seen.insert(std::move(lower)).second) {
      if (ShowNext(tally, &repeated)) {
        Warning(tally,
                "'" + Shown(key.name) + "' stands more than once: only its first value is used");
      }
      continue;
    }
    if (is_known || !ShowNext(tally, &unknown)) continue;
    std::string message = "unknown key '" + Shown(key.name) + "' is ignored";
    for (const std::string& candidate : known) {
      if (EditDistance(ProfileNameKey(key.name), candidate) <= 2) {
        message += "; did you mean '" + candidate + "'?";
        break;
      }
    }
    Warning(tally, message);
  }
  SumUp(repeated, "this section");
  SumUp(unknown, "this section");
}

// The starts (hour, minute) of the ChannelTable's programmes on `weekday`.
std::vector<ClockTime> StartsOn(int weekday) {
  std::vector<ClockTime> starts;
  for (int i = 0; i < ChannelTable.count; ++i) {
    const ProgramRecord& record = ChannelTable.records[i];
    if (record.weekday == weekday) starts.push_back({record.hour, record.minute});
  }
  return starts;
}

int CountInRange(const std::vector<ClockTime>& starts, int weekday, const TimeRange& range) {
  int count = 0;
  ProgramRecord record{};
  record.weekday = weekday;
  for (const ClockTime& start : starts) {
    record.hour = start.hours;
    record.minute = start.minutes;
    if (ProgramInRange(record, weekday, range)) ++count;
  }
  return count;
}

auto TimeKey(const ClockTime& time) { return std::make_pair(time.hours, time.minutes); }

// Every pair of ranges that can both take a programme, by a sweep over the
// ranges in start order: `report` is called with the first few pairs, and
// the number of all of them is returned. Linear but for the sort.
long long OverlappingPairs(const std::vector<ListedRange>& ranges,
                           const std::function<void(std::size_t, std::size_t)>& report) {
  // Programmes start at 0:00 or later, so a range takes nothing before that.
  const ClockTime midnight{0, 0};
  std::vector<std::size_t> order;
  std::vector<ClockTime> starts(ranges.size());
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    starts[i] =
        TimeKey(ranges[i].range.start) < TimeKey(midnight) ? midnight : ranges[i].range.start;
    if (TimeKey(starts[i]) < TimeKey(ranges[i].range.end)) order.push_back(i);
  }
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return TimeKey(starts[a]) < TimeKey(starts[b]);
  });
  // The ranges begun so far that have not yet ended, by their ends.
  std::multiset<std::pair<std::pair<int, int>, std::size_t>> open;
  long long pairs = 0;
  int reported = 0;
  for (const std::size_t i : order) {
    while (!open.empty() && !(TimeKey(starts[i]) < open.begin()->first)) open.erase(open.begin());
    pairs += static_cast<long long>(open.size());
    for (auto other = open.begin(); other != open.end() && reported < kShownPerKind; ++other) {
      report(std::min(i, other->second), std::max(i, other->second));
      ++reported;
    }
    open.insert({TimeKey(ranges[i].range.end), i});
  }
  return pairs;
}

// One weekday's range list; returns how many programmes it takes.
long long CheckWeekday(const IniProfile& profile, const std::string& section, int weekday,
                       bool loaded, Tally* tally) {
  const std::string key = RangeKey(weekday);
  const bool present = HasProfileKey(profile, section, key);
  const std::string value = platform::GetPrivateProfileStringA(profile, section, key, kWholeDay);
  const RangeListReport report = ReadRangeList(value);
  const std::vector<ClockTime> starts = loaded ? StartsOn(weekday) : std::vector<ClockTime>{};

  // Only the first ranges are listed; a list of thousands would fill screens.
  constexpr std::size_t kRangesListed = 10;
  long long taken = 0;
  std::string shown;
  for (std::size_t i = 0; i < report.ranges.size(); ++i) {
    const ListedRange& range = report.ranges[i];
    if (WhyNothingSelected(range).empty()) taken += CountInRange(starts, weekday, range.range);
    if (i < kRangesListed) shown += (shown.empty() ? "" : ", ") + range.text;
  }
  if (report.ranges.size() > kRangesListed) {
    shown += ", ... (" + std::to_string(report.ranges.size()) + " ranges)";
  }
  if (!present) shown += " (no " + key + ": the whole day)";
  if (report.ranges.empty()) shown = value.empty() ? "nothing (" + key + " is empty)" : "nothing";
  if (!report.ignored.empty() && report.why_ignored.empty()) {
    shown += "  ; ignored: " + Shown(report.ignored);
  }
  const std::string count = loaded ? std::to_string(taken) : "-";
  std::printf("  %s %4s  %s\n", WeekdayName(weekday), count.c_str(), shown.c_str());

  const std::string day = kDayNames[weekday - 1];
  if (!report.why_ignored.empty()) {
    Warning(tally, key + " stops at \"" + Shown(report.ignored) + "\": " + report.why_ignored +
                       "; the rest of the list is ignored");
  }
  FindingKind empty{"ranges that take nothing"};
  FindingKind surprising{"times read otherwise than written"};
  for (const ListedRange& range : report.ranges) {
    if (const std::string why = WhyNothingSelected(range); !why.empty()) {
      if (ShowNext(tally, &empty))
        Warning(tally, key + " range " + range.text + " takes nothing: " + why);
    }
    for (const std::string& note : SurprisingTimes(range)) {
      if (ShowNext(tally, &surprising)) Warning(tally, key + ": " + note);
    }
  }
  FindingKind overlapping{"pairs of overlapping ranges"};
  const long long pairs = OverlappingPairs(report.ranges, [&](std::size_t i, std::size_t j) {
    const ListedRange& a = report.ranges[i];
    const ListedRange& b = report.ranges[j];
    TimeRange common;
    RangesOverlap(a.range, b.range, &common);
    const int twice = CountInRange(starts, weekday, common);
    Warning(tally, key + " ranges " + a.text + " and " + b.text + " overlap (" +
                       FormatClockTime(common.start) + "-" + FormatClockTime(common.end) + "): " +
                       (!loaded      ? "programmes there are taken twice"
                        : twice == 1 ? "1 programme of " + day + " is taken twice"
                                     : std::to_string(twice) + " programmes of " + day +
                                           " are taken twice"));
  });
  overlapping.found = pairs;
  if (pairs > kShownPerKind) tally->warnings += pairs - kShownPerKind;
  for (const FindingKind* kind : {&empty, &surprising, &overlapping}) SumUp(*kind, key);
  return taken;
}

std::string Hours(int shift) {
  if (shift == 0) return "0 hours";
  return (shift > 0 ? "+" : "") + std::to_string(shift) +
         (shift == 1 || shift == -1 ? " hour" : " hours");
}

// The composer reads a timeshift up to the end of its digits: "1:30" is one
// hour. Text after them other than a ';' comment is most likely meant.
void CheckTimeshiftText(const std::string& value, int shift, Tally* tally) {
  std::string_view text = value;
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front())) text.remove_prefix(1);
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  while (at < text.size() && IsDecimalDigit(text[at])) ++at;
  std::string_view rest = text.substr(at);
  while (!rest.empty() && blank(rest.front())) rest.remove_prefix(1);
  while (!rest.empty() && blank(rest.back())) rest.remove_suffix(1);
  if (rest.empty() || rest.front() == ';') return;
  const char* why = "only the number is read";
  switch (rest.front()) {
    case ':':
      why = "minutes are not read: a shift is whole hours";
      break;
    case '.':
    case ',':
      why = "a fraction is not read: a shift is whole hours";
      break;
    case 'x':
    case 'X':
      why = "hexadecimal is not read";
      break;
    case 'e':
    case 'E':
      why = "an exponent is not read";
      break;
  }
  Warning(tally, "timeshift \"" + Shown(value) + "\" is read as " + Hours(shift) + ": \"" +
                     Shown(rest) + "\" after the number is ignored (" + why + ")");
}

// One channel section; returns how many programmes it adds to the guide.
long long CheckChannel(const IniProfile& profile, std::size_t position, Tally* tally) {
  const IniSection& section = profile.sections[position];
  const std::string name = Shown(section.name);
  const std::string where = "[" + name + "]";
  std::printf("\n%s\n", where.c_str());
  const Status load = LoadProgramBase(section.name);
  const bool loaded = load == Status::kOk;
  if (loaded) {
    std::printf("  base %s: %d programmes\n", Shown(NativePath(section.name)).c_str(),
                ChannelTable.count);
  } else {
    Error(tally, "base " + Shown(NativePath(section.name)) + ": " + StatusText(load));
    ComposerStops(tally, load, where);
  }
  if (FindProfileSection(profile, section.name) != position) {
    Warning(tally,
            "this section's name stands before: the channel is taken again, "
            "with the keys of the first section of that name");
  } else {
    CheckKeys(section, tally);
  }

  int shift = 0;
  const std::string shift_text =
      platform::GetPrivateProfileStringA(profile, section.name, kTimeshiftKey, "");
  if (ReadTimeShift(section.name, profile, &shift) != Status::kOk) {
    Error(tally, "timeshift \"" + Shown(shift_text) + "\" is no whole number from -24 to 24");
    ComposerStops(tally, Status::kWrongTimeshift, where);
  } else {
    if (shift != 0) std::printf("  timeshift %s\n", Hours(shift).c_str());
    CheckTimeshiftText(shift_text, shift, tally);
  }

  long long taken = 0;
  for (int weekday = 1; weekday <= 7; ++weekday) {
    taken += CheckWeekday(profile, section.name, weekday, loaded, tally);
  }
  // The composer's own selection, for the failures it would meet with the
  // guide; counts above are by the same test.
  if (loaded && tally->composer == Status::kOk) {
    if (const Status status = SelectChannel(section.name, profile); status != Status::kOk) {
      ComposerStops(tally, status, where);
    }
  }
  return taken;
}

}  // namespace

int RunCheck(const Arguments& args) {
  if (args.size() != 1) return UsageError("check", "expects one NAME");
  const std::string path = CompositionFilePath(args[0]);
  std::string text;
  const ReadFileResult read = ReadWholeFile(path, kTextFileLimit, &text);
  if (read != ReadFileResult::kOk) {
    PrintError("check", ReadFailureText(read, path, "composition file"));
    return 2;
  }
  const IniProfile profile = ParseIniProfile(text);
  std::printf("%s: %zu channel sections\n", Shown(path).c_str(), profile.sections.size());

  Tally tally;
  ChannelTable.count = 0;
  GuideTable.count = 0;
  long long total = 0;
  if (profile.sections.empty()) {
    Error(&tally, "no sections: " + StatusText(Status::kNoSections));
    ComposerStops(&tally, Status::kNoSections, path);
  }
  for (std::size_t i = 0; i < profile.sections.size(); ++i) {
    total += CheckChannel(profile, i, &tally);
  }

  std::printf("\n");
  if (tally.composer == Status::kOk) {
    GuideFiles files;
    const Status status = BuildGuideFiles(&files);
    if (status != Status::kOk) ComposerStops(&tally, status, "writing the guide");
  }
  std::printf("The guide would hold %lld programmes (at most %d).\n", total, kProgramTableCapacity);
  if (total > kProgramTableCapacity) {
    Error(&tally, "more than " + std::to_string(kProgramTableCapacity) +
                      " programmes: " + StatusText(Status::kTooManyInGuide));
  } else if (tally.composer == Status::kGuideTooBig || tally.composer == Status::kCantConvertTime) {
    Error(&tally, StatusText(tally.composer));
  }
  if (tally.composer == Status::kOk) {
    std::printf("skedcomp would write the guide.\n");
  } else {
    std::printf("skedcomp would stop at %s with \"%s\".\n", tally.composer_where.c_str(),
                StatusText(tally.composer).c_str());
  }
  std::printf("%lld error%s, %lld warning%s.\n", tally.errors, tally.errors == 1 ? "" : "s",
              tally.warnings, tally.warnings == 1 ? "" : "s");
  return tally.errors + tally.warnings > 0 ? 1 : 0;
}
