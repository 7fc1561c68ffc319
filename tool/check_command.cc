// skedtool check NAME: reads NAME.cfg as the composer does and reports what
// the composer would do with it, and the mistakes it passes over in silence.
#include <algorithm>
#include <cstdio>
#include <limits>
#include <string>
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
  int errors = 0;
  int warnings = 0;
  Status composer = Status::kOk;  // the first failure the composer would meet
  std::string composer_where;
};

void Error(Tally* tally, const std::string& message) {
  std::printf("  error: %s\n", message.c_str());
  ++tally->errors;
}

void Warning(Tally* tally, const std::string& message) {
  std::printf("  warning: %s\n", message.c_str());
  ++tally->warnings;
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
  std::vector<std::string> seen;
  for (const IniKey& key : section.keys) {
    const std::string lower = ProfileNameKey(key.name);
    if (std::find(seen.begin(), seen.end(), lower) != seen.end()) {
      Warning(tally, "'" + key.name + "' stands more than once: only its first value is used");
      continue;
    }
    seen.push_back(lower);
    if (std::find(known.begin(), known.end(), lower) != known.end()) continue;
    std::string message = "unknown key '" + key.name + "' is ignored";
    for (const std::string& candidate : known) {
      if (EditDistance(lower, candidate) <= 2) {
        message += "; did you mean '" + candidate + "'?";
        break;
      }
    }
    Warning(tally, message);
  }
}

int CountInRange(int weekday, const TimeRange& range) {
  int count = 0;
  for (int i = 0; i < ChannelTable.count; ++i) {
    if (ProgramInRange(ChannelTable.records[i], weekday, range)) ++count;
  }
  return count;
}

// One weekday's range list; returns how many programmes it takes.
int CheckWeekday(const IniProfile& profile, const std::string& section, int weekday, bool loaded,
                 Tally* tally) {
  const std::string key = RangeKey(weekday);
  const bool present = HasProfileKey(profile, section, key);
  const std::string value = GetPrivateProfileStringA(profile, section, key, kWholeDay);
  const RangeListReport report = ReadRangeList(value);

  int taken = 0;
  std::string shown;
  for (const ListedRange& range : report.ranges) {
    taken += CountInRange(weekday, range.range);
    shown += (shown.empty() ? "" : ", ") + range.text;
  }
  if (!present) shown += " (no " + key + ": the whole day)";
  if (report.ranges.empty()) shown = value.empty() ? "nothing (" + key + " is empty)" : "nothing";
  if (!report.ignored.empty() && report.why_ignored.empty()) {
    shown += "  ; ignored: " + report.ignored;
  }
  const std::string count = loaded ? std::to_string(taken) : "-";
  std::printf("  %s %4s  %s\n", WeekdayName(weekday), count.c_str(), shown.c_str());

  const std::string day = kDayNames[weekday - 1];
  if (!report.why_ignored.empty()) {
    Warning(tally, key + " stops at \"" + report.ignored + "\": " + report.why_ignored +
                       "; the rest of the list is ignored");
  }
  for (const ListedRange& range : report.ranges) {
    if (const std::string why = WhyNothingSelected(range); !why.empty()) {
      Warning(tally, key + " range " + range.text + " takes nothing: " + why);
    }
    for (const std::string& note : SurprisingTimes(range)) Warning(tally, key + ": " + note);
  }
  for (std::size_t i = 0; i < report.ranges.size(); ++i) {
    for (std::size_t j = i + 1; j < report.ranges.size(); ++j) {
      TimeRange common;
      if (!RangesOverlap(report.ranges[i].range, report.ranges[j].range, &common)) continue;
      std::string message = key + " ranges " + report.ranges[i].text + " and " +
                            report.ranges[j].text + " overlap (" + FormatClockTime(common.start) +
                            "-" + FormatClockTime(common.end) + "): ";
      const int twice = CountInRange(weekday, common);
      message += !loaded ? "programmes there are taken twice"
                 : twice == 1
                     ? "1 programme of " + day + " is taken twice"
                     : std::to_string(twice) + " programmes of " + day + " are taken twice";
      Warning(tally, message);
    }
  }
  return taken;
}

// One channel section; returns how many programmes it adds to the guide.
long CheckChannel(const IniProfile& profile, std::size_t position, Tally* tally) {
  const IniSection& section = profile.sections[position];
  std::printf("\n[%s]\n", section.name.c_str());
  const Status load = LoadProgramBase(section.name);
  const bool loaded = load == Status::kOk;
  if (loaded) {
    std::printf("  base %s: %d programmes\n", NativePath(section.name).c_str(), ChannelTable.count);
  } else {
    Error(tally, "base " + NativePath(section.name) + ": " + StatusText(load));
    ComposerStops(tally, load, "[" + section.name + "]");
  }
  if (FindProfileSection(profile, section.name) != position) {
    Warning(tally,
            "this section's name stands before: the channel is taken again, "
            "with the keys of the first section of that name");
  } else {
    CheckKeys(section, tally);
  }

  int shift = 0;
  if (ReadTimeShift(section.name, profile, &shift) != Status::kOk) {
    Error(tally, "timeshift \"" +
                     GetPrivateProfileStringA(profile, section.name, kTimeshiftKey, "") +
                     "\" is no whole number from -24 to 24");
    ComposerStops(tally, Status::kWrongTimeshift, "[" + section.name + "]");
  } else if (shift != 0) {
    std::printf("  timeshift %+d hour%s\n", shift, shift == 1 || shift == -1 ? "" : "s");
  }

  long taken = 0;
  for (int weekday = 1; weekday <= 7; ++weekday) {
    taken += CheckWeekday(profile, section.name, weekday, loaded, tally);
  }
  // The composer's own selection, for the failures it would meet with the
  // guide; counts above are by the same test.
  if (loaded && tally->composer == Status::kOk) {
    if (const Status status = SelectChannel(section.name, profile); status != Status::kOk) {
      ComposerStops(tally, status, "[" + section.name + "]");
    }
  }
  return taken;
}

}  // namespace

int RunCheck(const Arguments& args) {
  if (args.size() != 1) return UsageError("check", "expects one NAME");
  const std::string path = CompositionFilePath(args[0]);
  std::string text;
  if (ReadFilePrefix(path, std::numeric_limits<std::size_t>::max(), &text) != ReadFileResult::kOk) {
    PrintError("check", "cannot read " + path);
    return 2;
  }
  const IniProfile profile = ParseIniProfile(text);
  std::printf("%s: %zu channel sections\n", path.c_str(), profile.sections.size());

  Tally tally;
  ChannelTable.count = 0;
  GuideTable.count = 0;
  long total = 0;
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
  std::printf("The guide would hold %ld programmes (at most %d).\n", total, kProgramTableCapacity);
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
  std::printf("%d error%s, %d warning%s.\n", tally.errors, tally.errors == 1 ? "" : "s",
              tally.warnings, tally.warnings == 1 ? "" : "s");
  return tally.errors + tally.warnings > 0 ? 1 : 0;
}
