// skedtool validate: each finding on a document of its own, told once and
// nothing else; our own exports found clean; refusals.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

const std::string kExamples = SKEDCOMP_EXAMPLES_DIR;

std::string Document(const std::string& programmes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + programmes + "</tv>\n";
}

// A programme on a line of its own; no stop when `stop` is empty.
std::string Programme(const std::string& channel, const std::string& start, const std::string& stop,
                      const std::string& title = "News") {
  return "<programme start=\"" + start + "\"" + (stop.empty() ? "" : " stop=\"" + stop + "\"") +
         " channel=\"" + channel + "\"><title>" + title + "</title></programme>\n";
}

// Summer in London: +0100.
std::string At(const std::string& hhmm, const std::string& offset = " +0100") {
  return "20260707" + hhmm + "00" + offset;
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

TEST(ValidateTest, EachFindingIsToldOnceAndNothingElse) {
  struct Expected {
    const char* place;  // "LINE: CHANNEL:" or what begins a line of the file's own
    const char* shows;  // a word of the finding, to tell its kind
  };
  struct Case {
    const char* what;
    std::string programmes;
    Names options;
    std::vector<Expected> found;
  };
  const std::string clean =
      Programme("a", At("1000"), At("1100")) + Programme("a", At("1100"), At("1200"), "Film");
  std::string one_line = Programme("a", At("1000"), "") + Programme("a", At("1100"), "");
  std::erase(one_line, '\n');
  const Case cases[] = {
      {"clean", clean, {}, {}},
      {"clean, in London's clock", clean, {"--tz", "Europe/London"}, {}},
      {"listed out of order", Programme("a", At("1200"), At("1300")) + clean, {}, {}},
      {"no stop",
       Programme("a", At("1000"), At("1100")) + Programme("a", At("1100"), ""),
       {},
       {{"4: a:", "no stop"}}},
      {"stop not after start",
       Programme("a", At("1000"), At("1000")),
       {},
       {{"3: a:", "not after"}}},
      {"unreadable stop", Programme("a", At("1000"), "tomorrow"), {}, {{"3: a:", "tomorrow"}}},
      {"unreadable start", Programme("a", "soon", At("1000")) + clean, {}, {{"3: a:", "soon"}}},
      {"overlap",
       Programme("a", At("1000"), At("1130")) + Programme("a", At("1100"), At("1200")),
       {},
       {{"4: a:", "before the programme of line 3"}}},
      {"exact repeat",
       Programme("a", At("1000"), At("1100")) + clean,
       {},
       {{"4: a:", "repeats the programme of line 3"}}},
      {"same start, other title",
       clean + Programme("a", At("1000"), At("1100"), "Sport"),
       {},
       {{"3: a:", "before the programme of line 5"}}},
      {"gap",
       clean + Programme("a", "20260708130000 +0100", "20260708140000 +0100"),
       {},
       {{"5: a:", "nothing for 25 hours"}}},
      {"gap within the limit",
       clean + Programme("a", "20260708130000 +0100", ""),
       {"--max-gap", "1500"},
       {{"5: a:", "no stop"}}},
      {"no offset", Programme("a", At("1000", ""), At("1100", "")), {}, {{"3: a:", "no offset"}}},
      {"zone name",
       Programme("a", At("1000", " BST"), At("1100", " BST")),
       {"--tz", "Europe/London"},
       {{"3: a:", "names its zone"}}},
      {"zone name no one reads",
       Programme("a", At("1000", " IST"), At("1100")),
       {},
       {{"3: a:", "no one offset"}}},
      {"a feed in UTC all year, for London",
       Programme("a", "20260107100000 +0000", "") +
           Programme("a", At("1000", " +0000"), At("1100", " +0000")),
       {"--tz", "Europe/London", "--max-gap", "527040"},
       {{"3: a:", "no stop"}, {"4: a:", "written at +0000"}}},
      {"a feed of another zone",
       Programme("a", At("1000", " -0400"), At("1100", " -0400")),
       {"--tz", "Europe/London"},
       {}},
      {"a feed that follows London",
       Programme("a", "20260107100000 +0000", "20260107110000 +0000") +
           Programme("a", At("1000"), At("1100")),
       {"--tz", "Europe/London", "--max-gap", "527040"},
       {}},
      {"characters the page lacks",
       Programme("a", At("1000"), At("1100"), "Ελλάδα"),
       {},
       {{"3: a:", "cp1253"}}},
      {"characters another page holds",
       Programme("a", At("1000"), At("1100"), "Ελλάδα"),
       {"--codepage", "cp1253"},
       {}},
      {"one base file",
       Programme("a b", At("1000"), At("1100")) + Programme("a_b", At("1000"), At("1100")),
       {},
       {{"4: channels a b and a_b", "both"}}},
      {"one base file on Windows",
       Programme("News", At("1000"), At("1100")) + Programme("news", At("1000"), At("1100")),
       {},
       {{"4: channels News and news", "Windows"}}},
      {"no channel",
       clean + "<programme start=\"" + At("1300") + "\"/>\n",
       {},
       {{"1 programme names no channel", ""}}},
      {"one line", one_line, {}, {{"3: a:", "(and 1 more)"}}},
  };
  TempDir dir;
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.what);
    WriteFile(dir / "tv.xml", Document(entry.programmes));
    Names args = {"validate"};
    args.insert(args.end(), entry.options.begin(), entry.options.end());
    args.push_back("tv.xml");
    const RunResult run = RunSkedtool(dir.path(), args);
    EXPECT_EQ(run.exit_code, entry.found.empty() ? 0 : 1) << run.out << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), entry.found.size() + 1) << run.out;
    for (std::size_t k = 0; k < entry.found.size(); ++k) {
      EXPECT_TRUE(lines[k].starts_with(std::string("tv.xml:") + entry.found[k].place) ||
                  lines[k].starts_with(std::string("tv.xml: ") + entry.found[k].place))
          << lines[k];
      EXPECT_NE(lines[k].find(entry.found[k].shows), std::string::npos) << lines[k];
    }
    EXPECT_EQ(lines.back().ends_with("nothing found"), entry.found.empty()) << lines.back();
  }
}

