#include "base/load_program_base.h"

#include <gtest/gtest.h>

#include <cstring>

#include "base/calendar_time.h"
#include "base/program_start.h"
#include "base/program_tables.h"
#include "tests/test_support.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

const std::uint64_t kNewsStart = 0x01BF92A2AE856C00ull;  // Monday 2000-03-20 19:30
const std::string kHeader = "QAX 3.x TV Program Data\n\n\n";

std::string Entry(std::uint64_t start, std::uint64_t title_offset) {
  return LittleEndian(0, 2) + LittleEndian(start, 8) + LittleEndian(title_offset, 2);
}

class LoadProgramBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { ChannelTable.count = 0; }

  Status Load(const std::string& index, const std::string& titles) {
    WriteFile(dir_ / "chan.ndx", index);
    WriteFile(dir_ / "chan.pdt", titles);
    return LoadProgramBase(dir_ / "chan", ChannelTable);
  }

  TempDir dir_;
};

TEST_F(LoadProgramBaseTest, NewsExample) {
  const std::string index("\x01\x00\x00\x00\x00\x6C\x85\xAE\xA2\x92\xBF\x01\x1A\x00", 14);
  ASSERT_EQ(Load(index, kHeader + std::string("\x04\x00News", 6)), Status::kOk);
  ASSERT_EQ(ChannelTable.count, 1);
  const ProgramRecord& news = ChannelTable.records[0];
  EXPECT_EQ(news.hour, 19);
  EXPECT_EQ(news.minute, 30);
  EXPECT_EQ(news.day, 20);
  EXPECT_EQ(news.month, 3);
  EXPECT_EQ(news.year, 2000);
  EXPECT_EQ(news.weekday, 1);
  EXPECT_STREQ(news.title, "News");
}

TEST_F(LoadProgramBaseTest, SecondsAreDroppedAndSundayIsSeven) {
  ASSERT_EQ(Load(IndexFileBytes({{FileTimeOf(2000, 3, 20, 19, 30, 45), "a"},
                                 {FileTimeOf(2000, 3, 26, 6, 5), "b"}}),
                 TitleFileBytes({{0, "a"}, {0, "b"}})),
            Status::kOk);
  EXPECT_EQ(ChannelTable.records[0].minute, 30);
  EXPECT_EQ(ChannelTable.records[1].weekday, 7);
  EXPECT_EQ(ChannelTable.records[1].hour, 6);
  EXPECT_EQ(ChannelTable.records[1].minute, 5);
}

TEST_F(LoadProgramBaseTest, EmptyIndexFileIsAnEmptyChannel) {
  ChannelTable.count = 5;
  EXPECT_EQ(Load("", kHeader), Status::kOk);
  EXPECT_EQ(ChannelTable.count, 0);
  ChannelTable.count = 5;
  EXPECT_EQ(Load(std::string(2, '\0'), ""), Status::kOk);
  EXPECT_EQ(ChannelTable.count, 0);
}

TEST_F(LoadProgramBaseTest, BothFilesMustOpen) {
  WriteFile(dir_ / "only-index.ndx", "");
  EXPECT_EQ(LoadProgramBase(dir_ / "only-index", ChannelTable), Status::kCantOpenBase);
  WriteFile(dir_ / "only-titles.pdt", kHeader);
  EXPECT_EQ(LoadProgramBase(dir_ / "only-titles", ChannelTable), Status::kCantOpenBase);
  EXPECT_EQ(LoadProgramBase(dir_ / "missing", ChannelTable), Status::kCantOpenBase);
}

TEST_F(LoadProgramBaseTest, NonRegularBaseFilesAreRefused) {
  MakeDirectory(dir_ / "dir.ndx");
  WriteFile(dir_ / "dir.pdt", kHeader);
  EXPECT_EQ(LoadProgramBase(dir_ / "dir", ChannelTable), Status::kCantOpenBase);
}

