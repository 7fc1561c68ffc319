// check's findings as values: each kind, on a composition made to have it.
#include "report/check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "selection/select_composition.h"
#include "tests/test_support.h"

namespace {

struct Found {
  Severity severity;
  std::string what;
  bool operator==(const Found&) const = default;
};

class CheckTest : public ::testing::Test {
 protected:
  // "one": Monday 20 to Sunday 26 March 2000, programmes at 6:00, 12:00, 20:00 and 21:30.
  // Composition files are found in the current folder: the test's own.
  void SetUp() override {
    std::filesystem::current_path(dir_.path());
    std::vector<BaseEntry> week;
    for (int day = 20; day <= 26; ++day) {
      for (const int hour : {6, 12, 20, 21}) {
        week.push_back({FileTimeOf(2000, 3, day, hour, hour == 21 ? 30 : 0), "p"});
      }
    }
    WriteBase(dir_ / "one", week);
  }
  void TearDown() override { std::filesystem::current_path(before_); }
  CheckReport Check(const std::string& composition) {
    WriteFile(dir_ / "guide.cfg", composition);
    return CheckComposition("guide", *tables_, DisplayCodePage{});
  }
  static std::vector<Found> FindingsOf(const CheckReport& report) {
    std::vector<Found> found;
    for (const std::vector<CheckLine>* lines : {&report.lines, &report.closing}) {
      for (const CheckLine& line : *lines) {
        if (line.kind == CheckLine::Kind::kFinding) found.push_back({line.severity, line.what});
      }
    }
    return found;
  }

  const std::filesystem::path before_ = std::filesystem::current_path();
  TempDir dir_;
  std::unique_ptr<ProgramTables> tables_ = std::make_unique<ProgramTables>();
};

TEST_F(CheckTest, EachKindOfFindingAndWhereTheComposerStops) {
  const std::string one = "[one]\n";
  struct Case {
    std::string keys;  // of the one section, or the whole file when it starts with '['
    std::vector<Found> found;
    Status composer = Status::kOk;
  };
  const Severity W = Severity::kWarning;
  const Severity E = Severity::kError;
  const Case cases[] = {
      {"range1=18:00-24:00\n", {}},
      {"rnage5=1-2\n", {{W, "unknown keys"}}},
      {"range1=18:00 - 24:00\n", {{W, "range lists that stop early"}}},
      {"range1=22:00-2:00\n", {{W, "ranges that take nothing"}}},
      {"range1=6:00-21:00,20:00-22:00\n", {{W, "pairs of overlapping ranges"}}},
      {"range1=7:5-8:00\n", {{W, "times read otherwise than written"}}},
      {"range1=18:00-25:00\n", {{W, "times read otherwise than written"}}},
      {"range1=-5:00-8:00\n", {{W, "times read otherwise than written"}}},
      {std::string("range1=6:00-8:00\0,9:00-10:00\n", 29), {{W, "range lists that stop early"}}},
      {"range1\n[broken\n\xEF\xBB\xBF[one]\n",
       {{W, "lines that are ignored"},
        {W, "lines that are ignored"},
        {W, "lines that are ignored"}}},
      {"range1=1-2\nrange1=3-4\n", {{W, "keys that stand more than once"}}},
      {"timeshift=1.5\n", {{W, "timeshifts read otherwise than written"}}},
      {"timeshift=99\n", {{E, "timeshifts the composer refuses"}}, Status::kWrongTimeshift},
      {"[nowhere]\n", {{E, "bases that do not load"}}, Status::kCantOpenBase},
      {"; no section at all\n", {{E, ""}}, Status::kNoSections},
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.keys);
    const CheckReport report = Check(
        entry.keys.starts_with("[") || entry.keys.starts_with(";") ? entry.keys : one + entry.keys);
    EXPECT_EQ(report.unreadable, "");
    EXPECT_EQ(FindingsOf(report), entry.found);
    EXPECT_EQ(report.composer, entry.composer);
    EXPECT_EQ(report.errors + report.warnings, static_cast<long long>(entry.found.size()));
  }
}

