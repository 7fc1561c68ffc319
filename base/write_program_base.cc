#include "base/write_program_base.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "base/calendar_time.h"
#include "base/compare_program_times.h"
#include "base/guide_log.h"
#include "base/program_base_format.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/base_path.h"
#include "platform/file_replace.h"

namespace {

bool FitsField(std::int32_t value) { return value >= 0 && value <= 0xFFFF; }

// The calendar fields as a SYSTEMTIME; false when one does not fit its 16-bit
// field, since cutting it would name some other, wrong, time.
bool RecordToSystemTime(const ProgramRecord& record, CalendarTime* start) {
  if (!FitsField(record.year) || !FitsField(record.month) || !FitsField(record.day) ||
      !FitsField(record.hour) || !FitsField(record.minute) || !FitsField(record.weekday)) {
    return false;
  }
  start->wYear = static_cast<std::uint16_t>(record.year);
  start->wMonth = static_cast<std::uint16_t>(record.month);
  start->wDayOfWeek = 0;  // the conversion ignores it; the log shows record.weekday
  start->wDay = static_cast<std::uint16_t>(record.day);
  start->wHour = static_cast<std::uint16_t>(record.hour);
  start->wMinute = static_cast<std::uint16_t>(record.minute);
  start->wSecond = 0;
  start->wMilliseconds = 0;
  return true;
}

}  // namespace

// Sorting positions instead of records keeps the 2 KB records where they are.
std::vector<int> GuideOrder(const ProgramTable& guide) {
  std::vector<int> order(static_cast<std::size_t>(guide.count));
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&guide](int a, int b) {
    return CompareProgramTimes(guide.records[a], guide.records[b]) < 0;
  });
  return order;
}

Status BuildGuideFiles(const ProgramTable& guide, GuideFiles* files) {
  const std::vector<int> order = GuideOrder(guide);
  std::vector<CalendarTime> starts(order.size());
  std::vector<StoredProgram> programs(order.size());
  for (std::size_t i = 0; i < order.size(); ++i) {
    const ProgramRecord& record = guide.records[order[i]];
    StoredTime start_time;
    if (!RecordToSystemTime(record, &starts[i]) || !StoredTimeOfCalendar(starts[i], &start_time)) {
      return Status::kCantConvertTime;
    }
    programs[i] = {start_time.ticks,
                   std::string_view(record.title, ::strnlen(record.title, kMaxTitleLength))};
  }
  // The base first: when it cannot be written the log is not worth making.
  if (const Status status = EncodeStoredBase(programs, &files->index, &files->titles);
      status != Status::kOk) {
    return status;
  }
  files->log.clear();
  // Each entry is its title and at most 34 more bytes; the header fewer.
  files->log.reserve(files->titles.size() + 34 * programs.size());
  AppendGuideLogHeader(&files->log);
  for (std::size_t i = 0; i < programs.size(); ++i) {
    AppendGuideLogEntry(&files->log, starts[i],
                        static_cast<std::uint16_t>(guide.records[order[i]].weekday),
                        programs[i].title);
  }
  return Status::kOk;
}

Status WriteProgramBase(std::string_view name, const ProgramTable& guide, ReplaceReport* report) {
  *report = {};
  GuideFiles files;
  if (const Status status = BuildGuideFiles(guide, &files); status != Status::kOk) return status;
  const FileReplacement replacements[] = {
      {BaseFilePath(name, kIndexExtension), files.index},
      {BaseFilePath(name, kTitleExtension), files.titles},
      {BaseFilePath(name, kLogExtension), files.log},
  };
  switch (ReplaceFiles(replacements, report)) {
    case ReplaceResult::kOk:
      return Status::kOk;
    case ReplaceResult::kCantOpen:
    case ReplaceResult::kBadName:
    case ReplaceResult::kInTheWay:
    case ReplaceResult::kBusy:
    case ReplaceResult::kLockUnusable:
      return Status::kCantOpenOutput;
    case ReplaceResult::kWriteError:
    case ReplaceResult::kPutBackFailed:
      return Status::kWriteError;
  }
  return Status::kWriteError;
}
