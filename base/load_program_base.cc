#include "base/load_program_base.h"

#include <cstring>

#include "base/calendar_time.h"
#include "base/program_tables.h"
#include "base/stored_base.h"

Status LoadProgramBase(std::string_view name, ProgramTable& channel) {
  StoredBase scratch;
  return LoadProgramBase(name, channel, &scratch);
}

Status LoadProgramBase(std::string_view name, ProgramTable& channel, StoredBase* scratch) {
  channel.count = 0;
  BaseDamage damage;
  if (const Status status = ReadStoredBase(name, scratch, &damage); status != Status::kOk) {
    return status;
  }
  return LoadStoredBase(*scratch, channel);
}

Status LoadStoredBase(const StoredBase& base, ProgramTable& channel) {
  channel.count = 0;
  BaseDamage damage;
  // Programmes come in runs of one day, so the date is converted once a day.
  std::uint64_t day = ~std::uint64_t{0};
  CalendarTime date;
  std::size_t damaged_at = 0;
  const Status status = DecodeStoredPrograms(
      base, &damage, &damaged_at, [&](std::size_t k, const StoredProgram& program) {
        if (program.start / kTicksPerDay != day) {
          day = program.start / kTicksPerDay;
          CalendarOfStoredTime(StoredTime{day * kTicksPerDay},
                               &date);  // in range: checked when decoded
        }
        const std::uint64_t time_of_day = program.start % kTicksPerDay;
        ProgramRecord& record = channel.records[k];
        record.hour = static_cast<std::int32_t>(time_of_day / kTicksPerHour);
        record.minute = static_cast<std::int32_t>(time_of_day % kTicksPerHour / kTicksPerMinute);
        record.day = date.wDay;
        record.month = date.wMonth;
        record.year = date.wYear;
        record.weekday = WeekdayNumber(date);
        // An empty title may have no storage behind it at all.
        if (!program.title.empty())
          std::memcpy(record.title, program.title.data(), program.title.size());
        record.title[program.title.size()] = '\0';
      });
  if (status != Status::kOk) return status;
  channel.count = static_cast<std::int32_t>(base.count);
  return Status::kOk;
}
