// Whole compositions with selection and time shift, run through the real binary.
#include <gtest/gtest.h>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

class SelectionTest : public ::testing::Test {
 protected:
  RunResult Compose(const std::vector<std::string>& names) {
    return RunSkedcomp(dir_.path(), names);
  }
  // The guide must hold exactly `entries`, in this order, and log `log`.
  void ExpectGuide(const std::string& name, const std::vector<BaseEntry>& entries,
                   const std::string& log) {
    EXPECT_EQ(ReadFile(dir_ / (name + ".ndx")), IndexFileBytes(entries)) << name;
    EXPECT_EQ(ReadFile(dir_ / (name + ".pdt")), TitleFileBytes(entries)) << name;
    EXPECT_EQ(ReadFile(dir_ / (name + ".log")), kLogHeader + log) << name;
  }

  TempDir dir_;
};

TEST_F(SelectionTest, ComposesAWeekFromSeveralChannels) {
  // "news" covers two weeks; 20 March 2000 is a Monday.
  WriteBase(dir_ / "news", {{FileTimeOf(2000, 3, 20, 7, 0), "Morning News"},
                            {FileTimeOf(2000, 3, 20, 19, 30), "News"},
                            {FileTimeOf(2000, 3, 21, 19, 30), "News"},
                            {FileTimeOf(2000, 3, 25, 23, 30), "Late News"},
                            {FileTimeOf(2000, 3, 27, 19, 30), "News"}});
  WriteBase(dir_ / "film", {{FileTimeOf(2000, 3, 20, 20, 0), "Film: Caf\xE9"},
                            {FileTimeOf(2000, 3, 26, 0, 30), "Night film"},
                            {FileTimeOf(2000, 3, 21, 6, 0), "Cartoons"}});
  WriteBase(dir_ / "sport", {{FileTimeOf(2000, 3, 25, 15, 0), "Football"},
                             {FileTimeOf(2000, 3, 26, 10, 0), "Tennis"}});
  WriteFile(dir_ / "week.cfg",
            "; evening news, films an hour earlier, sport but not on Monday or Saturday\r\n"
            "[news]\r\nrange1=18:00-23:59\r\nrange2=18:00-23:59\r\nrange3=18:00-23:59\r\n"
            "range4=18:00-23:59\r\nrange5=18:00-23:59\r\nrange6=18:00-24:00\r\n"
            "range7=18:00-23:59\r\n\r\n"
            "[film]\r\ntimeshift=-1\r\n\r\n"
            "[sport]\r\nrange1=\r\nrange6=\r\n");
  const RunResult run = Compose({"week"});
  EXPECT_EQ(run.out, kBanner + "Composing week... Ok\n");
  EXPECT_EQ(run.exit_code, 0);
  // Late News and Night film start together: they keep the order they were taken in.
  ExpectGuide("week",
              {{FileTimeOf(2000, 3, 20, 19, 0), "Film: Caf\xE9"},
               {FileTimeOf(2000, 3, 20, 19, 30), "News"},
               {FileTimeOf(2000, 3, 21, 5, 0), "Cartoons"},
               {FileTimeOf(2000, 3, 21, 19, 30), "News"},
               {FileTimeOf(2000, 3, 25, 23, 30), "Late News"},
               {FileTimeOf(2000, 3, 25, 23, 30), "Night film"},
               {FileTimeOf(2000, 3, 26, 10, 0), "Tennis"},
               {FileTimeOf(2000, 3, 27, 19, 30), "News"}},
              "20 3 2000 19 0 1\r\nFilm: Caf\xE9\r\n"
              "20 3 2000 19 30 1\r\nNews\r\n"
              "21 3 2000 5 0 2\r\nCartoons\r\n"
              "21 3 2000 19 30 2\r\nNews\r\n"
              "25 3 2000 23 30 6\r\nLate News\r\n"
              "25 3 2000 23 30 6\r\nNight film\r\n"
              "26 3 2000 10 0 7\r\nTennis\r\n"
              "27 3 2000 19 30 1\r\nNews\r\n");
  const std::string first = ReadFile(dir_ / "week.ndx") + ReadFile(dir_ / "week.log");
  Compose({"week"});
  EXPECT_EQ(ReadFile(dir_ / "week.ndx") + ReadFile(dir_ / "week.log"), first);
}