// A programme listed further from its place than the window holds is
// counted in a note, which is no finding.
TEST(ValidateTest, AProgrammeBeyondTheWindowIsCountedNotCompared) {
  TempDir dir;
  std::string programmes;
  for (int k = 0; k < 200; ++k) {
    const std::string day = std::to_string(10 + k / 24);
    const std::string hour = (k % 24 < 10 ? "0" : "") + std::to_string(k % 24);
    const std::string next_hour = (k % 24 < 9 ? "0" : "") + std::to_string(k % 24 + 1);
    programmes += Programme("a", "202607" + day + hour + "0000 +0000",
                            k % 24 == 23 ? "" : "202607" + day + next_hour + "0000 +0000");
  }
  programmes += Programme("a", "20260710000000 +0000", "20260710010000 +0000");
  WriteFile(dir / "tv.xml", Document(programmes));
  const RunResult run = RunSkedtool(dir.path(), {"validate", "tv.xml"});
  const std::vector<std::string> lines = Lines(run.out);
  ASSERT_GE(lines.size(), 2u) << run.out;
  EXPECT_TRUE(lines[lines.size() - 2].starts_with("tv.xml: a: note: 1 programme")) << run.out;
}

// What export writes, of every example base and guide and of guides of a
// feed with same-minute starts and exact repeats, has nothing to find.
TEST(ValidateTest, OurExportsHaveNothingToFind) {
  TempDir dir;
  std::filesystem::create_directory(dir / "bases");
  for (const char* channel : {"one", "kino", "sport", "kids"}) {
    const std::string listing = kExamples + "/" + channel + ".listing";
    ASSERT_EQ(RunSkedtool(dir.path(), {"make", std::string("bases/") + channel, listing}).exit_code,
              0);
  }
  WriteFile(dir / "guide.cfg", ReadFile(kExamples + "/guide.cfg"));
  WriteFile(dir / "feed.xml", Document(Programme("x", "20261207200000 +0000", "", "News") +
                                       Programme("x", "20261207200000 +0000", "", "News") +
                                       Programme("x", "20261207200000 +0000", "", "Film") +
                                       Programme("y", "20261207203000 +0000", "", "Sport") +
                                       Programme("y", "20261207203000 +0000", "", "Sport") +
                                       Programme("x", "20261207210000 +0000", "", "Late")));
  ASSERT_EQ(RunSkedtool(dir.path(), {"import", "--tz", "Europe/London", "feed.xml", "."}).exit_code,
            0);
  WriteFile(dir / "feed.cfg", "[x]\n[y]\n");
  ASSERT_EQ(RunSkedcomp(dir.path(), {"guide", "feed"}).exit_code, 0);
  const std::vector<Names> exports = {
      {"bases/one"},  {"bases/kino"}, {"bases/sport"},
      {"bases/kids"}, {"guide"},      {"--composition", "guide"},
      {"x", "y"},     {"feed"},       {"--composition", "feed"},
  };
  for (const Names& what : exports) {
    SCOPED_TRACE(what.back());
    Names args = {"export", "--tz", "Europe/London"};
    args.insert(args.end(), what.begin(), what.end());
    const RunResult exported = RunSkedtool(dir.path(), args);
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    WriteFile(dir / "out.xml", exported.out);
    const RunResult run = RunSkedtool(dir.path(), {"validate", "--tz", "Europe/London", "out.xml"});
    EXPECT_EQ(run.exit_code, 0) << run.out;
    EXPECT_EQ(Lines(run.out).size(), 1u) << run.out;
  }
}

