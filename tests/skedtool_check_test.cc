// skedtool check: each finding, shown on a composition built to have it.
#include <gtest/gtest.h>

#include "composition/composition_file.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

class SkedtoolCheckTest : public ::testing::Test {
 protected:
  // "one": Monday 20 to Sunday 26 March 2000, programmes at 6:00, 12:00, 20:00 and 21:30.
  void SetUp() override {
    std::vector<BaseEntry> week;
    for (int day = 20; day <= 26; ++day) {
      for (const int hour : {6, 12, 20, 21}) {
        week.push_back({FileTimeOf(2000, 3, day, hour, hour == 21 ? 30 : 0), "p"});
      }
    }
    WriteBase(dir_ / "one", week);
  }
  RunResult Check(const std::string& composition) {
    WriteFile(dir_ / "guide.cfg", composition);
    return RunSkedtool(dir_.path(), {"check", "guide"});
  }

  TempDir dir_;
};

TEST_F(SkedtoolCheckTest, CleanCompositionHasNoFindings) {
  const RunResult run = Check("[one]\nrange1=18:00-24:00\nrange2=6:00-9:00 ; mornings\nrange3=\n");
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, CompositionFilePath("guide") +
                         ": 1 channel sections\n"
                         "\n"
                         "[one]\n"
                         "  base one: 28 programmes\n"
                         "  Mon    2  18:00-24:00\n"
                         "  Tue    1  6:00-9:00  ; ignored: ; mornings\n"
                         "  Wed    0  nothing (range3 is empty)\n"
                         "  Thu    4  0:00-24:00 (no range4: the whole day)\n"
                         "  Fri    4  0:00-24:00 (no range5: the whole day)\n"
                         "  Sat    4  0:00-24:00 (no range6: the whole day)\n"
                         "  Sun    4  0:00-24:00 (no range7: the whole day)\n"
                         "\n"
                         "The guide would hold 19 programmes (at most 400).\n"
                         "skedcomp would write the guide.\n"
                         "0 errors, 0 warnings.\n");
}

TEST_F(SkedtoolCheckTest, EachFinding) {
  struct Case {
    std::string composition;
    std::string finding;  // a line of the report
  };
  const Case cases[] = {
      {"[one]\nrange1=18:00 - 24:00\n",
       "  warning: range1 stops at \"18:00 - 24:00\": space before '-'; the rest of the list is "
       "ignored\n"},
      {"[one]\nrange1=6:00-7:00, 18:00- 24:00\n",
       "  warning: range1 stops at \"18:00- 24:00\": space after '-'; the rest of the list is "
       "ignored\n"},
      {"[one]\nrange1=7.30-9:00\n", "stops at \"7.30-9:00\": '.' in place of ':'"},
      {"[one]\nrange1=6:00-7:00,\t8:00-9:00\n", "stops at \"\\t8:00-9:00\": a tab"},
      {"[one]\nrange1=8:00-9:00,,10:00-11:00\n", "stops at \",10:00-11:00\": a second comma"},
      {"[one]\nrange1=+8:00-9:00\n", "a '+' sign"},
      {"[one]\nrange1=8:00-9:00 x\n", "stops at \"x\": 'x' where a time should begin"},
      {"[one]\nrange1=22:00-2:00\n",
       "  warning: range1 range 22:00-2:00 takes nothing: it crosses midnight; split it: "
       "22:00-24:00 on this day and 0:00-2:00 on the next\n"},
      {"[one]\nrange1=7:00--8:00\n", "range 7:00--8:00 takes nothing: its end is negative"},
      {"[one]\nrange1=7:00-7:00\n", "takes nothing: its end is not after its start"},
      {"[one]\nrange1=24:00-25:00\n", "takes nothing: it starts at 24:00 or later"},
      {"[one]\nrange1=19:00-22:00, 21:00-24:00\n",
       "  warning: range1 ranges 19:00-22:00 and 21:00-24:00 overlap (21:00-22:00): 1 programme "
       "of Monday is taken twice\n"},
      {"[one]\nrange1=7:5-9:00\n",
       "  warning: range1: 7:5 is read as 7:50: one minute digit "
       "counts as tens\n"},
      {"[one]\nrange1=7:00-9:295\n", "9:295 is read as 9:30: only two minute digits count"},
      {"[one]\nrnage1=1-2\n",
       "  warning: unknown key 'rnage1' is ignored; did you mean 'range1'?\n"},
      {"[one]\ncolour=red\n", "  warning: unknown key 'colour' is ignored\n"},
      {"[one]\nrange1=1-2\nRANGE1=3-4\n", "  warning: 'RANGE1' stands more than once"},
      {"[one]\n[one]\n", "  warning: this section's name stands before"},
      {"[one]\ntimeshift=two\n", "  error: timeshift \"two\" is no whole number from -24 to 24\n"},
      {"[one]\ntimeshift=25\n",
       "skedcomp would stop at [one] with \"Wrong timeshift in .cfg file!\".\n"},
      {"[nowhere]\n", "  error: base nowhere: Can't open file .ndx or .pdt!\n"},
      {"; no sections\n",
       "  error: no sections: Sections not found in .cfg file or .cfg file error!\n"},
  };
  for (const Case& entry : cases) {
    const RunResult run = Check(entry.composition);
    EXPECT_EQ(run.exit_code, 1) << entry.composition;
    EXPECT_NE(run.out.find(entry.finding), std::string::npos)
        << entry.composition << "\n--- report:\n"
        << run.out;
  }
}