TEST_F(SelectionTest, ShiftsAcrossMonthYearAndLeapDays) {
  WriteBase(dir_ / "late", {{FileTimeOf(2000, 12, 31, 23, 30), "Year end"},
                            {FileTimeOf(2000, 2, 28, 23, 30), "Leap"},
                            {FileTimeOf(2100, 2, 28, 23, 0), "Century eve"},
                            {FileTimeOf(2000, 1, 31, 23, 0), "Month end"}});
  WriteBase(dir_ / "early", {{FileTimeOf(2001, 3, 1, 0, 30), "No leap"},
                             {FileTimeOf(2000, 3, 1, 0, 30), "Leap eve"},
                             {FileTimeOf(2100, 3, 1, 0, 30), "Century"},
                             {FileTimeOf(2001, 1, 1, 0, 10), "Old year"}});
  WriteFile(dir_ / "shift.cfg", "[late]\ntimeshift=1\n[early]\ntimeshift=-1\n");
  const RunResult run = Compose({"shift"});
  EXPECT_EQ(run.out, kBanner + "Composing shift... Ok\n");
  ExpectGuide("shift",
              {{FileTimeOf(2000, 2, 1, 0, 0), "Month end"},
               {FileTimeOf(2000, 2, 29, 0, 30), "Leap"},
               {FileTimeOf(2000, 2, 29, 23, 30), "Leap eve"},
               {FileTimeOf(2000, 12, 31, 23, 10), "Old year"},
               {FileTimeOf(2001, 1, 1, 0, 30), "Year end"},
               {FileTimeOf(2001, 2, 28, 23, 30), "No leap"},
               {FileTimeOf(2100, 2, 28, 23, 30), "Century"},
               {FileTimeOf(2100, 3, 1, 0, 0), "Century eve"}},
              "1 2 2000 0 0 2\r\nMonth end\r\n"
              "29 2 2000 0 30 2\r\nLeap\r\n"
              "29 2 2000 23 30 2\r\nLeap eve\r\n"
              "31 12 2000 23 10 7\r\nOld year\r\n"
              "1 1 2001 0 30 1\r\nYear end\r\n"
              "28 2 2001 23 30 3\r\nNo leap\r\n"
              "28 2 2100 23 30 7\r\nCentury\r\n"
              "1 3 2100 0 0 1\r\nCentury eve\r\n");
}

