#include "report/review.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "base/calendar_time.h"
#include "base/stored_base.h"
#include "base/write_program_base.h"
#include "composition/composition_file.h"
#include "composition/ini_profile.h"
#include "platform/base_path.h"
#include "report/base_diff.h"
#include "report/check.h"
#include "report/listing.h"
#include "report/range_report.h"
#include "text/ascii.h"
#include "text/escape.h"
#include "text/utf8.h"

namespace {

ProgramStart StartOfTicks(std::uint64_t ticks) {
  CalendarTime start;
  CalendarOfStoredTime(StoredTime{ticks}, &start);
  return StartOfCalendar(start);
}

// Whether a title shows what a code page did to it on the way into the base:
// cut at the longest a base holds, or a '?' standing for a character the page
// lacked, which, unlike a question mark, is followed by a letter or another '?'.
bool TitleDamaged(std::string_view title) {
  if (title.size() >= static_cast<std::size_t>(kMaxTitleLength)) return true;
  for (std::size_t i = 0; i + 1 < title.size(); ++i) {
    if (title[i] != '?') continue;
    const auto next = static_cast<unsigned char>(title[i + 1]);
    if (next == '?' || next >= 0x80 || IsAsciiDigit(title[i + 1]) || IsAsciiLetter(title[i + 1])) {
      return true;
    }
  }
  return false;
}

std::string RangeText(const TimeRange& range) {
  return FormatClockTime(range.start) + "-" + FormatClockTime(range.end);
}

// The programmes of `base`, as far as they decode.
std::vector<StoredProgram> ProgramsOf(const StoredBase& base) {
  std::vector<StoredProgram> programs;
  BaseDamage damage;
  std::size_t at = 0;
  DecodeStoredPrograms(base, &damage, &at, [&](std::size_t, const StoredProgram& program) {
    programs.push_back(program);
  });
  return programs;
}

bool SameStart(const ProgramStart& a, const ProgramStart& b) {
  return std::tie(a.year, a.month, a.day, a.hour, a.minute) ==
         std::tie(b.year, b.month, b.day, b.hour, b.minute);
}

// How the guide on disk compares with what `files` holds: a line, and the
// programmes only one of them holds, marked in the page's programmes.
void CompareWithDisk(const std::string& name, const GuideFiles& files, const DisplayCodePage& shown,
                     ReviewPage* page) {
  StoredBase disk;
  BaseDamage damage = BaseDamage::kNone;
  if (ReadStoredBase(name, &disk, &damage) != Status::kOk) {
    page->on_disk = "There is no readable guide " + name + ".ndx and " + name +
                    ".pdt on disk: skedcomp " + name + " writes it.";
    return;
  }
  if (disk.index() == files.index && disk.titles() == files.titles &&
      disk.index_stamp.size == files.index.size() &&
      disk.titles_stamp.size == files.titles.size()) {
    return;
  }
  StoredBase composed;
  SetStoredBytes(&composed, files.index, files.titles);
  std::vector<StoredProgram> now;
  if (CheckStoredBase(&composed, &damage) == Status::kOk) now = ProgramsOf(composed);
  std::size_t added = 0;
  for (const ProgramChange& change : DiffPrograms(ProgramsOf(disk), now)) {
    CalendarTime calendar;
    CalendarOfStoredTime(StoredTime{change.program.start}, &calendar);  // decoded: in range
    const bool is_added = change.kind == ProgramChange::Kind::kAdded;
    added += is_added;
    page->changes.push_back(
        {is_added, StartOfCalendar(calendar), shown(std::string(change.program.title))});
  }
  // Each programme added is marked in the grid; retimed where the guide on
  // disk held its title at another time.
  for (const ReviewChange& change : page->changes) {
    if (!change.added) continue;
    for (ReviewProgram& program : page->programs) {
      if (program.added || !SameStart(program.start, change.start) ||
          program.title != change.title) {
        continue;
      }
      program.added = true;
      program.retimed = std::any_of(
          page->changes.begin(), page->changes.end(),
          [&](const ReviewChange& other) { return !other.added && other.title == change.title; });
      break;
    }
  }
  const std::size_t dropped = page->changes.size() - added;
  page->on_disk = "The guide on disk is stale: " + name + ".ndx and " + name +
                  ".pdt differ from what " + name + ".cfg composes now" +
                  (page->changes.empty() ? " in their bytes"
                                         : ": " + std::to_string(added) + " added, " +
                                               std::to_string(dropped) + " dropped") +
                  ". Run skedcomp " + name + " to write it anew.";
}

// Each error and warning check finds, one line with the section it stands
// under ("[bases\one] warning: ..."), and what is not shown.
std::vector<std::string> Findings(const CheckReport& report) {
  if (!report.unreadable.empty()) return {"error: " + report.unreadable};
  std::vector<std::string> findings;
  for (const ReportLine& line : CheckReportLines(report)) {
    if (line.finding)
      findings.push_back((line.section.empty() ? "" : line.section + " ") + line.text);
  }
  return findings;
}

std::chrono::sys_days DayOf(const ProgramStart& time) {
  return std::chrono::year{time.year} / time.month / time.day;
}

long long MinuteOf(const ProgramStart& time) {
  return static_cast<long long>(DayOf(time).time_since_epoch().count()) * 1440 + time.hour * 60 +
         time.minute;
}

// The marks that depend on a programme's neighbours in its lane.
void MarkNeighbours(ReviewPage* page) {
  const int lanes = page->composed ? 1 : std::max<int>(1, static_cast<int>(page->sources.size()));
  std::vector<long long> last_start(static_cast<std::size_t>(lanes), -1);
  std::vector<std::size_t> last_index(static_cast<std::size_t>(lanes), 0);
  for (std::size_t i = 0; i < page->programs.size(); ++i) {
    ReviewProgram& program = page->programs[i];
    const auto lane = static_cast<std::size_t>(page->composed ? 0 : program.source);
    const long long minute = MinuteOf(program.start);
    program.moved = program.composed && DayOf(program.source_start) != DayOf(program.start);
    if (last_start[lane] >= 0) {
      program.same_minute = minute == last_start[lane];
      ReviewProgram& before = page->programs[last_index[lane]];
      program.repeat = program.same_minute && program.title == before.title;
      before.until = minute - last_start[lane];
      before.long_gap = before.until > kLongGapMinutes;
    }
    last_start[lane] = minute;
    last_index[lane] = i;
  }
}

// The rows of the grid the page draws: one for each day with programmes, and
// for each empty day up to kEmptyDaysShown in a row (one for a longer run,
// folded).
std::size_t GridRows(const ReviewPage& page) {
  std::size_t rows = 0;
  bool first = true;
  std::chrono::sys_days previous{};
  for (const ReviewProgram& program : page.programs) {
    const std::chrono::sys_days day = DayOf(program.start);
    if (!first && day == previous) continue;
    if (!first) {
      const long long empty = (day - previous).count() - 1;
      rows += static_cast<std::size_t>(empty > kEmptyDaysShown ? 1 : empty);
    }
    ++rows;
    previous = day;
    first = false;
  }
  return rows;
}

// A row of the grid: a cell a lane, and on a page of bases, each lane's name
// in its label.
std::size_t RowWeight(const ReviewPage& page) {
  if (page.composed) return kCellBytes;
  std::size_t weight = std::max<std::size_t>(1, page.sources.size()) * kCellBytes;
  for (const ReviewSource& source : page.sources) weight += EscapeHtml(source.name).size();
  return weight;
}

// The title in the block's details, the block and the listing; the source
// in the details and the listing.
std::size_t ProgramWeight(const ReviewPage& page, const ReviewProgram& program) {
  return kProgramBytes + 3 * EscapeHtml(program.title).size() +
         2 * EscapeHtml(page.sources[static_cast<std::size_t>(program.source)].name).size();
}

// Its name in the legend and the header.
std::size_t SourceWeight(const ReviewSource& source) {
  return kSourceBytes + 2 * EscapeHtml(source.name).size();
}

std::string PageTooHeavyText(std::size_t bases) {
  return "the " + std::to_string(bases) + " bases would make a page of more than " +
         std::to_string(kMaxPageBytes >> 20) +
         " MiB, too heavy to open; review fewer bases at once, or bases of fewer days";
}

}  // namespace

