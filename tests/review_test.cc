// skedtool review end to end: what the page says, and that nothing from the
// files can become markup. How it looks is checked in a browser
// (review_browser_test.py).
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

class ReviewTest : public ::testing::Test {
 protected:
  RunResult Tool(const std::vector<std::string>& args) { return RunSkedtool(dir_.path(), args); }
  TempDir dir_;
};

// Titles and section names are bytes of other people's files.
TEST_F(ReviewTest, TextFromFilesIsNeverMarkup) {
  const std::string hostile[] = {"<script>alert(1)</script>", "\"><img src=x onerror=alert(1)>",
                                 "a' onmouseover='alert(1)", "&lt;b&gt; & \x01"};
  std::vector<BaseEntry> entries;
  for (int i = 0; i < 4; ++i) entries.push_back({FileTimeOf(2026, 12, 7, 6 + i, 0), hostile[i]});
  WriteBase(dir_ / "x", entries);
  MakeDirectory(dir_ / "it's & co");
  WriteBase(dir_ / "it's & co/y", {{FileTimeOf(2026, 12, 7, 6, 0), "ok"}});
  WriteFile(dir_ / "guide.cfg", "[x]\n[it's & co/y]\n");
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"review", "guide"}, {"review", "--bases", "x", "it's & co/y"}}) {
    const RunResult run = Tool(args);
    ASSERT_EQ(run.exit_code, 0) << run.err;
    const std::string& page = run.out;
    // No tag, and no quote that could end an attribute, comes from the files.
    for (const char* markup : {"<script", "<img", "a' on", "it's", "\x01"}) {
      EXPECT_EQ(page.find(markup), std::string::npos) << markup;
    }
    EXPECT_NE(page.find("&lt;script&gt;alert(1)&lt;/script&gt;"), std::string::npos);
    EXPECT_NE(page.find("&quot;&gt;&lt;img src=x onerror=alert(1)&gt;"), std::string::npos);
    EXPECT_NE(page.find("a&#39; onmouseover=&#39;alert(1)"), std::string::npos);
    EXPECT_NE(page.find("&amp;lt;b&amp;gt; &amp; \xEF\xBF\xBD"), std::string::npos);
    EXPECT_NE(page.find("it&#39;s &amp; co/y"), std::string::npos);
    EXPECT_NE(page.find("content=\"default-src 'none'; style-src 'unsafe-inline'"),
              std::string::npos);
  }
}

// Marks of direction and zero-width characters cannot reorder or disguise a
// name or a title: each is shown for what it is.
TEST_F(ReviewTest, HiddenControlsAreShown) {
  const std::string name = "evil\xE2\x80\xAEgnp.x";  // a right-to-left override
  WriteBase(dir_ / name, {{FileTimeOf(2026, 12, 7, 6, 0),
                           "a\xFE"
                           "b"}});  // cp1255's RLM
  const RunResult run = Tool({"review", "--codepage", "cp1255", "--bases", name});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out.find("\xE2\x80\xAE"), std::string::npos);
  EXPECT_EQ(run.out.find("\xE2\x80\x8F"), std::string::npos);
  EXPECT_NE(run.out.find("evil[U+202E]gnp.x"), std::string::npos);
  EXPECT_NE(run.out.find("a[U+200F]b"), std::string::npos);
}

// The page says whether the guide on disk is the one the composition makes.
TEST_F(ReviewTest, TellsAStaleGuide) {
  WriteBase(dir_ / "one",
            {{FileTimeOf(2026, 12, 7, 6, 0), "Caf\xE9"}, {FileTimeOf(2026, 12, 7, 9, 0), "News"}});
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  EXPECT_NE(Tool({"review", "guide"}).out.find("There is no readable guide guide.ndx"),
            std::string::npos);
  ASSERT_EQ(RunSkedcomp(dir_.path(), {"guide"}).exit_code, 0);
  RunResult run = Tool({"review", "guide"});
  EXPECT_EQ(run.out.find("class=\"stale\""), std::string::npos);
  EXPECT_NE(run.out.find("Caf\xC3\xA9"), std::string::npos) << "titles are cp1252 by default";
  EXPECT_NE(Tool({"review", "--codepage", "KOI8-R", "guide"}).out.find("Caf\xD0\x98"),
            std::string::npos);
  // Names: UTF-8 ones as they are, others in the code page.
  WriteBase(dir_ / "Caf\xE9", {});
  WriteBase(dir_ / "T\xC3\xA9l", {});
  run = Tool({"review", "--bases", "Caf\xE9", "T\xC3\xA9l"});
  EXPECT_NE(run.out.find("Caf\xC3\xA9"), std::string::npos);
  EXPECT_NE(run.out.find("T\xC3\xA9l"), std::string::npos);
  EXPECT_EQ(run.out.find("T\xC3\x83"), std::string::npos) << "converted twice";
  WriteFile(dir_ / "guide.cfg", "[one]\nrange1=8:00-24:00\n");
  run = Tool({"review", "guide"});
  EXPECT_NE(run.out.find("The guide on disk is stale: guide.ndx and guide.pdt differ from what "
                         "guide.cfg composes now: 0 added, 1 dropped."),
            std::string::npos);
}

