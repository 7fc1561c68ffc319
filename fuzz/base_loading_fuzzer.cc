// Program base loading on arbitrary bytes. The input's first two bytes give
// the length of the index file; the rest after it is the title file.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "base/compare_program_times.h"
#include "base/load_program_base.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "base/write_program_base.h"
#include "fuzz/fuzz_check.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

bool SameRecord(const ProgramRecord& a, const ProgramRecord& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.weekday == b.weekday && std::strcmp(a.title, b.title) == 0;
}

// The base as ReadStoredBase would have read it from two files.
StoredBase AsRead(const std::string& index, const std::string& titles) {
  StoredBase base;
  SetStoredBytes(&base, index, titles);
  return base;
}

void CheckLoadedRecords() {
  FUZZ_CHECK(ChannelTable.count >= 0 && ChannelTable.count <= kProgramTableCapacity);
  for (int i = 0; i < ChannelTable.count; ++i) {
    const ProgramRecord& r = ChannelTable.records[i];
    FUZZ_CHECK(::strnlen(r.title, kTitleFieldSize) <= static_cast<std::size_t>(kMaxTitleLength));
    FUZZ_CHECK(r.hour >= 0 && r.hour <= 23 && r.minute >= 0 && r.minute <= 59);
    FUZZ_CHECK(r.day >= 1 && r.day <= 31 && r.month >= 1 && r.month <= 12);
    FUZZ_CHECK(r.year >= 1601 && r.year <= 30828 && r.weekday >= 1 && r.weekday <= 7);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  const std::size_t split = std::min<std::size_t>(data[0] | (data[1] << 8), size - 2);
  const char* bytes = reinterpret_cast<const char*>(data) + 2;
  StoredBase base = AsRead(std::string(bytes, split), std::string(bytes + split, size - 2 - split));

  BaseDamage damage;
  if (CheckStoredBase(&base, &damage) != Status::kOk) return 0;
  FUZZ_CHECK(base.count <= static_cast<std::size_t>(kProgramTableCapacity));

  // Entry by entry, re-encoded and decoded again, the programmes stay the same.
  std::vector<StoredProgram> programs(base.count);
  bool damaged = false;
  for (std::size_t k = 0; k < base.count && !damaged; ++k) {
    damaged = DecodeStoredProgram(base, k, &programs[k], &damage) != Status::kOk;
  }
  if (!damaged) {
    std::string index;
    std::string titles;
    if (EncodeStoredBase(programs, &index, &titles) == Status::kOk) {
      StoredBase again = AsRead(index, titles);
      FUZZ_CHECK(CheckStoredBase(&again, &damage) == Status::kOk && again.count == base.count);
      for (std::size_t k = 0; k < again.count; ++k) {
        StoredProgram program;
        FUZZ_CHECK(DecodeStoredProgram(again, k, &program, &damage) == Status::kOk);
        FUZZ_CHECK(program.start == programs[k].start && program.title == programs[k].title);
      }
    }
  }

  if (LoadStoredBase(base, ChannelTable) != Status::kOk) {
    FUZZ_CHECK(damaged);
    return 0;
  }
  FUZZ_CHECK(!damaged);
  CheckLoadedRecords();

  // A guide of these records, written and loaded back, holds them in time order.
  GuideTable.count = 0;
  for (int i = 0; i < ChannelTable.count; ++i) {
    FUZZ_CHECK(AppendRecord(GuideTable, ChannelTable.records[i]) != nullptr);
  }
  GuideFiles files;
  if (BuildGuideFiles(GuideTable, &files) != Status::kOk) return 0;
  static ProgramTable loaded;  // too large for the stack
  loaded = ChannelTable;
  StoredBase written = AsRead(files.index, files.titles);
  FUZZ_CHECK(CheckStoredBase(&written, &damage) == Status::kOk);
  FUZZ_CHECK(LoadStoredBase(written, ChannelTable) == Status::kOk);
  FUZZ_CHECK(ChannelTable.count == loaded.count);
  std::vector<bool> used(static_cast<std::size_t>(loaded.count), false);
  for (int i = 0; i < ChannelTable.count; ++i) {
    if (i > 0)
      FUZZ_CHECK(CompareProgramTimes(ChannelTable.records[i - 1], ChannelTable.records[i]) <= 0);
    bool found = false;
    for (int j = 0; j < loaded.count && !found; ++j) {
      if (!used[j] && SameRecord(ChannelTable.records[i], loaded.records[j])) {
        used[j] = found = true;
      }
    }
    FUZZ_CHECK(found);
  }
  return 0;
}