TEST_F(SelectionTest, OverlappingRangesAndRepeatedSectionsTakeProgrammesTwice) {
  WriteBase(dir_ / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"}});
  // The second [one] is read with the first one's keys.
  WriteFile(dir_ / "twice.cfg", "[one]\nrange1=19:00-20:00, 19:30-19:31 ; both\n[one]\nrange1=\n");
  EXPECT_EQ(Compose({"twice"}).out, kBanner + "Composing twice... Ok\n");
  const std::uint64_t news = FileTimeOf(2000, 3, 20, 19, 30);
  const std::string line = "20 3 2000 19 30 1\r\nNews\r\n";
  ExpectGuide("twice", {{news, "News"}, {news, "News"}, {news, "News"}, {news, "News"}},
              line + line + line + line);
}

TEST_F(SelectionTest, GuideListingItselfIsComposedFromItsOldSelf) {
  WriteBase(dir_ / "guide",
            {{FileTimeOf(2000, 3, 20, 6, 0), "Early"}, {FileTimeOf(2000, 3, 20, 19, 30), "News"}});
  WriteFile(dir_ / "guide.cfg", "[guide]\nrange1=12:00-24:00\ntimeshift=2\n");
  EXPECT_EQ(Compose({"guide"}).out, kBanner + "Composing guide... Ok\n");
  ExpectGuide("guide", {{FileTimeOf(2000, 3, 20, 21, 30), "News"}},
              "20 3 2000 21 30 1\r\nNews\r\n");
  // Run again: it keeps shifting its own output.
  EXPECT_EQ(Compose({"guide"}).out, kBanner + "Composing guide... Ok\n");
  ExpectGuide("guide", {{FileTimeOf(2000, 3, 20, 23, 30), "News"}},
              "20 3 2000 23 30 1\r\nNews\r\n");
}

TEST_F(SelectionTest, EveryNameStartsFromAnEmptyGuide) {
  WriteBase(dir_ / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"}});
  WriteBase(dir_ / "two", {{FileTimeOf(2000, 3, 21, 8, 0), "Weather"}});
  WriteFile(dir_ / "a.cfg", "[one]\n[two]\n");
  WriteFile(dir_ / "b.cfg", "[two]\ntimeshift=-24\n");
  EXPECT_EQ(Compose({"a", "b"}).out, kBanner + "Composing a... Ok\nComposing b... Ok\n");
  ExpectGuide(
      "a", {{FileTimeOf(2000, 3, 20, 19, 30), "News"}, {FileTimeOf(2000, 3, 21, 8, 0), "Weather"}},
      "20 3 2000 19 30 1\r\nNews\r\n21 3 2000 8 0 2\r\nWeather\r\n");
  ExpectGuide("b", {{FileTimeOf(2000, 3, 20, 8, 0), "Weather"}}, "20 3 2000 8 0 1\r\nWeather\r\n");
}

// Failures that selection and its results can cause; nothing is written for the name.
TEST_F(SelectionTest, FailuresKeepThePreviousGuide) {
  struct Case {
    const char* what;
    std::vector<BaseEntry> channel;
    std::string keys;
    std::string message;
  };
  const std::vector<BaseEntry> full(400, BaseEntry{FileTimeOf(2000, 3, 20, 19, 30), "x"});
  const Case cases[] = {
      {"wrong timeshift", {}, "timeshift=two\n", "Wrong timeshift in .cfg file!\n"},
      {"timeshift out of range", {}, "timeshift=25\n", "Wrong timeshift in .cfg file!\n"},
      {"guide over 400", full, "range1=0:00-24:00, 19:00-20:00\n",
       "Too many programs for new base!\n"},
      {"shift past the last convertible year",
       {{FileTimeOf(30827, 12, 31, 23, 30), "Last"}},
       "timeshift=1\n",
       "Can't convert program time!\n"},
      {"shift before 1601",
       {{FileTimeOf(1601, 1, 1, 0, 30), "First"}},
       "timeshift=-1\n",
       "Can't convert program time!\n"},
      {"titles past the offset limit",
       std::vector<BaseEntry>(17,
                              BaseEntry{FileTimeOf(2000, 3, 20, 19, 30), std::string(1999, 't')}),
       "range1=0:00-24:00, 0:00-24:00\n", "New base is too big!\n"},
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.what);
    TempDir dir;
    WriteBase(dir / "chan", entry.channel);
    WriteFile(dir / "guide.cfg", "[chan]\n" + entry.keys);
    for (const char* old : {"guide.ndx", "guide.pdt", "guide.log"}) WriteFile(dir / old, "old");
    const RunResult run = RunSkedcomp(dir.path(), {"guide"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, kBanner + "Composing guide... " + entry.message);
    for (const char* old : {"guide.ndx", "guide.pdt", "guide.log"}) {
      EXPECT_EQ(ReadFile(dir / old), "old") << old;
    }
    EXPECT_EQ(dir.List(),
              (Names{"chan.ndx", "chan.pdt", "guide.cfg", "guide.log", "guide.ndx", "guide.pdt"}));
  }
}

TEST_F(SelectionTest, ChannelTakingNothingMustStillLoad) {
  WriteFile(dir_ / "guide.cfg",
            "[missing]\nrange1=\nrange2=\nrange3=\nrange4=\nrange5=\nrange6=\nrange7=\n");
  EXPECT_EQ(Compose({"guide"}).out, kBanner + "Composing guide... Can't open file .ndx or .pdt!\n");
}

}  // namespace