// What changes against the guide on disk is listed, and the programmes it
// lacks are marked in the grid: added, removed, retimed, retitled.
TEST_F(ReviewTest, ShowsWhatChangesAgainstTheGuideOnDisk) {
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 6, 0), "Early"},
                           {FileTimeOf(2026, 12, 7, 9, 0), "News"},
                           {FileTimeOf(2026, 12, 7, 12, 0), "Film"},
                           {FileTimeOf(2026, 12, 7, 18, 0), "Quiz"}});
  ASSERT_EQ(RunSkedcomp(dir_.path(), {"guide"}).exit_code, 0);
  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 9, 0), "News"},
                           {FileTimeOf(2026, 12, 7, 12, 30), "Film"},
                           {FileTimeOf(2026, 12, 7, 18, 0), "Quiz!"},
                           {FileTimeOf(2026, 12, 7, 21, 0), "Late"}});
  const RunResult run = Tool({"review", "guide"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("composes now: 3 added, 3 dropped."), std::string::npos);
  std::string changes;
  for (std::size_t at = 0; (at = run.out.find("<li class=\"", at)) != std::string::npos; ++at) {
    const std::size_t text = run.out.find('>', at) + 1;
    const std::string_view tag = std::string_view(run.out).substr(at, text - at);
    if (tag != "<li class=\"added-line\">" && tag != "<li class=\"dropped-line\">") continue;
    changes += run.out.substr(text, run.out.find("</li>", text) - text) + "\n";
  }
  EXPECT_EQ(changes,
            "\xE2\x88\x92 dropped <time datetime=\"2026-12-07T06:00\">Mon 2026-12-07 06:00</time> "
            "Early\n"
            "\xE2\x88\x92 dropped <time datetime=\"2026-12-07T12:00\">Mon 2026-12-07 12:00</time> "
            "Film\n"
            "+ added <time datetime=\"2026-12-07T12:30\">Mon 2026-12-07 12:30</time> Film\n"
            "\xE2\x88\x92 dropped <time datetime=\"2026-12-07T18:00\">Mon 2026-12-07 18:00</time> "
            "Quiz\n"
            "+ added <time datetime=\"2026-12-07T18:00\">Mon 2026-12-07 18:00</time> Quiz!\n"
            "+ added <time datetime=\"2026-12-07T21:00\">Mon 2026-12-07 21:00</time> Late\n");
  // Blocks: Film retimed, Quiz! and Late added, News as it was.
  const auto block_of = [&](const std::string& title) {
    // The block whose details (its title attribute) name the programme.
    const std::size_t at =
        run.out.rfind("<div class=\"b ", run.out.find(" " + title + " \xE2\x80\x94 "));
    return run.out.substr(at, run.out.find('"', at + 12) - at);
  };
  EXPECT_NE(block_of("Film").find("retimed"), std::string::npos) << block_of("Film");
  EXPECT_NE(block_of("Late").find("added"), std::string::npos) << block_of("Late");
  EXPECT_EQ(block_of("News").find("added"), std::string::npos) << block_of("News");
}

