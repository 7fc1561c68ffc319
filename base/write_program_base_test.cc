#include "base/write_program_base.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <tuple>

#include "base/load_program_base.h"
#include "base/program_tables.h"
#include "tests/test_support.h"

namespace {

// The tables the steps under test work on.
ProgramTable& ChannelTable = TablesInTableMemory().channel;
ProgramTable& GuideTable = TablesInTableMemory().guide;

using Names = std::vector<std::string>;

const std::string kHeader = "QAX 3.x TV Program Data\n\n\n";
const std::string kLogHeader = "Check this file for be convinced, what new base is ok!\r\n\r\n";

class WriteProgramBaseTest : public ::testing::Test {
 protected:
  void SetUp() override { GuideTable.count = 0; }

  // Writes guide.*; no temporary file may be left, whatever the result.
  Status Write() {
    ReplaceReport report;
    const Status status = WriteProgramBase(dir_ / "guide", GuideTable, &report);
    EXPECT_TRUE(report.left_behind.empty());
    return status;
  }

  static void Add(const ProgramRecord& record) {
    ASSERT_NE(AppendRecord(GuideTable, record), nullptr);
  }

  void WriteOld() {
    WriteFile(dir_ / "guide.ndx", "old ndx");
    WriteFile(dir_ / "guide.pdt", "old pdt");
    WriteFile(dir_ / "guide.log", "old log");
  }
  void ExpectOld() {
    EXPECT_EQ(ReadFile(dir_ / "guide.ndx"), "old ndx");
    EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), "old pdt");
    EXPECT_EQ(ReadFile(dir_ / "guide.log"), "old log");
    EXPECT_EQ(dir_.List(), (Names{"guide.log", "guide.ndx", "guide.pdt"}));
  }

  TempDir dir_;
};

TEST_F(WriteProgramBaseTest, EmptyGuide) {
  ASSERT_EQ(Write(), Status::kOk);
  EXPECT_EQ(ReadFile(dir_ / "guide.ndx"), std::string(2, '\0'));
  EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), kHeader);
  EXPECT_EQ(ReadFile(dir_ / "guide.log"), kLogHeader);
}

TEST_F(WriteProgramBaseTest, NewsExample) {
  Add(MakeRecord(2000, 3, 20, 19, 30, 1, "News"));
  ASSERT_EQ(Write(), Status::kOk);
  EXPECT_EQ(ReadFile(dir_ / "guide.ndx"),
            std::string("\x01\x00\x00\x00\x00\x6C\x85\xAE\xA2\x92\xBF\x01\x1A\x00", 14));
  EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), kHeader + std::string("\x04\x00News", 6));
  EXPECT_EQ(ReadFile(dir_ / "guide.log"), kLogHeader + "20 3 2000 19 30 1\r\nNews\r\n");
}

TEST_F(WriteProgramBaseTest, SortsByTimeAndOffsetsFollowIndexOrder) {
  Add(MakeRecord(2001, 1, 1, 0, 30, 1, "New year"));
  Add(MakeRecord(2000, 12, 31, 23, 30, 7, "Old year"));
  Add(MakeRecord(2000, 12, 31, 8, 0, 7, ""));
  GuideFiles files;
  ASSERT_EQ(BuildGuideFiles(GuideTable, &files), Status::kOk);
  EXPECT_EQ(files.index, IndexFileBytes({{FileTimeOf(2000, 12, 31, 8, 0), ""},
                                         {FileTimeOf(2000, 12, 31, 23, 30), "Old year"},
                                         {FileTimeOf(2001, 1, 1, 0, 30), "New year"}}));
  EXPECT_EQ(files.titles, kHeader + LittleEndian(0, 2) + LittleEndian(8, 2) + "Old year" +
                              LittleEndian(8, 2) + "New year");
  EXPECT_EQ(files.log, kLogHeader + "31 12 2000 8 0 7\r\n\r\n31 12 2000 23 30 7\r\nOld year\r\n" +
                           "1 1 2001 0 30 1\r\nNew year\r\n");
}

TEST_F(WriteProgramBaseTest, EqualStartsKeepTheirTableOrder) {
  for (const char* title : {"c", "a", "d", "b", "e", "f", "g", "h", "i", "j"}) {
    Add(MakeRecord(2000, 3, 20, 19, 30, 1, title));
  }
  Add(MakeRecord(2000, 3, 20, 19, 0, 1, "first"));
  GuideFiles files;
  ASSERT_EQ(BuildGuideFiles(GuideTable, &files), Status::kOk);
  std::string titles;  // all titles in file order, run together
  for (std::size_t at = kHeader.size(); at < files.titles.size();) {
    const auto length = static_cast<unsigned char>(files.titles[at]);
    titles += files.titles.substr(at + 2, length);
    at += 2 + length;
  }
  EXPECT_EQ(titles, "firstcadbefghij");
}

