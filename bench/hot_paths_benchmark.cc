// The composer's in-process hot paths: loading a full channel base, selecting
// a week of ranges, and sorting and writing a full guide.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "base/calendar_time.h"
#include "base/load_program_base.h"
#include "base/program_tables.h"
#include "base/stored_base.h"
#include "base/write_program_base.h"
#include "composition/ini_profile.h"
#include "platform/file_replace.h"
#include "selection/select_channel.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

// A scratch directory holding "chan", a base of 400 programmes over a week.
const std::string& Scratch() {
  static const std::string dir = [] {
    char pattern[] = "/tmp/skedcomp-bench-XXXXXX";
    std::string made = ::mkdtemp(pattern);
    StoredTime monday;
    StoredTimeOfCalendar(MakeCalendarTime(2026, 12, 7), &monday);
    std::vector<std::string> titles;
    std::vector<StoredProgram> programs;
    for (int k = 0; k < kProgramTableCapacity; ++k) {
      titles.push_back("Programme number " + std::to_string(k) + " of the week");
    }
    for (int k = 0; k < kProgramTableCapacity; ++k) {
      programs.push_back(
          {monday.ticks + static_cast<std::uint64_t>(k) * 25 * 60 * kTicksPerSecond, titles[k]});
    }
    std::string index;
    std::string title_file;
    EncodeStoredBase(programs, &index, &title_file);
    const FileReplacement files[] = {{made + "/chan.ndx", index}, {made + "/chan.pdt", title_file}};
    ReplaceReport report;
    ReplaceFiles(files, &report);
    return made;
  }();
  return dir;
}

void BM_LoadProgramBase(benchmark::State& state) {
  const std::string base = Scratch() + "/chan";
  for (auto _ : state) {
    LoadProgramBase(base, ChannelTable);
    benchmark::DoNotOptimize(ChannelTable.count);
  }
}
BENCHMARK(BM_LoadProgramBase);

// The same without the file system: decoding the read bytes into the table.
void BM_LoadStoredBase(benchmark::State& state) {
  StoredBase base;
  BaseDamage damage;
  ReadStoredBase(Scratch() + "/chan", &base, &damage);
  for (auto _ : state) {
    LoadStoredBase(base, ChannelTable);
    benchmark::DoNotOptimize(ChannelTable.count);
  }
}
BENCHMARK(BM_LoadStoredBase);

void BM_SelectWeekOfRanges(benchmark::State& state) {
  LoadProgramBase(Scratch() + "/chan", ChannelTable);
  std::string cfg = "[chan]\ntimeshift=-1\n";
  for (int day = 1; day <= 7; ++day) {
    cfg += "range" + std::to_string(day) + "=6:00-9:00, 12:00-14:00, 18:00-23:30\n";
  }
  const IniProfile profile = ParseIniProfile(cfg);
  for (auto _ : state) {
    GuideTable.count = 0;
    SelectChannel("chan", profile, ChannelTable, GuideTable);
    benchmark::DoNotOptimize(GuideTable.count);
  }
}
BENCHMARK(BM_SelectWeekOfRanges);

// A full guide in reverse time order, as the sort's hardest ordinary case.
void FillGuide() {
  LoadProgramBase(Scratch() + "/chan", ChannelTable);
  GuideTable.count = 0;
  for (int i = ChannelTable.count - 1; i >= 0; --i)
    AppendRecord(GuideTable, ChannelTable.records[i]);
}

void BM_SortAndBuildGuide(benchmark::State& state) {
  FillGuide();
  GuideFiles files;
  for (auto _ : state) {
    BuildGuideFiles(GuideTable, &files);
    benchmark::DoNotOptimize(files.index.data());
  }
}
BENCHMARK(BM_SortAndBuildGuide);

void BM_WriteProgramBase(benchmark::State& state) {
  FillGuide();
  const std::string guide = Scratch() + "/guide";
  ReplaceReport report;
  for (auto _ : state) WriteProgramBase(guide, GuideTable, &report);
}
BENCHMARK(BM_WriteProgramBase);

}  // namespace

BENCHMARK_MAIN();