TEST_F(LoadProgramBaseTest, FourHundredProgrammesFitAndOneMoreDoesNot) {
  std::vector<BaseEntry> entries;
  for (int i = 0; i < 400; ++i) {
    entries.push_back({FileTimeOf(2000, 1, 1 + i / 24, i % 24, 0), "P" + std::to_string(i)});
  }
  ASSERT_EQ(Load(IndexFileBytes(entries), TitleFileBytes(entries)), Status::kOk);
  EXPECT_EQ(ChannelTable.count, 400);
  EXPECT_STREQ(ChannelTable.records[399].title, "P399");
  EXPECT_EQ(ChannelTable.records[399].day, 17);

  entries.push_back({FileTimeOf(2000, 2, 1, 0, 0), "extra"});
  EXPECT_EQ(Load(IndexFileBytes(entries), TitleFileBytes(entries)), Status::kTooManyInBase);
  EXPECT_EQ(Load(LittleEndian(0xFFFF, 2), kHeader), Status::kTooManyInBase);
}

TEST_F(LoadProgramBaseTest, OneByteIndexFileIsDamaged) {
  EXPECT_EQ(Load("\x01", kHeader), Status::kDamagedBase);
}

TEST_F(LoadProgramBaseTest, IndexFileShorterThanItsCountIsDamaged) {
  const std::string titles = TitleFileBytes({{0, "a"}});
  EXPECT_EQ(Load(LittleEndian(2, 2) + Entry(kNewsStart, 26), titles), Status::kDamagedBase);
  EXPECT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, 26).substr(0, 11), titles),
            Status::kDamagedBase);
}

TEST_F(LoadProgramBaseTest, IndexFileLongerThanItsCountIsFine) {
  EXPECT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, 26) + "trailing garbage",
                 TitleFileBytes({{0, "a"}})),
            Status::kOk);
  EXPECT_EQ(ChannelTable.count, 1);
}

TEST_F(LoadProgramBaseTest, StartOfTwoToTheSixtyThreeIsDamaged) {
  const std::string titles = TitleFileBytes({{0, "a"}});
  EXPECT_EQ(Load(LittleEndian(1, 2) + Entry(1ull << 63, 26), titles), Status::kDamagedBase);
  EXPECT_EQ(Load(LittleEndian(1, 2) + Entry((1ull << 63) - 1, 26), titles), Status::kOk);
  EXPECT_EQ(ChannelTable.records[0].year, 30828);
}

TEST_F(LoadProgramBaseTest, TitleLengthRunningPastTheEndIsDamaged) {
  EXPECT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, 26), kHeader + "\x04"),
            Status::kDamagedBase);
}

TEST_F(LoadProgramBaseTest, TitleTextRunningPastTheEndIsDamaged) {
  EXPECT_EQ(
      Load(LittleEndian(1, 2) + Entry(kNewsStart, 26), kHeader + std::string("\x05\x00News", 6)),
      Status::kDamagedBase);
}

TEST_F(LoadProgramBaseTest, TitleLongerThan1999BytesIsDamaged) {
  const std::string index = LittleEndian(1, 2) + Entry(kNewsStart, 26);
  EXPECT_EQ(Load(index, kHeader + LittleEndian(2000, 2) + std::string(2000, 't')),
            Status::kDamagedBase);
  ASSERT_EQ(Load(index, kHeader + LittleEndian(1999, 2) + std::string(1999, 't')), Status::kOk);
  EXPECT_EQ(std::strlen(ChannelTable.records[0].title), 1999u);
}

TEST_F(LoadProgramBaseTest, TitleOffsetAtOrPastTheEndGivesAnEmptyTitle) {
  const std::string titles = kHeader + std::string("\x04\x00News", 6);
  for (const std::size_t offset : {titles.size(), titles.size() + 1, std::size_t{0xFFFF}}) {
    ASSERT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, offset), titles), Status::kOk) << offset;
    EXPECT_STREQ(ChannelTable.records[0].title, "") << offset;
  }
}

