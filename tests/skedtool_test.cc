// skedtool's dump, make and week commands and its command line, end to end.
#include <gtest/gtest.h>

#include <filesystem>
#include <string_view>

#include "composition/composition_file.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

std::vector<std::string> ExampleListings() {
  std::vector<std::string> paths;
  for (const auto& entry : std::filesystem::directory_iterator(SKEDCOMP_EXAMPLES_DIR)) {
    if (entry.path().extension() == ".listing") paths.push_back(entry.path().string());
  }
  std::sort(paths.begin(), paths.end());
  return paths;
}

// The listing without its comment lines, as dump gives it back.
std::string WithoutComments(const std::string& listing) {
  std::string kept;
  std::size_t at = 0;
  while (at < listing.size()) {
    const std::size_t end = listing.find('\n', at);
    const std::string line = listing.substr(at, end - at + 1);
    if (!line.empty() && line[0] != '#' && line != "\n") kept += line;
    at = end == std::string::npos ? listing.size() : end + 1;
  }
  return kept;
}

class SkedtoolTest : public ::testing::Test {
 protected:
  RunResult Tool(const std::vector<std::string>& args, const std::string& input = "") {
    return RunSkedtool(dir_.path(), args, input);
  }
  // dump, make from that, dump again: the bytes and the listing must come back.
  // dump then make gives back the same bytes: raw, or as UTF-8 text of the
  // code page `page`, where bytes it leaves undefined come back from escapes.
  void ExpectRoundTrip(const std::string& base, const std::string& page = "") {
    const Names codepage = page.empty() ? Names{} : Names{"--codepage", page};
    Names dump = {"dump"};
    Names make = {"make"};
    dump.insert(dump.end(), codepage.begin(), codepage.end());
    make.insert(make.end(), codepage.begin(), codepage.end());
    dump.push_back(base);
    make.push_back("copy");
    const RunResult first = Tool(dump);
    ASSERT_EQ(first.exit_code, 0) << first.err;
    const RunResult made = Tool(make, first.out);
    ASSERT_EQ(made.exit_code, 0) << made.err;
    EXPECT_EQ(made.err, "") << page;
    EXPECT_EQ(ReadFile(dir_ / "copy.ndx"), ReadFile(dir_ / (base + ".ndx"))) << base;
    EXPECT_EQ(ReadFile(dir_ / "copy.pdt"), ReadFile(dir_ / (base + ".pdt"))) << base;
    dump.back() = "copy";
    EXPECT_EQ(Tool(dump).out, first.out) << base;
  }

  TempDir dir_;
};

TEST_F(SkedtoolTest, EveryExampleListingRoundTrips) {
  const std::vector<std::string> listings = ExampleListings();
  ASSERT_GE(listings.size(), 3u);
  for (const std::string& listing : listings) {
    SCOPED_TRACE(listing);
    const RunResult made = Tool({"make", "example", listing});
    ASSERT_EQ(made.exit_code, 0) << made.err;
    const RunResult dumped = Tool({"dump", "example"});
    EXPECT_EQ(dumped.exit_code, 0);
    EXPECT_EQ(dumped.err, "");
    EXPECT_EQ(dumped.out, WithoutComments(ReadFile(listing)));
    ExpectRoundTrip("example");
  }
}

TEST_F(SkedtoolTest, BasesWithSecondsEscapesAndLongTitlesRoundTrip) {
  std::string every_byte;
  for (int c = 1; c < 256; ++c) every_byte.push_back(static_cast<char>(c));
  WriteBase(dir_ / "odd", {{FileTimeOf(2000, 3, 20, 19, 30, 45), "seconds"},
                           {FileTimeOf(2000, 3, 20, 19, 30, 45) + 1234567, "fraction"},
                           {0, every_byte},
                           {(1ull << 63) - 1, ""},
                           {FileTimeOf(2024, 2, 29, 0, 0), std::string(1999, '\\')}});
  for (const char* page : {"", "raw", "cp1253", "KOI8-R"}) ExpectRoundTrip("odd", page);
  const RunResult dumped = Tool({"dump", "odd"});
  EXPECT_NE(dumped.out.find("2000-03-20\t19:30:45\tMon\tseconds\n"), std::string::npos);
  EXPECT_NE(dumped.out.find("2000-03-20\t19:30:45.1234567\tMon\tfraction\n"), std::string::npos);
  EXPECT_NE(dumped.out.find("1601-01-01\t00:00\tMon\t\\x01\\x02"), std::string::npos);
  EXPECT_NE(dumped.out.find("\\t\\n\\x0B\\x0C\\r\\x0E"), std::string::npos);
}

