#include "base/program_tables.h"

ProgramTable ChannelTable;
ProgramTable GuideTable;

ProgramRecord* AppendRecord(ProgramTable& table, const ProgramRecord& record) {
  if (table.count >= kProgramTableCapacity) return nullptr;
  ProgramRecord* copy = &table.records[table.count];
  *copy = record;
  ++table.count;
  return copy;
}
