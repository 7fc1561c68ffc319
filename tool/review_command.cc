// skedtool review: a composed guide, or program bases, as an HTML page.
#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "base/calendar_time.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "base/write_program_base.h"
#include "composer/compose_guide.h"
#include "composition/composition_file.h"
#include "platform/base_path.h"
#include "text/ascii.h"
#include "text/utf8.h"
#include "tool/check_findings.h"
#include "tool/commands.h"
#include "tool/review_page.h"
#include "tool/tool_output.h"
#include "xmltv/code_page.h"

const char kReviewHelp[] =
    "Usage: skedtool review [--codepage CP] NAME > NAME.html\n"
    "       skedtool review [--codepage CP] --bases BASE... > bases.html\n"
    "\n"
    "Prints one HTML page (UTF-8, nothing loaded from anywhere, no script) to\n"
    "look at a guide before it is put to use. With NAME it composes NAME.cfg as\n"
    "skedcomp would, writing nothing, and shows where each programme came from:\n"
    "its channel, its start there, the shift, and the range that took it; it\n"
    "says whether NAME.ndx and NAME.pdt on disk hold that guide, and lists what\n"
    "skedtool check finds. With --bases it shows what the bases hold, a colour\n"
    "and a lane each.\n"
    "\n"
    "A week grid shows each date as a 24-hour line, each programme a block from\n"
    "its start to the next start; a listing follows. Marked: a programme its\n"
    "shift moved onto another date, one taken twice, two starting the same\n"
    "minute, a title cut or holding '?' where the code page lacked a character,\n"
    "and more than three hours with no programme starting.\n"
    "\n"
    "  --codepage CP  the code page of titles and names (default cp1252).\n";