TEST_F(CheckTest, TheGuideAsAWholeAndSectionsPastThoseShown) {
  // 15 sections of 28 programmes: more than a guide holds.
  std::string many;
  for (int i = 0; i < 15; ++i) many += "[one]\n";
  CheckReport report = Check(many);
  EXPECT_EQ(report.programmes, 15 * 28);
  ASSERT_EQ(report.closing.size(), 1u);
  EXPECT_EQ(report.closing[0].severity, Severity::kError);
  EXPECT_NE(report.closing[0].text.find("more than 400 programmes"), std::string::npos);
  EXPECT_EQ(report.composer, Status::kTooManyInGuide);
  EXPECT_EQ(CheckVerdict(report).rfind("skedcomp would stop at [", 0), 0u);

  // Past the first sections, findings are counted kind by kind, not listed.
  std::string sections;
  for (std::size_t i = 0; i < kSectionsShown + 2; ++i) {
    const std::string base = "b" + std::to_string(i);
    WriteBase(dir_ / base, {{FileTimeOf(2000, 3, 20, 6, 0), "p"}});
    sections += "[" + base + "]\nrange1=\nkey=x\n";
  }
  report = Check(sections);
  EXPECT_EQ(report.sections, kSectionsShown + 2);
  EXPECT_EQ(report.sections_not_shown, 2u);
  EXPECT_EQ(report.counted, (std::map<std::string, long long>{{"unknown keys", 2}}));
  // An unknown key each, and each pair of sections takes the same hours.
  const long long n = kSectionsShown + 2;
  EXPECT_EQ(report.warnings, n + n * (n - 1) / 2);
  std::size_t listed = 0;
  for (const CheckLine& line : report.lines) listed += line.kind == CheckLine::Kind::kFinding;
  EXPECT_EQ(listed, kSectionsShown);

  report = CheckComposition("missing", *tables_, DisplayCodePage{});
  EXPECT_NE(report.unreadable.find("cannot read"), std::string::npos);
}

// Check selects the guide as it goes, for the review page; it selects what
// skedcomp's own selection does, and fails where it fails.
TEST_F(CheckTest, SelectsWhatTheComposerSelects) {
  WriteBase(dir_ / "two", {{FileTimeOf(2000, 3, 21, 7, 0), "q"}});
  const char* const kCompositions[] = {
      "[one]\nrange1=18:00-24:00\n[two]\n[one]\n",
      "[one]\n[nowhere]\n[two]\n",
      "[two]\n[one]\ntimeshift=99\n",
      ("[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n[one]\n"
       "[one]\n[one]\n[one]\n"),  // more than a guide holds
      "; no section\n",
  };
  for (const char* composition : kCompositions) {
    SCOPED_TRACE(composition);
    WriteFile(dir_ / "guide.cfg", composition);
    CheckedSelection checked;
    CheckComposition("guide", *tables_, DisplayCodePage{}, &checked);
    const auto checked_guide = std::make_unique<ProgramTable>(tables_->guide);  // 800 KB
    std::string failed;
    std::vector<Provenance> provenance;
    const Status status =
        SelectComposition(ReadIniProfile("guide.cfg"), *tables_, &failed, &provenance);
    EXPECT_EQ(checked.status, status);
    EXPECT_EQ(checked.failed_section, failed);
    if (status != Status::kOk) continue;
    ASSERT_EQ(checked.provenance.size(), provenance.size());
    for (std::size_t i = 0; i < provenance.size(); ++i) {
      EXPECT_EQ(checked.provenance[i].section, provenance[i].section);
      EXPECT_EQ(checked.provenance[i].channel_record, provenance[i].channel_record);
      EXPECT_EQ(std::string(checked_guide->records[i].title), tables_->guide.records[i].title);
    }
  }
}

}  // namespace