TEST_F(ReviewTest, RefusalsSayWhy) {
  WriteFile(dir_ / "bad.cfg", "[nowhere]\n");
  const struct {
    std::vector<std::string> args;
    int exit_code;
    std::string err;
  } kCases[] = {
      {{"review"}, 2, "skedtool: review: expects one NAME, or --bases BASE...\n"},
      {{"review", "--bases"}, 2, "skedtool: review: --bases expects at least one BASE\n"},
      {{"review", "missing"},
       1,
       "skedtool: review: missing: Sections not found in .cfg file or .cfg file error!; "
       "skedtool check missing says more\n"},
      {{"review", "bad"},
       1,
       "skedtool: review: bad: Can't open file .ndx or .pdt! (section [nowhere]); skedtool check "
       "bad says more\n"},
      {{"review", "--bases", "nowhere"},
       1,
       "skedtool: review: nowhere: Can't open file .ndx or .pdt!\n"},
  };
  for (const auto& entry : kCases) {
    const RunResult run = Tool(entry.args);
    EXPECT_EQ(run.exit_code, entry.exit_code) << entry.err;
    EXPECT_EQ(run.err.substr(0, entry.err.size()), entry.err);
    EXPECT_EQ(run.out, "");
  }
}

// A composition of more than 50 sections: the page said "... 10 more
// sections, not shown; what was found in them:" and then listed nothing.
// It lists what check counts there, line for line.
TEST_F(ReviewTest, ListsWhatWasFoundInTheSectionsNotShown) {
  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 6, 0), "News"}});
  std::string composition;
  for (int i = 0; i < 60; ++i) composition += "[one]\nrange" + std::to_string(i) + "=1:00-2:00\n";
  WriteFile(dir_ / "guide.cfg", composition);
  const RunResult check = Tool({"check", "guide"});
  const std::string heading = "... 10 more sections, not shown; what was found in them:\n";
  const std::size_t counted = check.out.find(heading);
  ASSERT_NE(counted, std::string::npos) << check.out;
  std::vector<std::string> expected;
  for (std::size_t at = counted + heading.size(); check.out.compare(at, 2, "  ") == 0;
       at = check.out.find('\n', at) + 1) {
    expected.push_back(check.out.substr(at + 2, check.out.find('\n', at) - at - 2));
  }
  ASSERT_FALSE(expected.empty());
  const RunResult review = Tool({"review", "guide"});
  ASSERT_EQ(review.exit_code, 0) << review.err;
  std::size_t at = review.out.find("<li>" + heading.substr(0, heading.size() - 1) + "</li>");
  ASSERT_NE(at, std::string::npos);
  for (const std::string& line : expected) {
    at = review.out.find("<li>", at + 1);
    EXPECT_EQ(review.out.compare(at, line.size() + 9, "<li>" + line + "</li>"), 0) << line;
  }
}

// The page wrote a range that starts before midnight as "-1:-30", where
// check writes "-1:30": times are written by one rule.
TEST_F(ReviewTest, ARangeBeforeMidnightIsWrittenAsCheckWritesIt) {
  WriteBase(dir_ / "one", {{FileTimeOf(2026, 12, 7, 1, 0), "Night"}});
  WriteFile(dir_ / "guide.cfg", "[one]\nrange1=-1:30-2:00\n");
  const RunResult run = Tool({"review", "guide"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_NE(run.out.find("range1 -1:30-2:00"), std::string::npos);
  EXPECT_EQ(run.out.find("-1:-30"), std::string::npos);
}

// Review made check's report, which read the composition file and every
// base, and then read them all again to compose.
TEST_F(ReviewTest, ReadsItsCompositionAndEachBaseOnce) {
  if (!IsPosix()) GTEST_SKIP() << "strace traces Linux programs only";
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  if (std::getenv("SKEDCOMP_TEST_WRAPPER") != nullptr) GTEST_SKIP() << "runs under a wrapper";
  for (const char* name : {"one", "two"}) {
    WriteBase(dir_ / name, {{FileTimeOf(2026, 12, 7, 6, 0), name}});
  }
  WriteFile(dir_ / "guide.cfg", "[one]\n[two]\n[one]\nrange1=0:00-12:00\n");
  const std::string trace = dir_ / "trace";
  const RunResult run =
      RunProgram("strace", dir_.path(),
                 {"-o", trace, "-e", "trace=openat", SKEDTOOL_BINARY, "review", "guide"});
  if (run.exit_code != 0) GTEST_SKIP() << "strace cannot trace here: " << run.err;
  const std::string calls = ReadFile(trace);
  for (const char* file : {"\"./guide.cfg\"", "\"one.ndx\"", "\"one.pdt\"", "\"two.ndx\""}) {
    std::size_t opens = 0;
    for (std::size_t at = calls.find(file); at != std::string::npos;
         at = calls.find(file, at + 1)) {
      ++opens;
    }
    EXPECT_EQ(opens, 1u) << file << "\n" << calls;
  }
}

}  // namespace
