// The programme record and the tables of them that every step works on.
#ifndef SKEDCOMP_BASE_PROGRAM_TABLES_H_
#define SKEDCOMP_BASE_PROGRAM_TABLES_H_

#include <cstddef>
#include <cstdint>

inline constexpr int kProgramTableCapacity = 400;
inline constexpr int kTitleFieldSize = 2000;
inline constexpr int kMaxTitleLength = kTitleFieldSize - 1;

// One programme: its start as calendar fields exactly as the bases store them
// (no time zone applied) and its title, raw bytes of a single-byte code page.
struct ProgramRecord {
  std::int32_t hour;
  std::int32_t minute;
  std::int32_t day;
  std::int32_t month;
  std::int32_t year;
  std::int32_t weekday;         // 1 = Monday ... 7 = Sunday
  char title[kTitleFieldSize];  // zero-terminated, at most kMaxTitleLength bytes
};

struct ProgramTable {
  ProgramRecord records[kProgramTableCapacity];
  std::int32_t count;  // records in use, at positions 0 to count - 1
};

// The two tables of a composition, handed down from its entry point.
struct ProgramTables {
  ProgramTable channel;  // the channel base being read
  ProgramTable guide;    // the guide being composed
};

// The tables in the one aligned block the platform keeps for them, which the
// composer maps in a single step (zero at start). Each call gives the same
// block: entry points alone ask for it and hand it down.
ProgramTables& TablesInTableMemory();

// Copies `record` (its fields and its title) to the next free position of
// `table` and returns that copy, or nullptr when the table is full.
ProgramRecord* AppendRecord(ProgramTable& table, const ProgramRecord& record);

#endif  // SKEDCOMP_BASE_PROGRAM_TABLES_H_