bool ReviewComposition(const std::string& name, ProgramTables& tables, const DisplayCodePage& shown,
                       ReviewPage* page, std::string* error) {
  page->name = shown.Name(name);
  page->composed = true;
  CheckedSelection selection;
  const CheckReport check = CheckComposition(name, tables, shown, &selection);
  page->findings = Findings(check);
  if (check.unreadable.empty()) page->verdict = CheckVerdict(check);
  const IniProfile& composition = selection.composition;
  const std::string& section = selection.failed_section;
  const std::vector<Provenance>& provenance = selection.provenance;
  const Status status = selection.status;
  if (status != Status::kOk) {
    const std::string hint = ExtensionHint("skedtool review", name);
    *error =
        name + ": " + StatusText(status) +
        (section.empty() ? ""
                         : " (section [" + EscapeControlBytes(section, Backslash::kAsItIs) + "])") +
        (status == Status::kNoSections && !hint.empty()
             ? hint
             : "; skedtool check " + name + " says more");
    return false;
  }
  const ProgramTable& guide = tables.guide;
  const std::vector<int> order = GuideOrder(guide);
  // The same programme of the same base, however the sections name it.
  std::map<std::pair<std::string, int>, int> taken;
  for (const Provenance& from : provenance) {
    ++taken[{NativePath(ProfileSectionName(composition, from.section)), from.channel_record}];
  }
  std::map<std::size_t, int> source_of_section;
  for (const int position : order) {
    const ProgramRecord& record = guide.records[position];
    const Provenance& from = provenance[static_cast<std::size_t>(position)];
    const auto [slot, added] =
        source_of_section.try_emplace(from.section, static_cast<int>(page->sources.size()));
    if (added) {
      page->sources.push_back({shown.Name(ProfileSectionName(composition, from.section)), 0});
    }
    ++page->sources[static_cast<std::size_t>(slot->second)].count;
    ReviewProgram program;
    program.start = StartOf(record);
    const std::string_view title(record.title);
    program.title = shown(std::string(title));
    program.source = slot->second;
    program.composed = true;
    program.source_start = from.source;
    program.shift = from.shift;
    program.weekday_key = from.weekday;
    program.range = RangeText(from.range);
    program.taken_twice =
        taken[{NativePath(ProfileSectionName(composition, from.section)), from.channel_record}] > 1;
    program.title_damaged = TitleDamaged(title);
    page->programs.push_back(std::move(program));
  }
  GuideFiles files;
  if (BuildGuideFiles(guide, &files) == Status::kOk) CompareWithDisk(name, files, shown, page);
  MarkNeighbours(page);
  return true;
}

