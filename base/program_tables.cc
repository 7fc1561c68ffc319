#include "base/program_tables.h"

#include <cstddef>
#include <cstring>

#include "platform/table_memory.h"

static_assert(sizeof(ProgramTables) <= kTableMemorySize);

// Both tables, one after the other, at the start of the memory the platform
// keeps for them.
ProgramTables& TablesInTableMemory() { return *static_cast<ProgramTables*>(TableMemory()); }

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