namespace {

ReviewTime TimeOfRecord(int year, int month, int day, int weekday, int hour, int minute) {
  return {year, month, day, weekday, hour, minute};
}

ReviewTime TimeOfTicks(std::uint64_t ticks) {
  CalendarTime start;
  CalendarOfStoredTime(StoredTime{ticks}, &start);
  return {start.wYear, start.wMonth, start.wDay, WeekdayNumber(start), start.wHour, start.wMinute};
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

// A name, of a file or a section: as it is when it is UTF-8 (as names typed
// on Linux are), otherwise text of the code page (as Windows names are).
std::string NameShown(const std::string& name, const ShownText& shown) {
  return IsUtf8(name) ? name : shown(name);
}

std::string RangeText(const TimeRange& range) {
  char text[64];
  std::snprintf(text, sizeof text, "%d:%02d-%d:%02d", range.start.hours, range.start.minutes,
                range.end.hours, range.end.minutes);
  return text;
}

// How the guide on disk compares with what `files` holds.
std::string OnDisk(const std::string& name, const GuideFiles& files) {
  StoredBase disk;
  BaseDamage damage = BaseDamage::kNone;
  if (ReadStoredBase(name, &disk, &damage) != Status::kOk) {
    return "There is no readable guide " + name + ".ndx and " + name + ".pdt on disk: skedcomp " +
           name + " writes it.";
  }
  if (disk.index() == files.index && disk.titles() == files.titles &&
      disk.index_file_size == files.index.size() && disk.titles_file_size == files.titles.size()) {
    return {};
  }
  StoredBase composed;
  SetStoredBytes(&composed, files.index, files.titles);
  std::vector<StoredProgram> now;
  std::vector<StoredProgram> before;
  std::size_t at = 0;
  if (CheckStoredBase(&composed, &damage) == Status::kOk) {
    DecodeStoredPrograms(composed, &damage, &at, [&](std::size_t, const StoredProgram& program) {
      now.push_back(program);
    });
  }
  DecodeStoredPrograms(disk, &damage, &at, [&](std::size_t, const StoredProgram& program) {
    before.push_back(program);
  });
  std::size_t differ = std::max(now.size(), before.size()) - std::min(now.size(), before.size());
  for (std::size_t k = 0; k < std::min(now.size(), before.size()); ++k) {
    if (now[k].start != before[k].start || now[k].title != before[k].title) ++differ;
  }
  return "The guide on disk is stale: " + name + ".ndx and " + name + ".pdt differ from what " +
         name + ".cfg composes now" +
         (differ > 0
              ? " in " + std::to_string(differ) + (differ == 1 ? " programme" : " programmes")
              : " in their bytes") +
         ". Run skedcomp " + name + " to write it anew.";
}

// The page of a composition; false after printing why there is none.
bool ComposedPage(const std::string& name, const ShownText& shown, ReviewPage* page) {
  page->name = NameShown(name, shown);
  page->composed = true;
  page->findings = CheckFindings(name, shown, &page->verdict);
  ComposeReport report;
  ComposedGuide composed;
  const Status status = ComposeInMemory(name, &report, &composed);
  if (status != Status::kOk) {
    const std::string hint = ExtensionHint("skedtool review", name);
    PrintError("review", name + ": " + StatusText(status) +
                             (report.section.empty() ? "" : " (section [" + report.section + "])") +
                             (status == Status::kNoSections && !hint.empty()
                                  ? hint
                                  : "; skedtool check " + name + " says more"));
    return false;
  }
  const std::vector<int> order = GuideOrder();
  // The same programme of the same base, however the sections name it.
  std::map<std::pair<std::string, int>, int> taken;
  for (const Provenance& from : composed.provenance) {
    ++taken[{NativePath(ProfileSectionName(composed.composition, from.section)),
             from.channel_record}];
  }
  std::map<std::size_t, int> source_of_section;
  for (const int position : order) {
    const ProgramRecord& record = GuideTable.records[position];
    const Provenance& from = composed.provenance[static_cast<std::size_t>(position)];
    const auto [slot, added] =
        source_of_section.try_emplace(from.section, static_cast<int>(page->sources.size()));
    if (added)
      page->sources.push_back(
          {NameShown(std::string(ProfileSectionName(composed.composition, from.section)), shown),
           0});
    ++page->sources[static_cast<std::size_t>(slot->second)].count;
    ReviewProgram program;
    program.start = TimeOfRecord(record.year, record.month, record.day, record.weekday, record.hour,
                                 record.minute);
    const std::string_view title(record.title);
    program.title = shown(std::string(title));
    program.source = slot->second;
    program.composed = true;
    program.source_start = TimeOfRecord(from.source.year, from.source.month, from.source.day,
                                        from.source.weekday, from.source.hour, from.source.minute);
    program.shift = from.shift;
    program.weekday_key = from.weekday;
    program.range = RangeText(from.range);
    program.taken_twice = taken[{NativePath(ProfileSectionName(composed.composition, from.section)),
                                 from.channel_record}] > 1;
    program.title_damaged = TitleDamaged(title);
    page->programs.push_back(std::move(program));
  }
  GuideFiles files;
  if (BuildGuideFiles(&files) == Status::kOk) page->on_disk = OnDisk(name, files);
  return true;
}

// The page of bases; false after printing why there is none.
bool BasesPage(const std::vector<std::string>& names, const ShownText& shown, ReviewPage* page) {
  page->name = "bases";
  for (std::size_t b = 0; b < names.size(); ++b) {
    StoredBase base;
    BaseDamage damage = BaseDamage::kNone;
    std::size_t damaged_at = 0;
    Status status = ReadStoredBase(names[b], &base, &damage);
    const std::size_t first = page->programs.size();
    if (status == Status::kOk) {
      status = DecodeStoredPrograms(base, &damage, &damaged_at,
                                    [&](std::size_t, const StoredProgram& stored) {
                                      ReviewProgram program;
                                      program.start = TimeOfTicks(stored.start);
                                      program.title = shown(std::string(stored.title));
                                      program.source = static_cast<int>(b);
                                      program.title_damaged = TitleDamaged(stored.title);
                                      page->programs.push_back(std::move(program));
                                    });
    }
    if (status != Status::kOk) {
      PrintError("review", BaseErrorText("skedtool review --bases", names[b], status, damage));
      return false;
    }
    page->sources.push_back(
        {NameShown(names[b], shown), static_cast<int>(page->programs.size() - first)});
  }
  std::stable_sort(page->programs.begin(), page->programs.end(),
                   [](const ReviewProgram& a, const ReviewProgram& b) {
                     const auto key = [](const ReviewTime& t) {
                       return std::make_tuple(t.year, t.month, t.day, t.hour, t.minute);
                     };
                     return key(a.start) < key(b.start);
                   });
  return true;
}

}  // namespace

int RunReview(const Arguments& given) {
  Arguments args = given;
  ShownText shown;
  int exit_code = 0;
  if (!TakeCodePageOption("review", &args, &shown, &exit_code)) return exit_code;
  if (shown.code_page.empty()) shown.code_page = "cp1252";
  ReviewPage page;
  if (!args.empty() && args[0] == "--bases") {
    if (args.size() < 2) return UsageError("review", "--bases expects at least one BASE");
    if (!BasesPage({args.begin() + 1, args.end()}, shown, &page)) return 1;
  } else {
    if (args.size() != 1) return UsageError("review", "expects one NAME, or --bases BASE...");
    if (!ComposedPage(args[0], shown, &page)) return 1;
  }
  const std::string html = RenderReviewPage(page);
  std::fwrite(html.data(), 1, html.size(), stdout);
  return 0;
}
