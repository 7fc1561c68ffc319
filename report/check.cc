#include "report/check.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "base/base_cache.h"
#include "base/folder_listing.h"
#include "base/load_program_base.h"
#include "base/write_program_base.h"
#include "composition/composition_file.h"
#include "composition/ini_profile.h"
#include "platform/base_path.h"
#include "platform/names.h"
#include "platform/read_file.h"
#include "report/listing.h"
#include "report/range_report.h"
#include "report/section_overlaps.h"
#include "selection/select_channel.h"
#include "selection/select_composition.h"
#include "selection/select_programs.h"
#include "text/ascii.h"
#include "text/escape.h"

namespace {

// A check in progress: the report being made, and how: the tables the bases
// load into, how text is shown, and whether the section at hand is past the
// sections shown.
struct CheckRun {
  CheckReport* report;
  ProgramTables* tables;
  const DisplayCodePage* shown;
  long long& errors;
  long long& warnings;
  BaseCache* bases;             // each base read once, as one version
  CheckedSelection* selection;  // the guide's provenance and the selection's first failure
  bool quiet = false;           // past the sections shown
  std::map<std::string, long long> counted_quietly;  // kind of finding -> how many
  FolderListings folders = {};                       // bases not there are known from these
  // The guide's hours each section takes, to find two sections taking the
  // same: of the section at hand, its position and shift.
  std::vector<TakenSpan> spans = {};
  std::uint32_t position = 0;
  int shift = 0;
  bool takes_spans = false;  // not a section whose name stood before
};

void Fact(CheckRun* run, std::string text) {
  run->report->lines.push_back({CheckLine::Kind::kFact, Severity::kWarning, "", std::move(text)});
}

// Text from the composition file as it can be shown on one line: control
// bytes escaped, so that a zero byte cannot cut it short nor a line end
// break it. A backslash stays as it is, as in section names of Windows paths.
// With --codepage the bytes are converted to UTF-8.
std::string Shown(const CheckRun& run, std::string_view text) {
  return (*run.shown)(EscapeControlBytes(text, Backslash::kAsItIs));
}

// A finding of the kind `kind` ("unknown keys"): shown, or counted.
void Finding(CheckRun* run, bool error, const char* kind, const std::string& message) {
  ++(error ? run->errors : run->warnings);
  if (run->quiet) {
    ++run->counted_quietly[std::string(kind) + (error ? " (errors)" : "")];
  } else {
    run->report->lines.push_back(
        {CheckLine::Kind::kFinding, error ? Severity::kError : Severity::kWarning, kind, message});
  }
}

void Error(CheckRun* run, const char* kind, const std::string& message) {
  Finding(run, true, kind, message);
}

void Warning(CheckRun* run, const char* kind, const std::string& message) {
  Finding(run, false, kind, message);
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
bool ShowNext(CheckRun* run, FindingKind* kind, long long count = 1) {
  const bool show = kind->found < kShownPerKind;
  kind->found += count;
  if (!show) {
    run->warnings += count;
    if (run->quiet) run->counted_quietly[kind->what] += count;
  }
  return show;
}

void SumUp(const CheckRun& run, const FindingKind& kind, const std::string& where) {
  if (!run.quiet && kind.found > kShownPerKind) {
    run.report->lines.push_back({CheckLine::Kind::kNotShown, Severity::kWarning, kind.what,
                                 "... " + std::to_string(kind.found - kShownPerKind) + " more " +
                                     kind.what + " in " + where + " not shown"});
  }
}

// The selection's first failure, and the section it failed in as written.
void Selected(Status status, std::string_view section, CheckedSelection* selection) {
  if (selection->status != Status::kOk || status == Status::kOk) return;
  selection->status = status;
  selection->failed_section = section;
}

void ComposerStops(CheckRun* run, Status status, const std::string& where) {
  if (run->report->composer == Status::kOk) {
    run->report->composer = status;
    run->report->composer_where = where;
  }
}

std::size_t EditDistance(std::string_view a, std::string_view b) {
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

// Keys the composer never reads, and keys that stand twice.
void CheckKeys(const IniProfile& profile, std::size_t position, CheckRun* run) {
  // The keys as places in the file, 8 bytes each whatever their number:
  // sorted by name to find the repeated ones, then back into file order.
  struct Place {
    std::uint32_t offset;
    std::uint32_t size;  // the top bit marks a key whose name stood before
  };
  constexpr std::uint32_t kRepeated = 0x80000000u;
  const char* const text = profile.text.data();
  std::size_t count = 0;
  ForEachProfileKey(profile, position, [&](std::string_view, std::string_view) { ++count; });
  std::vector<Place> keys;
  keys.reserve(count);
  ForEachProfileKey(profile, position, [&](std::string_view name, std::string_view) {
    keys.push_back(
        {static_cast<std::uint32_t>(name.data() - text), static_cast<std::uint32_t>(name.size())});
  });
  const auto name_of = [&](const Place& key) {
    return std::string_view(text + key.offset, key.size & ~kRepeated);
  };
  std::sort(keys.begin(), keys.end(), [&](const Place& a, const Place& b) {
    const int order = CompareProfileNames(name_of(a), name_of(b));
    return order < 0 || (order == 0 && a.offset < b.offset);
  });
  for (std::size_t i = 1; i < keys.size(); ++i) {
    if (CompareProfileNames(name_of(keys[i - 1]), name_of(keys[i])) == 0) keys[i].size |= kRepeated;
  }
  std::sort(keys.begin(), keys.end(),
            [](const Place& a, const Place& b) { return a.offset < b.offset; });

  FindingKind ignored{"lines that are ignored"};
  ForEachIgnoredProfileLine(profile, position, [&](std::string_view line, const char* why) {
    if (ShowNext(run, &ignored)) {
      Warning(run, ignored.what, "\"" + Shown(*run, line) + "\" is ignored: " + why);
    }
  });
  SumUp(*run, ignored, "this section");

  FindingKind repeated{"keys that stand more than once"};
  FindingKind unknown{"unknown keys"};
  for (const Place& key : keys) {
    const std::string_view name = name_of(key);
    if ((key.size & kRepeated) != 0) {
      if (ShowNext(run, &repeated)) {
        Warning(run, repeated.what,
                "'" + Shown(*run, name) + "' stands more than once: only its first value is used");
      }
      continue;
    }
    const std::string lower = ProfileNameKey(name);
    const bool is_known =
        std::find(kChannelKeys.begin(), kChannelKeys.end(), lower) != kChannelKeys.end();
    if (is_known || !ShowNext(run, &unknown)) continue;
    std::string message = "unknown key '" + Shown(*run, name) + "' is ignored";
    for (const std::string_view candidate : kChannelKeys) {
      if (EditDistance(lower, candidate) <= 2) {
        message += "; did you mean '" + std::string(candidate) + "'?";
        break;
      }
    }
    Warning(run, unknown.what, message);
  }
  SumUp(*run, repeated, "this section");
  SumUp(*run, unknown, "this section");
}

// The starts (hour, minute) of the channel's programmes on `weekday`.
std::vector<ClockTime> StartsOn(const ProgramTable& channel, int weekday) {
  std::vector<ClockTime> starts;
  for (int i = 0; i < channel.count; ++i) {
    const ProgramRecord& record = channel.records[i];
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

// Programmes start at 0:00 or later, so a range takes nothing before that.
ClockTime SweepStart(const TimeRange& range) {
  const ClockTime midnight{0, 0};
  return TimeKey(range.start) < TimeKey(midnight) ? midnight : range.start;
}

// Whether a range is wide enough to share a programme with another.
bool CanOverlap(const TimeRange& range) { return TimeKey(SweepStart(range)) < TimeKey(range.end); }

// Every pair of ranges that can both take a programme, by a sweep over the
// ranges in start order: `report` is called with the first few pairs, and
// the number of all of them is returned. Linear but for the sort.
long long OverlappingPairs(const std::vector<ListedRange>& ranges,
                           const std::function<void(std::size_t, std::size_t)>& report) {
  std::vector<std::size_t> order;
  std::vector<ClockTime> starts(ranges.size());
  for (std::size_t i = 0; i < ranges.size(); ++i) {
    starts[i] = SweepStart(ranges[i].range);
    if (CanOverlap(ranges[i].range)) order.push_back(i);
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

// The pairs of ranges of one weekday's list that take a programme twice: the
// first few told, all counted. `day` names the weekday where the base
// loaded, and is empty where it did not.
FindingKind CheckOverlaps(const std::vector<ListedRange>& may_overlap, const std::string& key,
                          const std::vector<ClockTime>& starts, int weekday, const std::string& day,
                          CheckRun* run) {
  FindingKind overlapping{"pairs of overlapping ranges"};
  const long long pairs = OverlappingPairs(may_overlap, [&](std::size_t i, std::size_t j) {
    const ListedRange& a = may_overlap[i];
    const ListedRange& b = may_overlap[j];
    TimeRange common;
    RangesOverlap(a.range, b.range, &common);
    const int twice = CountInRange(starts, weekday, common);
    Warning(
        run, overlapping.what,
        key + " ranges " + std::string(a.text) + " and " + std::string(b.text) + " overlap (" +
            FormatClockTime(common.start) + "-" + FormatClockTime(common.end) + "): " +
            (day.empty()  ? "programmes there are taken twice"
             : twice == 1 ? "1 programme of " + day + " is taken twice"
                          : std::to_string(twice) + " programmes of " + day + " are taken twice"));
  });
  overlapping.found = pairs;
  if (pairs > kShownPerKind) {
    run->warnings += pairs - kShownPerKind;
    if (run->quiet) run->counted_quietly[overlapping.what] += pairs - kShownPerKind;
  }
  return overlapping;
}

// Past this many ranges that can take programmes, a list is not searched for
// overlaps: it would hold memory for each.
constexpr std::size_t kRangesPaired = 100'000;

// One weekday's range list; returns how many programmes it takes.
long long CheckWeekday(const IniProfile& profile, const std::string& section, int weekday,
                       bool loaded, CheckRun* run) {
  const std::string key = RangeKey(weekday);
  const bool present = HasProfileKey(profile, section, key);
  const std::string value = ProfileString(profile, section, key, kWholeDay);
  const std::vector<ClockTime> starts =
      loaded ? StartsOn(run->tables->channel, weekday) : std::vector<ClockTime>{};

  // The list is read range by range; of its findings only the first few of
  // each kind are kept, to be shown after the weekday's line. Only the first
  // ranges are listed: a list of thousands would fill screens.
  constexpr std::size_t kRangesListed = 10;
  long long taken = 0;
  std::size_t count = 0;
  std::string shown;
  FindingKind empty{"ranges that take nothing"};
  FindingKind surprising{"times read otherwise than written"};
  std::vector<std::pair<const char*, std::string>> findings;  // kind, message
  std::vector<ListedRange> may_overlap;                       // ranges that can take a programme
  bool too_many_to_pair = false;
  const RangeListReport report = ReadRangeList(value, [&](const ListedRange& range) {
    const std::string why = WhyNothingSelected(range);
    if (why.empty()) taken += CountInRange(starts, weekday, range.range);
    if (why.empty() && run->takes_spans && run->spans.size() < kRangesPaired) {
      AddTakenSpans(weekday, range.range, run->shift, run->position, &run->spans);
    }
    if (count++ < kRangesListed) {
      shown += (shown.empty() ? "" : ", ") + std::string(range.text);
    }
    if (!why.empty() && ShowNext(run, &empty)) {
      findings.emplace_back(empty.what,
                            key + " range " + std::string(range.text) + " takes nothing: " + why);
    }
    for (const std::string& note : SurprisingTimes(range)) {
      if (ShowNext(run, &surprising)) findings.emplace_back(surprising.what, key + ": " + note);
    }
    if (CanOverlap(range.range)) {
      if (may_overlap.size() < kRangesPaired) {
        may_overlap.push_back(range);
      } else {
        too_many_to_pair = true;
      }
    }
  });
  if (report.count > kRangesListed) {
    shown += ", ... (" + std::to_string(report.count) + " ranges)";
  }
  if (!present) shown += " (no " + key + ": the whole day)";
  if (report.count == 0) shown = value.empty() ? "nothing (" + key + " is empty)" : "nothing";
  if (!report.ignored.empty() && report.why_ignored.empty()) {
    shown += "  ; ignored: " + Shown(*run, report.ignored);
  }
  const std::string taken_text = loaded ? std::to_string(taken) : "-";
  if (!run->quiet) {
    char line[16];
    std::snprintf(line, sizeof line, "%s %4s  ", WeekdayName(weekday).c_str(), taken_text.c_str());
    Fact(run, line + shown);
  }

  if (const std::size_t zero = value.find('\0'); zero != std::string::npos) {
    Warning(run, "range lists that stop early",
            key + " holds a zero byte: the list is read only up to it, and \"" +
                Shown(*run, std::string_view(value).substr(zero)) + "\" is ignored");
  }
  if (!report.why_ignored.empty()) {
    Warning(run, "range lists that stop early",
            key + " stops at \"" + Shown(*run, report.ignored) + "\": " + report.why_ignored +
                "; the rest of the list is ignored");
  }
  for (const auto& [kind, message] : findings) Warning(run, kind, message);
  if (too_many_to_pair) {
    Warning(run, "range lists too long to look for overlaps",
            key + " has more than " + std::to_string(kRangesPaired) +
                " ranges that can take programmes; they are not checked for overlaps");
  }
  FindingKind overlapping =
      CheckOverlaps(may_overlap, key, starts, weekday, loaded ? WeekdayFullName(weekday) : "", run);
  for (const FindingKind* kind : {&empty, &surprising, &overlapping}) SumUp(*run, *kind, key);
  return taken;
}

std::string Hours(int shift) {
  if (shift == 0) return "0 hours";
  return (shift > 0 ? "+" : "") + std::to_string(shift) +
         (shift == 1 || shift == -1 ? " hour" : " hours");
}

// The composer reads a timeshift up to the end of its digits: "1:30" is one
// hour. Text after them other than a ';' comment is most likely meant.
void CheckTimeshiftText(const std::string& value, int shift, CheckRun* run) {
  const std::string_view text = TrimBlanks(value);
  std::size_t at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  while (at < text.size() && IsAsciiDigit(text[at])) ++at;
  const std::string_view rest = TrimBlanks(text.substr(at));
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
  Warning(run, "timeshifts read otherwise than written",
          "timeshift \"" + Shown(*run, value) + "\" is read as " + Hours(shift) + ": \"" +
              Shown(*run, rest) + "\" after the number is ignored (" + why + ")");
}

// The composer's own selection of the section into the guide, for the page
// and for the failures skedcomp would meet; the base's failure counts first,
// then the keys'.
void SelectForGuide(const IniProfile& profile, std::size_t position, Status base, Status keys,
                    const std::string& where, CheckRun* run) {
  const std::string_view section = ProfileSectionName(profile, position);
  CheckedSelection& selection = *run->selection;
  Selected(base, section, &selection);
  Selected(keys, section, &selection);
  if (selection.status != Status::kOk) return;
  const std::size_t traced = selection.provenance.size();
  const Status status = SelectChannel(section, profile, run->tables->channel, run->tables->guide,
                                      &selection.provenance);
  for (std::size_t k = traced; k < selection.provenance.size(); ++k) {
    selection.provenance[k].section = position;
  }
  Selected(status, section, &selection);
  if (status != Status::kOk) ComposerStops(run, status, where);
}

// One channel section; returns how many programmes it adds to the guide.
long long CheckChannel(const IniProfile& profile, std::size_t position, CheckRun* run) {
  const std::string section(ProfileSectionName(profile, position));
  const std::string where = "[" + Shown(*run, section) + "]";
  if (!run->quiet) {
    run->report->lines.push_back({CheckLine::Kind::kSection, Severity::kWarning, "", where});
  }
  const std::string base = NameFromComposition(section);
  // A file of a million sections naming bases that are not there costs a
  // listing of their folder, not a million failed opens.
  run->tables->channel.count = 0;
  const StoredBase* stored = nullptr;
  Status load = SurelyMissing(&run->folders, BaseFilePath(base, kIndexExtension))
                    ? Status::kCantOpenBase
                    : ReadCachedBase(run->bases, base, &stored);
  if (load == Status::kOk) load = LoadStoredBase(*stored, run->tables->channel);
  const bool loaded = load == Status::kOk;
  if (!loaded) {
    Error(run, "bases that do not load",
          "base " + Shown(*run, NativePath(section)) + ": " + StatusText(load));
    ComposerStops(run, load, where);
  } else if (!run->quiet) {
    Fact(run, "base " + Shown(*run, NativePath(section)) + ": " +
                  std::to_string(run->tables->channel.count) + " programmes");
  }
  const std::size_t first = FindProfileSection(profile, section);
  if (first != position) {
    Warning(run, "sections whose name stands before",
            "this section's name stands before: the channel is taken again, "
            "with the keys of the first section of that name");
  } else {
    CheckKeys(profile, position, run);
  }
  // Without keys and without a base there is nothing more to find; a file of
  // a million empty sections is checked at the cost of trying their bases.
  bool no_keys = true;
  ForEachProfileKey(profile, first, [&](std::string_view, std::string_view) { no_keys = false; });
  if (run->quiet && !loaded && no_keys) {
    if (run->selection->status == Status::kOk) Selected(load, section, run->selection);
    return 0;
  }

  int shift = 0;
  const std::string shift_text = ProfileString(profile, section, kTimeshiftKey, "");
  const bool shift_refused = ReadTimeShift(section, profile, &shift) != Status::kOk;
  if (shift_refused) {
    Error(run, "timeshifts the composer refuses",
          "timeshift \"" + Shown(*run, shift_text) + "\" is no whole number from -" +
              std::to_string(kMaxShift) + " to " + std::to_string(kMaxShift));
    ComposerStops(run, Status::kWrongTimeshift, where);
  } else {
    if (shift != 0 && !run->quiet) Fact(run, "timeshift " + Hours(shift));
    CheckTimeshiftText(shift_text, shift, run);
  }

  long long taken = 0;
  run->position = static_cast<std::uint32_t>(position);
  run->shift = shift_refused ? 0 : shift;
  run->takes_spans = first == position;
  for (int weekday = 1; weekday <= 7; ++weekday) {
    taken += CheckWeekday(profile, section, weekday, loaded, run);
  }
  // The composer's own selection, for the failures it would meet with the
  // guide; counts above are by the same test.
  SelectForGuide(profile, position, loaded ? Status::kOk : load,
                 shift_refused ? Status::kWrongTimeshift : Status::kOk, where, run);
  return taken;
}

// What only the guide as a whole can fail at: being written, and its size.
void CheckGuide(CheckRun* run) {
  CheckReport& report = *run->report;
  if (report.composer == Status::kOk) {
    GuideFiles files;
    const Status status = BuildGuideFiles(run->tables->guide, &files);
    if (status != Status::kOk) ComposerStops(run, status, "writing the guide");
  }
  const auto closing_error = [&](std::string message) {
    ++report.errors;
    report.closing.push_back({CheckLine::Kind::kFinding, Severity::kError, "", std::move(message)});
  };
  if (report.programmes > kProgramTableCapacity) {
    closing_error("more than " + std::to_string(kProgramTableCapacity) +
                  " programmes: " + StatusText(Status::kTooManyInGuide));
  } else if (report.composer == Status::kGuideTooBig ||
             report.composer == Status::kCantConvertTime) {
    closing_error(StatusText(report.composer));
  }
}

// Sections whose ranges take the same hours of the guide.
void CheckSectionOverlaps(const IniProfile& profile, CheckRun* run) {
  long long pairs = 0;
  const std::vector<SectionOverlap> found =
      OverlappingSections(std::move(run->spans), kShownPerKind, &pairs);
  const auto name = [&](std::uint32_t position) {
    return "[" + Shown(*run, ProfileSectionName(profile, position)) + "]";
  };
  const char* const kind = "pairs of sections that take the same hours";
  for (const SectionOverlap& overlap : found) {
    std::string where;
    for (const TakenSpan& span : overlap.where)
      where += (where.empty() ? "" : ", ") + WeekSpanText(span);
    if (overlap.stretches > static_cast<long long>(overlap.where.size())) where += ", ...";
    ++run->warnings;
    run->report->closing.push_back({CheckLine::Kind::kFinding, Severity::kWarning, kind,
                                    "sections " + name(overlap.first) + " and " +
                                        name(overlap.second) + " take the same hours, " + where +
                                        ": the guide would hold two programmes at once there"});
  }
  if (pairs > static_cast<long long>(found.size())) {
    run->warnings += pairs - static_cast<long long>(found.size());
    run->report->closing.push_back(
        {CheckLine::Kind::kNotShown, Severity::kWarning, kind,
         "... " + std::to_string(pairs - static_cast<long long>(found.size())) + " more " + kind +
             " not shown"});
  }
}

// The sections of `profile`, then the guide as a whole, into `report`.
void CheckSections(const IniProfile& profile, ProgramTables& tables, const DisplayCodePage& shown,
                   BaseCache* bases, CheckedSelection* selection, CheckReport* report) {
  CheckRun run{report,    &tables, &shown, report->errors, report->warnings, bases,
               selection, false,   {}};
  report->sections = profile.sections.size();
  tables.channel.count = 0;
  tables.guide.count = 0;
  long long total = 0;
  if (profile.sections.empty()) {
    Error(&run, "", "no sections: " + StatusText(Status::kNoSections));
    ComposerStops(&run, Status::kNoSections, report->path);
    Selected(Status::kNoSections, "", selection);
  }
  // A section whose name stood just before, both not the first of the name,
  // finds what that one found: its base and keys are the same.
  struct Outcome {
    std::size_t position = 0;
    long long errors = 0;
    long long warnings = 0;
    long long taken = 0;
    std::map<std::string, long long> counted;
  };
  Outcome last;
  std::map<std::string, long long> counted;  // of the quiet sections, kind by kind
  for (std::size_t i = 0; i < profile.sections.size(); ++i) {
    run.quiet = i >= kSectionsShown;
    const std::string_view section = ProfileSectionName(profile, i);
    const bool repeat = FindProfileSection(profile, section) != i;
    if (run.quiet && repeat && i > kSectionsShown && last.position + 1 == i &&
        CompareProfileNames(ProfileSectionName(profile, last.position), section) == 0 &&
        (report->composer != Status::kOk || last.taken == 0)) {
      report->errors += last.errors;
      report->warnings += last.warnings;
      total += last.taken;
      for (const auto& [kind, count] : last.counted) counted[kind] += count;
      last.position = i;
      continue;
    }
    const long long errors = report->errors;
    const long long warnings = report->warnings;
    run.counted_quietly.clear();
    const long long taken = CheckChannel(profile, i, &run);
    total += taken;
    for (const auto& [kind, count] : run.counted_quietly) counted[kind] += count;
    last = {i, report->errors - errors, report->warnings - warnings, taken,
            repeat ? std::move(run.counted_quietly) : std::map<std::string, long long>{}};
    if (!repeat) last.position = profile.sections.size();  // never reused
  }
  if (profile.sections.size() > kSectionsShown) {
    report->sections_not_shown = profile.sections.size() - kSectionsShown;
    report->counted = std::move(counted);
  }
  report->programmes = total;
  CheckGuide(&run);
  CheckSectionOverlaps(profile, &run);
}

}  // namespace

CheckReport CheckComposition(const std::string& name, ProgramTables& tables,
                             const DisplayCodePage& shown, CheckedSelection* selection) {
  CheckReport report;
  CheckedSelection kept;
  if (selection == nullptr) selection = &kept;
  *selection = {};
  const std::string path = CompositionFilePath(name);
  report.path = shown.Name(EscapeControlBytes(path, Backslash::kAsItIs));
  std::string text;
  const ReadFileResult read = ReadWholeFile(path, kTextFileLimit, &text);
  if (read != ReadFileResult::kOk) {
    report.unreadable = ReadFailureText(read, path, "composition file");
    selection->status = Status::kNoSections;
    return report;
  }
  selection->composition = ParseIniProfile(std::move(text));
  const CheckReport empty = report;
  BaseCache bases;
  StartComposition(&bases);
  ExpectRepeatedBases(selection->composition, &bases);
  CheckSections(selection->composition, tables, shown, &bases, selection, &report);
  // As a composition, the report counts only once each base is known to
  // have been read as one version; otherwise it is made again, base by base.
  if (!ConfirmComposition(&bases)) {
    report = empty;
    IniProfile composition = std::move(selection->composition);
    *selection = {};
    selection->composition = std::move(composition);
    CheckSections(selection->composition, tables, shown, &bases, selection, &report);
    ConfirmComposition(&bases);
  }
  return report;
}

std::vector<ReportLine> CheckReportLines(const CheckReport& report) {
  std::vector<ReportLine> lines;
  lines.push_back({false, false, false, "",
                   report.path + ": " + std::to_string(report.sections) + " channel sections"});
  std::string section;
  const auto add = [&](const CheckLine& line) {
    switch (line.kind) {
      case CheckLine::Kind::kSection:
        section = line.text;
        lines.push_back({true, false, false, section, line.text});
        break;
      case CheckLine::Kind::kFinding:
        lines.push_back(
            {false, true, true, section,
             (line.severity == Severity::kError ? "error: " : "warning: ") + line.text});
        break;
      case CheckLine::Kind::kNotShown:
        lines.push_back({false, true, true, section, line.text});
        break;
      case CheckLine::Kind::kFact:
        lines.push_back({false, true, false, section, line.text});
        break;
    }
  };
  for (const CheckLine& line : report.lines) add(line);
  section.clear();
  if (report.sections_not_shown > 0) {
    lines.push_back({true, false, true, "",
                     "... " + std::to_string(report.sections_not_shown) +
                         " more sections, not shown; what was found in them:"});
    if (report.counted.empty()) lines.push_back({false, true, true, "", "nothing"});
    for (const auto& [kind, count] : report.counted) {
      lines.push_back({false, true, true, "", std::to_string(count) + " " + kind});
    }
  }
  lines.push_back({true, false, false, "",
                   "The guide would hold " + std::to_string(report.programmes) +
                       " programmes (at most " + std::to_string(kProgramTableCapacity) + ")."});
  for (const CheckLine& line : report.closing) add(line);
  lines.push_back({false, false, false, "", CheckVerdict(report)});
  lines.push_back({false, false, false, "",
                   std::to_string(report.errors) + (report.errors == 1 ? " error, " : " errors, ") +
                       std::to_string(report.warnings) +
                       (report.warnings == 1 ? " warning." : " warnings.")});
  return lines;
}

std::string CheckVerdict(const CheckReport& report) {
  if (report.composer == Status::kOk) return "skedcomp would write the guide.";
  return "skedcomp would stop at " + report.composer_where + " with \"" +
         StatusText(report.composer) + "\".";
}