// A UTF-8 listing of Greek titles made for a Western page loses them to '?',
// and the warning names the pages that hold them.
TEST_F(SkedtoolTest, MakeFromUtf8NamesThePagesThatHoldWhatWasLost) {
  const std::string listing = "2026-12-07\t12:00\tMon\t\xCE\x9A\xCE\xB1\xCE\xBB\xCE\xAE\n";
  const RunResult lost = Tool({"make", "--codepage", "cp1252", "greek"}, listing);
  EXPECT_EQ(lost.exit_code, 0) << lost.err;
  EXPECT_NE(lost.err.find("4 characters not in cp1252 became '?'; cp1253 and ISO-8859-7"),
            std::string::npos)
      << lost.err;
  const RunResult kept = Tool({"make", "--codepage", "cp1253", "greek"}, listing);
  EXPECT_EQ(kept.err, "");
  EXPECT_EQ(Tool({"dump", "--codepage", "cp1253", "greek"}).out, listing);
}

TEST_F(SkedtoolTest, ComposedGuideRoundTrips) {
  WriteBase(dir_ / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                           {FileTimeOf(2000, 3, 20, 6, 0), "Early\nshow"}});
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  ASSERT_EQ(RunSkedcomp(dir_.path(), {"guide"}).exit_code, 0);
  ExpectRoundTrip("guide");
  WriteBase(dir_ / "full",
            std::vector<BaseEntry>(400, BaseEntry{FileTimeOf(2000, 1, 1, 0, 0), "x"}));
  ExpectRoundTrip("full");
}

TEST_F(SkedtoolTest, DumpNotesBasesThatMakeWouldLayOutAnew) {
  const std::string header = "QAX 3.x TV Program Data\n\n\n";
  const std::string entry =
      LittleEndian(0, 2) + LittleEndian(FileTimeOf(2000, 3, 20, 19, 30), 8) + LittleEndian(26, 2);
  WriteFile(dir_ / "shared.ndx", LittleEndian(2, 2) + entry + entry);
  WriteFile(dir_ / "shared.pdt", header + LittleEndian(4, 2) + "News");
  const RunResult run = Tool({"dump", "shared"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, "2000-03-20\t19:30\tMon\tNews\n2000-03-20\t19:30\tMon\tNews\n");
  EXPECT_NE(run.err.find("not laid out as skedtool make writes it"), std::string::npos);
}

TEST_F(SkedtoolTest, DumpReportsDamageAtItsEntry) {
  for (const DamagedBase& damaged : DamagedBases()) {
    SCOPED_TRACE(damaged.what);
    WriteFile(dir_ / "damaged.ndx", damaged.index);
    WriteFile(dir_ / "damaged.pdt", damaged.titles);
    const RunResult run = Tool({"dump", "damaged"});
    EXPECT_EQ(run.exit_code, 1);
    std::string expected = "skedtool: dump: damaged: ";
    if (damaged.entry != 0) expected += "entry " + std::to_string(damaged.entry) + " of ";
    EXPECT_EQ(run.err.substr(0, expected.size()), expected) << run.err;
    EXPECT_NE(run.err.find(BaseDamageText(damaged.damage)), std::string::npos) << run.err;
    // The entries before the damaged one are listed.
    EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\n'),
              damaged.entry == 0 ? 0 : static_cast<long>(damaged.entry) - 1);
  }
  EXPECT_EQ(Tool({"dump", "missing"}).err,
            "skedtool: dump: missing: Can't open file .ndx or .pdt!\n");
}

