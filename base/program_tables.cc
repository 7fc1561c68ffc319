#include "base/program_tables.h"

#include <cstddef>
#include <cstring>

namespace {

// Aligned to its own size, the block starts and ends on huge-page boundaries
// and so can be mapped as a single huge page. Some loaders (valgrind's, older
// kernels') place it off that alignment; it then takes small pages like any
// other memory.
struct alignas(kTableBlockSize) Tables {
  ProgramTable channel;
  ProgramTable guide;
};
static_assert(sizeof(Tables) == kTableBlockSize);
static_assert(offsetof(Tables, guide) == sizeof(ProgramTable));

Tables tables;

}  // namespace

ProgramTable& ChannelTable = tables.channel;
ProgramTable& GuideTable = tables.guide;

void* TableBlock() { return &tables; }

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