// The title checked is the one import would take; --channel and standard
// input read as import reads them; a report that cannot be written is no
// clean bill.
TEST(ValidateTest, ReadsWhatImportWouldRead) {
  TempDir dir;
  const std::string titles = "<title lang=\"el\">Ελλάδα</title><title lang=\"en\">Greece</title>";
  const std::string document =
      Document("<programme start=\"" + At("1000") + "\" stop=\"" + At("1100") +
               "\" channel=\"a\">" + titles + "</programme>\n" + Programme("b", At("1000"), ""));
  WriteFile(dir / "tv.xml", document);
  struct Case {
    Names args;
    int exit_code;
    std::string last_line;
  };
  const Case cases[] = {
      {{"tv.xml"}, 1, "tv.xml: 2 channels, 2 programmes: 2 findings in 2 channels"},
      {{"--lang", "en", "--channel", "a", "tv.xml"},
       0,
       "tv.xml: 1 channel, 1 programme: nothing found"},
      {{"--lang", "en", "-"},
       1,
       "standard input: 2 channels, 2 programmes: 1 finding in 1 channel"},
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.args.front());
    Names args = {"validate"};
    args.insert(args.end(), entry.args.begin(), entry.args.end());
    const RunResult run = RunSkedtool(dir.path(), args, document);
    EXPECT_EQ(run.exit_code, entry.exit_code) << run.err;
    EXPECT_EQ(Lines(run.out).back(), entry.last_line) << run.out;
  }
  RunOptions full;
  full.stdout_file = "/dev/full";
  if (FileExists("/dev/full")) {
    const RunResult run = RunProgram(SKEDTOOL_BINARY, dir.path(), {"validate", "tv.xml"}, full);
    EXPECT_EQ(run.exit_code, 2) << run.err;
  }
}

// A file that cannot be read, or is refused as import refuses it, is exit 2.
TEST(ValidateTest, WhatCannotBeCheckedIsExitTwo) {
  TempDir dir;
  WriteFile(dir / "html.xml", "<html/>\n");
  WriteFile(dir / "entity.xml", "<!DOCTYPE tv [ <!ENTITY e \"x\"> ]>\n<tv>\n" +
                                    Programme("a", At("1000"), At("1100"), "&e;") + "</tv>\n");
  WriteFile(dir / "tv.xml", Document(Programme("a", At("1000"), At("1100"))));
  std::string channels;
  for (int k = 0; k <= 10'000; ++k) channels += Programme(std::to_string(k), At("1000"), "");
  WriteFile(dir / "channels.xml", Document(channels));
  const std::vector<Names> cases = {
      {"html.xml"},
      {"channels.xml"},
      {"--bogus", "tv.xml"},
      {"entity.xml"},
      {"missing.xml"},
      {"."},
      {"--channel", "b", "tv.xml"},
      {"--max-gap", "0", "tv.xml"},
      {"--tz", "Nowhere/Else", "tv.xml"},
      {"--codepage", "utf-8", "tv.xml"},
      {"tv.xml", "tv.xml"},
  };
  for (const Names& operands : cases) {
    SCOPED_TRACE(operands.front());
    Names args = {"validate"};
    args.insert(args.end(), operands.begin(), operands.end());
    const RunResult run = RunSkedtool(dir.path(), args);
    EXPECT_EQ(run.exit_code, 2) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(run.err.starts_with("skedtool: validate: ")) << run.err;
  }
}

}  // namespace