TEST_F(SkedtoolCheckTest, GuideBeyondWhatTheComposerWrites) {
  WriteBase(dir_ / "big",
            std::vector<BaseEntry>(300, BaseEntry{FileTimeOf(2000, 3, 20, 8, 0), "x"}));
  RunResult run = Check("[big]\n[big]\n");
  EXPECT_NE(
      run.out.find("The guide would hold 600 programmes (at most 400).\n"
                   "  error: more than 400 programmes: Too many programs for new base!\n"
                   "skedcomp would stop at [big] with \"Too many programs for new base!\".\n"),
      std::string::npos)
      << run.out;
  WriteBase(dir_ / "last", {{FileTimeOf(30827, 12, 31, 23, 30), "Last"}});
  run = Check("[last]\ntimeshift=1\n");
  EXPECT_NE(run.out.find("  error: Can't convert program time!\n"), std::string::npos) << run.out;
  EXPECT_EQ(run.exit_code, 1);
}

// A file of many sections gives a short report: the first sections in full,
// of the others only how many findings of each kind.
TEST_F(SkedtoolCheckTest, ManySectionsAreCountedNotListed) {
  std::string composition;
  for (int i = 0; i < 60; ++i) composition += "[one]\nbogus=1\n";
  for (int i = 0; i < 5; ++i) composition += "[missing" + std::to_string(i) + "]\n";
  const RunResult run = Check(composition);
  EXPECT_EQ(run.exit_code, 1);
  std::size_t headers = 0;
  for (std::size_t at = run.out.find("\n["); at != std::string::npos;
       at = run.out.find("\n[", at + 1)) {
    ++headers;
  }
  EXPECT_EQ(headers, 50u);
  EXPECT_NE(run.out.find("\n... 15 more sections, not shown; what was found in them:\n"
                         "  5 bases that do not load (errors)\n"
                         "  10 sections whose name stands before\n"
                         "\nThe guide would hold 1680 programmes (at most 400).\n"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find("\n6 errors, 60 warnings.\n"), std::string::npos) << run.out;
  // A list too long to pair its ranges is read all the same, and says so.
  std::string ranges = "[one]\nrange1=";
  for (int i = 0; i <= 100'000; ++i) ranges += "20:00-21:00,";
  const RunResult long_list = Check(ranges + "\n");
  EXPECT_NE(long_list.out.find("  Mon 100001  20:00-21:00, "), std::string::npos) << long_list.out;
  EXPECT_NE(long_list.out.find("  warning: range1 has more than 100000 ranges that can take "
                               "programmes; they are not checked for overlaps\n"),
            std::string::npos)
      << long_list.out;
}

// A line that quotes a long name is printed whole, with its line end.
TEST_F(SkedtoolCheckTest, LongLinesAreNeverCut) {
  const std::string name(6000, 'a');
  const RunResult run = Check("[" + name + "]\n");
  EXPECT_NE(run.out.find("\n[" + name + "]\n"), std::string::npos);
  EXPECT_NE(run.out.find("skedcomp would stop at [" + name + "] with"), std::string::npos);
  EXPECT_TRUE(run.out.ends_with(".\n1 error, 0 warnings.\n"))
      << run.out.substr(run.out.size() - 80);
}

TEST_F(SkedtoolCheckTest, MissingCompositionFileCannotBeChecked) {
  const RunResult run = RunSkedtool(dir_.path(), {"check", "missing"});
  EXPECT_EQ(run.exit_code, 2);
  EXPECT_EQ(run.err, "skedtool: check: cannot read " + CompositionFilePath("missing") + "\n");
  EXPECT_EQ(run.out, "");
}

}  // namespace