// diff exits as diff does: 0 the same, 1 different (with the lines), 2 trouble.
TEST_F(SkedtoolTest, DiffListsProgrammesOnlyOneBaseHolds) {
  WriteBase(dir_ / "old", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                           {FileTimeOf(2000, 3, 20, 20, 0), "Film"},
                           {FileTimeOf(2000, 3, 20, 22, 0), "Late"},
                           {FileTimeOf(2000, 3, 20, 23, 0), "Night"}});
  WriteBase(dir_ / "new", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                           {FileTimeOf(2000, 3, 20, 20, 15), "Film"},
                           {FileTimeOf(2000, 3, 20, 21, 0), "Quiz"},
                           {FileTimeOf(2000, 3, 20, 23, 0), "Night Talk"}});
  const RunResult same = Tool({"diff", "old", "old"});
  EXPECT_EQ(same.exit_code, 0) << same.err;
  EXPECT_EQ(same.out, "");
  const RunResult run = Tool({"diff", "old", "new"});
  EXPECT_EQ(run.exit_code, 1) << run.err;
  EXPECT_EQ(run.out,
            "-2000-03-20\t20:00\tMon\tFilm\n"
            "+2000-03-20\t20:15\tMon\tFilm\n"
            "+2000-03-20\t21:00\tMon\tQuiz\n"
            "-2000-03-20\t22:00\tMon\tLate\n"
            "-2000-03-20\t23:00\tMon\tNight\n"
            "+2000-03-20\t23:00\tMon\tNight Talk\n");
  EXPECT_EQ(run.err, "");
  WriteFile(dir_ / "damaged.ndx", std::string(1, '\0'));
  WriteFile(dir_ / "damaged.pdt", "");
  for (const Names& args :
       {Names{"diff", "old", "missing"}, Names{"diff", "damaged", "new"}, Names{"diff", "old"}}) {
    const RunResult trouble = Tool(args);
    EXPECT_EQ(trouble.exit_code, 2) << args[1];
    EXPECT_EQ(trouble.out, "");
    EXPECT_NE(trouble.err.find("skedtool: diff: "), std::string::npos) << trouble.err;
  }
}

TEST_F(SkedtoolTest, MakeRefusesBadListingsAndWritesNothing) {
  struct Case {
    std::string listing;
    std::string error;  // what follows "skedtool: make: standard input:"
  };
  const std::string good = "2000-03-20\t19:30\tMon\tNews\n";
  std::string too_many;
  for (int i = 0; i < 401; ++i) too_many += good;
  const Case cases[] = {
      {good + "2000-03-20\t19:30\tMon\n", "2: expected 4 tab-separated fields"},
      {good + "2000-03-20 19:30\tMon\tNews\n", "2: expected 4 tab-separated fields"},
      {"20-03-2000\t19:30\tMon\tNews\n", "1: the date must be written YYYY-MM-DD"},
      {"2000-03-20\t19.30\tMon\tNews\n", "1: the time must be written HH:MM"},
      {"2000-03-20\t19:30:4\tMon\tNews\n", "1: the time must be written HH:MM"},
      {"2100-02-29\t19:30\tMon\tNews\n", "1: no such date and time"},
      {"1600-12-31\t19:30\tSun\tNews\n", "1: no such date and time"},
      {"30828-09-14\t02:49\tThu\tNews\n", "1: no such date and time"},
      {"2000-03-20\t24:00\tMon\tNews\n", "1: no such date and time"},
      {"# comment\n\n2000-03-20\t19:30\tTue\tNews\n", "3: 2000-03-20 is a Mon, not 'Tue'"},
      {"2000-03-20\t19:30\tMon\tbad \\q escape\n", "1: unknown escape"},
      {"2000-03-20\t19:30\tMon\tbad \\x4 escape\n", "1: \\x in the title needs two hex digits"},
      {"2000-03-20\t19:30\tMon\tcut\\x00here\n", "1: \\x00 in the title: a title ends at"},
      {"2000-03-20\t19:30\tMon\t" + std::string(2000, 't') + "\n", "1: the title is longer"},
      {too_many, " 401 programmes; a base holds at most 400"},
  };
  WriteFile(dir_ / "base.ndx", "old ndx");
  WriteFile(dir_ / "base.pdt", "old pdt");
  for (const Case& entry : cases) {
    const RunResult run = Tool({"make", "base"}, entry.listing);
    EXPECT_EQ(run.exit_code, 1) << entry.error;
    const std::string expected = "skedtool: make: standard input:" + entry.error;
    EXPECT_EQ(run.err.substr(0, expected.size()), expected);
  }
  EXPECT_EQ(ReadFile(dir_ / "base.ndx"), "old ndx");
  EXPECT_EQ(ReadFile(dir_ / "base.pdt"), "old pdt");
  EXPECT_EQ(dir_.List(), (Names{"base.ndx", "base.pdt"}));
}