TEST_F(WriteProgramBaseTest, WrittenGuideLoadsBackAsTheSameRecords) {
  std::vector<ProgramRecord> records;
  for (int i = 0; i < kProgramTableCapacity; ++i) {
    records.push_back(MakeRecord(2000 + i / 100, 1 + i / 10 % 10, 1 + i % 10, i % 24, i % 60, 0,
                                 "Title " + std::to_string(i) + "\n\xE9"));
  }
  for (ProgramRecord& record : records) {
    // A base gives back the weekday that follows from the date.
    const std::chrono::weekday weekday{
        std::chrono::sys_days{std::chrono::year{record.year} / record.month / record.day}};
    record.weekday = static_cast<int>(weekday.iso_encoding());
    Add(record);
  }
  ASSERT_EQ(Write(), Status::kOk);
  ASSERT_EQ(LoadProgramBase(dir_ / "guide", ChannelTable), Status::kOk);
  ASSERT_EQ(ChannelTable.count, kProgramTableCapacity);
  for (int i = 0; i < kProgramTableCapacity; ++i) {
    const ProgramRecord& back = ChannelTable.records[i];
    const ProgramRecord& sent = records[static_cast<std::size_t>(i)];  // already in time order
    EXPECT_EQ(std::tie(back.year, back.month, back.day, back.hour, back.minute, back.weekday),
              std::tie(sent.year, sent.month, sent.day, sent.hour, sent.minute, sent.weekday))
        << i;
    EXPECT_STREQ(back.title, sent.title) << i;
  }
}

TEST_F(WriteProgramBaseTest, LongestTitlesSurviveUpToTheOffsetLimit) {
  // 32 records of 2001 bytes end at 64,058, so a 33rd still starts in range.
  const std::string title(kMaxTitleLength, 'T');
  for (int i = 0; i < 33; ++i) Add(MakeRecord(2000, 3, 20, 0, i, 1, title));
  ASSERT_EQ(Write(), Status::kOk);
  ASSERT_EQ(LoadProgramBase(dir_ / "guide", ChannelTable), Status::kOk);
  ASSERT_EQ(ChannelTable.count, 33);
  EXPECT_EQ(std::string(ChannelTable.records[32].title), title);
}

TEST_F(WriteProgramBaseTest, TitleRecordPastTheOffsetLimitTouchesNothing) {
  WriteOld();
  const std::string title(kMaxTitleLength, 'T');
  for (int i = 0; i < 34; ++i) Add(MakeRecord(2000, 3, 20, 0, i, 1, title));
  EXPECT_EQ(Write(), Status::kGuideTooBig);
  ExpectOld();
}

TEST_F(WriteProgramBaseTest, UnconvertibleStartTouchesNothing) {
  const ProgramRecord unconvertible[] = {
      MakeRecord(2100, 2, 29, 12, 0, 1, "no such day"),
      MakeRecord(1600, 12, 31, 23, 0, 7, "before 1601"),
      MakeRecord(2000, 1, 1, 24, 0, 6, "hour 24"),
      MakeRecord(2000, 1, 1, -1, 0, 6, "negative hour"),
      MakeRecord(65536 + 2000, 1, 1, 0, 0, 6, "year past 16 bits"),
  };
  for (const ProgramRecord& record : unconvertible) {
    WriteOld();
    GuideTable.count = 0;
    Add(MakeRecord(2000, 3, 20, 19, 30, 1, "fine"));
    Add(record);
    EXPECT_EQ(Write(), Status::kCantConvertTime) << record.title;
    ExpectOld();
  }
}

TEST_F(WriteProgramBaseTest, LineFeedInTitleIsRawInBaseAndCrLfInLog) {
  Add(MakeRecord(2000, 3, 20, 19, 30, 1, "Two\nlines"));
  ASSERT_EQ(Write(), Status::kOk);
  EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), kHeader + LittleEndian(9, 2) + "Two\nlines");
  EXPECT_EQ(ReadFile(dir_ / "guide.log"), kLogHeader + "20 3 2000 19 30 1\r\nTwo\r\nlines\r\n");
}

TEST_F(WriteProgramBaseTest, ReadOnlyTargetIsRefusedAndNothingChanges) {
  WriteOld();
  MakeReadOnly(dir_ / "guide.log");
  Add(MakeRecord(2000, 3, 20, 19, 30, 1, "News"));
  EXPECT_EQ(Write(), Status::kCantOpenOutput);
  ExpectOld();
}

}  // namespace