bool ReviewBases(const std::vector<std::string>& names, const DisplayCodePage& shown,
                 ReviewPage* page, std::string* error) {
  page->name = "bases";
  // Counted as the bases are read, so that too many are refused in the
  // memory a page's worth takes; the grid counts once they are in order.
  std::size_t weight = kPageFrameBytes;
  for (std::size_t b = 0; b < names.size(); ++b) {
    StoredBase base;
    BaseDamage damage = BaseDamage::kNone;
    std::size_t damaged_at = 0;
    Status status = ReadStoredBase(names[b], &base, &damage);
    const std::size_t first = page->programs.size();
    page->sources.push_back({shown.Name(names[b]), 0});
    weight += SourceWeight(page->sources.back());
    if (status == Status::kOk) {
      status = DecodeStoredPrograms(base, &damage, &damaged_at,
                                    [&](std::size_t, const StoredProgram& stored) {
                                      ReviewProgram program;
                                      program.start = StartOfTicks(stored.start);
                                      program.title = shown(std::string(stored.title));
                                      program.source = static_cast<int>(b);
                                      program.title_damaged = TitleDamaged(stored.title);
                                      weight += ProgramWeight(*page, program);
                                      page->programs.push_back(std::move(program));
                                    });
    }
    if (status != Status::kOk) {
      *error = BaseErrorText("skedtool review --bases", names[b], status, damage);
      return false;
    }
    page->sources.back().count = static_cast<int>(page->programs.size() - first);
    if (weight > kMaxPageBytes) {
      *error = PageTooHeavyText(names.size());
      return false;
    }
  }
  std::stable_sort(page->programs.begin(), page->programs.end(),
                   [](const ReviewProgram& a, const ReviewProgram& b) {
                     const auto key = [](const ProgramStart& t) {
                       return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute);
                     };
                     return key(a.start) < key(b.start);
                   });
  if (PageWeightBound(*page) > kMaxPageBytes) {
    *error = PageTooHeavyText(names.size());
    return false;
  }
  MarkNeighbours(page);
  return true;
}

std::size_t PageWeightBound(const ReviewPage& page) {
  std::size_t weight = kPageFrameBytes + GridRows(page) * RowWeight(page);
  for (const ReviewSource& source : page.sources) weight += SourceWeight(source);
  for (const ReviewProgram& program : page.programs) weight += ProgramWeight(page, program);
  return weight;
}