TEST_F(SkedtoolTest, MakeAcceptsWindowsLineEndsAndEmptyInput) {
  ASSERT_EQ(Tool({"make", "crlf"}, "2000-03-20\t19:30\tMon\tNews\r\n").exit_code, 0);
  EXPECT_EQ(ReadFile(dir_ / "crlf.pdt"),
            "QAX 3.x TV Program Data\n\n\n" + LittleEndian(4, 2) + "News");
  ASSERT_EQ(Tool({"make", "empty"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir_ / "empty.ndx"), std::string(2, '\0'));
}

TEST_F(SkedtoolTest, MakeKeepsOldFilesWhenItCannotWrite) {
  WriteFile(dir_ / "ro.ndx", "old");
  MakeReadOnly(dir_ / "ro.ndx");
  const RunResult run = Tool({"make", "ro"}, "2000-03-20\t19:30\tMon\tNews\n");
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("skedtool: make: ro: cannot write"), std::string::npos);
  EXPECT_EQ(ReadFile(dir_ / "ro.ndx"), "old");
  EXPECT_FALSE(FileExists(dir_ / "ro.pdt"));
}

TEST_F(SkedtoolTest, WeekDrawsEachDay) {
  WriteBase(dir_ / "base", {{FileTimeOf(2000, 3, 20, 0, 0), "a"},
                            {FileTimeOf(2000, 3, 20, 19, 30), "b"},
                            {FileTimeOf(2000, 3, 20, 19, 45), "c"},
                            {FileTimeOf(2000, 3, 22, 23, 59), "d"},
                            {FileTimeOf(2000, 4, 1, 12, 0), "e"}});
  const RunResult run = Tool({"week", "base"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out,
            "base: 5 programmes\n"
            "                0     3     6     9     12    15    18    21    24\n"
            "Mon 2000-03-20 [*.....:.....:.....:.....:.....:.....:..2..:.....]   3\n"
            "Tue 2000-03-21 [:.....:.....:.....:.....:.....:.....:.....:.....]   0\n"
            "Wed 2000-03-22 [:.....:.....:.....:.....:.....:.....:.....:....*]   1\n"
            "    ... 9 days without programmes ...\n"
            "Sat 2000-04-01 [:.....:.....:.....:.....*.....:.....:.....:.....]   1\n");
}

// Every command shows the bytes of the files as UTF-8 of cp1252 unless told
// another page; --codepage raw shows them as they are.
TEST_F(SkedtoolTest, CodePageShowsTitlesAndNamesInUtf8) {
  const std::string name = "Caf\xE9";
  WriteBase(dir_ / name, {{FileTimeOf(2000, 3, 20, 9, 0), "Caf\xE9 au lait \x80\x81"}});
  WriteFile(dir_ / "guide.cfg", "[" + name + "]\n");
  const struct {
    std::vector<std::string> args;
    std::string utf8;  // found in the output by default
    std::string raw;   // ... and with --codepage raw in its place
  } kCases[] = {
      {{"dump", name}, "\tCaf\xC3\xA9 au lait \xE2\x82\xAC\\x81\n", "\tCaf\xE9 au lait \x80\x81\n"},
      // A name typed reaches skedtool as bytes on Linux, as UTF-8 on Windows.
      {{"week", name},
       "Caf\xC3\xA9: 1 programme\n",
       (IsPosix() ? name : "Caf\xC3\xA9") + ": 1 programme\n"},
      {{"check", "guide"}, "[Caf\xC3\xA9]", "[Caf\xE9]"},
  };
  for (const auto& entry : kCases) {
    const RunResult utf8 = Tool(entry.args);
    EXPECT_NE(utf8.out.find(entry.utf8), std::string::npos) << entry.args[0] << ": " << utf8.out;
    std::vector<std::string> args = entry.args;
    args.insert(args.begin() + 1, {"--codepage", "raw"});
    const RunResult raw = Tool(args);
    EXPECT_EQ(raw.exit_code, utf8.exit_code) << entry.args[0];
    EXPECT_NE(raw.out.find(entry.raw), std::string::npos) << entry.args[0] << ": " << raw.out;
  }
  // What dump printed either way makes the same bytes again: a listing that
  // is no UTF-8, as the old tool's are, is taken byte for byte, with a note.
  for (const char* page : {"cp1252", "raw"}) {
    const std::string listing = Tool({"dump", "--codepage", page, name}).out;
    const RunResult made = Tool({"make", "again"}, listing);
    EXPECT_EQ(made.exit_code, 0) << made.err;
    EXPECT_EQ(made.err.empty(), std::string(page) == "cp1252") << made.err;
    EXPECT_EQ(ReadFile(dir_ / "again.pdt"), ReadFile(dir_ / (name + ".pdt"))) << page;
  }
  EXPECT_EQ(Tool({"review", "--codepage", "raw", "guide"}).exit_code, 2);
}

TEST_F(SkedtoolTest, CommandLine) {
  struct Case {
    std::vector<std::string> args;
    int exit_code;
    std::string out_starts;
    std::string err_starts;
  };
  const Case cases[] = {
      {{"--help"}, 0, "Usage: skedtool COMMAND", ""},
      {{"--version"}, 0, "skedtool (skedcomp) 2.0\n", ""},
      {{"dump", "--help"}, 0, "Usage: skedtool dump [--codepage CP] BASE\n", ""},
      {{"make", "--help"}, 0, "Usage: skedtool make [--sync] [--codepage CP] BASE [LISTING]\n", ""},
      {{"check", "--help"}, 0, "Usage: skedtool check [--codepage CP] NAME\n", ""},
      {{"week", "--help"}, 0, "Usage: skedtool week [--codepage CP] BASE\n", ""},
      {{}, 2, "", "Usage: skedtool COMMAND"},
      {{"frobnicate"}, 2, "", "skedtool: unknown command 'frobnicate'\n"},
      {{"dump"}, 2, "", "skedtool: dump: expects one BASE\nTry 'skedtool dump --help'.\n"},
      {{"week", "a", "b"}, 2, "", "skedtool: week: expects one BASE\n"},
      {{"make"}, 2, "", "skedtool: make: expects BASE and an optional LISTING\n"},
      {{"check"}, 2, "", "skedtool: check: expects one NAME\n"},
      {{"dump", "--codepage"}, 2, "", "skedtool: dump: --codepage needs a value\n"},
      {{"week", "--codepage", "UTF-8", "x"}, 2, "", "skedtool: week: code page 'UTF-8' has"},
      {{"check", "--codepage", "cp9999", "x"}, 2, "", "skedtool: check: unknown code page"},
      {{"make", "x", "missing.listing"}, 1, "", "skedtool: make: cannot read missing.listing\n"},
      {{"help", "frobnicate"}, 2, "", "skedtool: unknown command 'frobnicate'\n"},
      {{"help", "dump", "make"}, 2, "", "skedtool: help: expects at most one COMMAND\n"},
  };
  for (const Case& entry : cases) {
    const RunResult run = Tool(entry.args);
    const std::string shown = entry.args.empty() ? "(none)" : entry.args[0];
    EXPECT_EQ(run.exit_code, entry.exit_code) << shown;
    EXPECT_EQ(run.out.substr(0, entry.out_starts.size()), entry.out_starts) << shown;
    EXPECT_EQ(run.err.substr(0, entry.err_starts.size()), entry.err_starts) << shown;
    if (entry.out_starts.empty()) {
      EXPECT_EQ(run.out, "") << shown;
    }
    if (entry.err_starts.empty()) {
      EXPECT_EQ(run.err, "") << shown;
    }
  }
}

// `skedtool help [COMMAND]` is `skedtool [COMMAND] --help`, byte for byte;
// a build without XMLTV answers its XMLTV commands, help included, with what
// it lacks.
TEST_F(SkedtoolTest, HelpCommandIsTheHelpOption) {
  const std::string no_xmltv =
      ": this build of skedtool has no XMLTV support; install libxml2-dev, "
      "libhowardhinnant-date-dev and tzdata (Debian's names) and build it again\n";
  for (const char* command :
       {"", "dump", "diff", "make", "check", "week", "review", "import", "export", "validate"}) {
    SCOPED_TRACE(command);
    const std::vector<std::string> asked =
        *command ? std::vector<std::string>{command, "--help"} : std::vector<std::string>{"--help"};
    const RunResult option = Tool(asked);
    const RunResult help = Tool(*command ? std::vector<std::string>{"help", command}
                                         : std::vector<std::string>{"help"});
    EXPECT_EQ(help.exit_code, option.exit_code);
    EXPECT_EQ(help.out, option.out);
    EXPECT_EQ(help.err, option.err);
    if (IsXmltvCommand(command) && !kToolHasXmltv) {
      EXPECT_EQ(option.exit_code, 2);
      EXPECT_EQ(option.err, "skedtool: " + std::string(command) + no_xmltv);
      EXPECT_EQ(Tool({command, "x", "y"}).err, option.err);
    } else {
      EXPECT_EQ(option.exit_code, 0);
      EXPECT_NE(option.out.find("Usage: skedtool"), std::string::npos);
    }
  }
}

// A name given with an extension the programs add themselves names no file;
// the message says which name was meant.
TEST_F(SkedtoolTest, NamesWithAnExtensionGetAHint) {
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  WriteBase(dir_ / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"}});
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const std::string cant_open = ": Can't open file .ndx or .pdt! (did you mean 'skedtool ";
  std::vector<Case> cases = {
      {{"dump", "one.ndx"}, "dump: one.ndx" + cant_open + "dump one'? names go without .ndx)"},
      {{"week", "one.PDT"}, "week: one.PDT" + cant_open + "week one'? names go without .PDT)"},
      {{"review", "--bases", "one", "one.log"},
       "review: one.log" + cant_open + "review --bases one'? names go without .log)"},
      {{"check", "guide.cfg"},
       "check: cannot read " + CompositionFilePath("guide.cfg") +
           " (did you mean 'skedtool check guide'? names go without .cfg)"},
      {{"review", "guide.Cfg"},
       "review: guide.Cfg: Sections not found in .cfg file or .cfg file error! (did you mean "
       "'skedtool review guide'? names go without .Cfg)"},
      // Only a base that did not open: "one" is found, so no hint.
      {{"dump", "missing"}, "dump: missing: Can't open file .ndx or .pdt!"},
  };
  if (kToolHasXmltv) {
    cases.push_back({{"export", "one.ndx"},
                     "export: one.ndx" + cant_open + "export one'? names go without .ndx)"});
  }
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.args[0] + " " + entry.args.back());
    const RunResult run = Tool(entry.args);
    EXPECT_NE(run.exit_code, 0);
    EXPECT_EQ(run.err, "skedtool: " + entry.err + "\n");
  }
}

}  // namespace
