#include "base/load_program_base.h"

#include <cstring>

#include "base/program_tables.h"
#include "base/stored_base.h"
#include "platform/file_time.h"

Status LoadProgramBase(std::string_view name) {
  ChannelTable.count = 0;
  StoredBase base;
  BaseDamage damage;
  if (const Status status = ReadStoredBase(name, &base, &damage); status != Status::kOk) {
    return status;
  }
  return LoadStoredBase(base);
}

Status LoadStoredBase(const StoredBase& base) {
  ChannelTable.count = 0;
  BaseDamage damage;
  for (std::size_t k = 0; k < base.count; ++k) {
    StoredProgram program;
    if (const Status status = DecodeStoredProgram(base, k, &program, &damage);
        status != Status::kOk) {
      return status;
    }
    SYSTEMTIME start;
    FileTimeToSystemTime(FILETIME{program.start}, &start);  // in range: checked when decoded
    ProgramRecord& record = ChannelTable.records[k];
    record.hour = start.wHour;
    record.minute = start.wMinute;
    record.day = start.wDay;
    record.month = start.wMonth;
    record.year = start.wYear;
    record.weekday = start.wDayOfWeek == 0 ? 7 : start.wDayOfWeek;
    // An empty title may have no storage behind it at all.
    if (!program.title.empty())
      std::memcpy(record.title, program.title.data(), program.title.size());
    record.title[program.title.size()] = '\0';
  }
  ChannelTable.count = static_cast<std::int32_t>(base.count);
  return Status::kOk;
}
