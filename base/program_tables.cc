#include "base/program_tables.h"

#include <cstring>

ProgramTable ChannelTable;
ProgramTable GuideTable;

ProgramRecord* AppendRecord(ProgramTable& table, const ProgramRecord& record) {
  if (table.count >= kProgramTableCapacity) return nullptr;
  ProgramRecord* copy = &table.records[table.count];
  // The title up to its terminator is the whole of its value: the bytes after
  // it are never read, so they are not copied.
  copy->hour = record.hour;
  copy->minute = record.minute;
  copy->day = record.day;
  copy->month = record.month;
  copy->year = record.year;
  copy->weekday = record.weekday;
  const std::size_t length = ::strnlen(record.title, kMaxTitleLength);
  std::memcpy(copy->title, record.title, length);
  copy->title[length] = '\0';
  ++table.count;
  return copy;
}