TEST_F(LoadProgramBaseTest, TitleIsCutAtItsFirstZeroByte) {
  ASSERT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, 26),
                 kHeader + LittleEndian(5, 2) + std::string("Ne\0ws", 5)),
            Status::kOk);
  EXPECT_STREQ(ChannelTable.records[0].title, "Ne");
}

TEST_F(LoadProgramBaseTest, HeaderIsNeverReadAndOffsetsMayBeShared) {
  const std::string titles = std::string(26, '\xFF') + LittleEndian(4, 2) + "News";
  ASSERT_EQ(Load(LittleEndian(2, 2) + Entry(kNewsStart, 26) + Entry(kNewsStart, 26), titles),
            Status::kOk);
  EXPECT_STREQ(ChannelTable.records[0].title, "News");
  EXPECT_STREQ(ChannelTable.records[1].title, "News");
}

TEST_F(LoadProgramBaseTest, HighestOffsetReachesAFullLengthTitle) {
  std::string titles = kHeader;
  titles.resize(0xFFFF, 'x');
  const std::string title(1999, '\xE9');
  titles += LittleEndian(title.size(), 2) + title + "more bytes that are never read";
  ASSERT_EQ(Load(LittleEndian(1, 2) + Entry(kNewsStart, 0xFFFF), titles), Status::kOk);
  EXPECT_EQ(std::string(ChannelTable.records[0].title), title);
}

}  // namespace

namespace {

// A filtered load builds just the programmes kept, each as a full load
// builds it, and still fails on a damaged entry that it would not build.
TEST(FilteredLoadTest, BuildsOnlyWhatIsKeptAndChecksTheRest) {
  StoredBase base;
  // Monday 2000-03-20 19:30, Sunday 2000-03-26 6:05, Monday 1601-01-01 0:00.
  SetStoredBytes(&base,
                 IndexFileBytes({{FileTimeOf(2000, 3, 20, 19, 30, 45), "News"},
                                 {FileTimeOf(2000, 3, 26, 6, 5), "Film"},
                                 {0, "First"}}),
                 TitleFileBytes({{0, "News"}, {0, "Film"}, {0, "First"}}));
  BaseDamage damage;
  ASSERT_EQ(CheckStoredBase(&base, &damage), Status::kOk);
  ASSERT_EQ(LoadStoredBase(base, ChannelTable), Status::kOk);
  std::vector<ProgramRecord> full(ChannelTable.records, ChannelTable.records + 3);
  StartFilter filter;
  KeepStarts(&filter, 7, 6 * 60 + 5, 6 * 60 + 6);
  KeepStarts(&filter, 1, 0, 1);
  ASSERT_EQ(LoadStoredBase(base, ChannelTable, filter), Status::kOk);
  EXPECT_EQ(ChannelTable.count, 3);
  EXPECT_EQ(ChannelTable.records[0].weekday, 0);  // not built
  for (const int k : {1, 2}) {
    EXPECT_EQ(StartOf(ChannelTable.records[k]), StartOf(full[static_cast<std::size_t>(k)]));
    EXPECT_STREQ(ChannelTable.records[k].title, full[static_cast<std::size_t>(k)].title);
  }
  // The last title runs past its file: damaged, though nothing keeps it.
  std::string titles(base.titles());
  titles.pop_back();
  SetStoredBytes(&base, std::string(base.index()), titles);
  ASSERT_EQ(CheckStoredBase(&base, &damage), Status::kOk);
  EXPECT_EQ(LoadStoredBase(base, ChannelTable, StartFilter{}), Status::kDamagedBase);
  EXPECT_EQ(ChannelTable.count, 0);
}

TEST(FilteredLoadTest, WeekdayOfADayNumberIsTheCalendars) {
  for (std::uint64_t day = 0; day < 160'000; day += 37) {
    CalendarTime date;
    ASSERT_TRUE(CalendarOfStoredTime(StoredTime{day * kTicksPerDay}, &date));
    ASSERT_EQ(WeekdayOfDayNumber(day), WeekdayNumber(date)) << day;
  }
}

}  // namespace
