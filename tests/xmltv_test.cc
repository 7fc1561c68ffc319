// skedtool import and export against the example XMLTV file and its golden
// listings, round trips, every refusal, and files from the network at their
// worst.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

const std::string kSample = std::string(SKEDCOMP_EXAMPLES_DIR) + "/xmltv/sample.xml";
const std::string kGolden = std::string(SKEDCOMP_EXAMPLES_DIR) + "/xmltv/";
const char* const kChannels[] = {"kino.example.org", "news.example.com", "sport.example.net"};

RunResult Tool(const TempDir& dir, const Names& args) { return RunSkedtool(dir.path(), args); }

std::string Document(const std::string& programmes) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>\n" + programmes + "</tv>\n";
}

std::string Programme(const std::string& channel, const std::string& start,
                      const std::string& title) {
  return "<programme start=\"" + start + "\" channel=\"" + channel + "\"><title>" + title +
         "</title></programme>\n";
}

TEST(XmltvTest, ImportsTheExampleAsItsGoldenListings) {
  TempDir dir;
  const RunResult run = Tool(dir, {"import", "--tz", "Europe/Berlin", kSample, "."});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out,
            "kino.example.org\t23 programmes\t./kino.example.org\n"
            "news.example.com\t21 programmes\t./news.example.com\n"
            "sport.example.net\t14 programmes\t./sport.example.net\n");
  EXPECT_EQ(run.err,
            "skedtool: import: channel sport.example.net: 42 characters not in cp1252 became "
            "'?'\n");
  for (const char* channel : kChannels) {
    EXPECT_EQ(Tool(dir, {"dump", channel}).out, ReadFile(kGolden + channel + ".listing"))
        << channel;
  }
  // Laid out as skedcomp and make write a base: made from its listing, the same bytes.
  ASSERT_EQ(Tool(dir, {"make", "again", kGolden + "kino.example.org.listing"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "again.ndx"), ReadFile(dir / "kino.example.org.ndx"));
  EXPECT_EQ(ReadFile(dir / "again.pdt"), ReadFile(dir / "kino.example.org.pdt"));
}

TEST(XmltvTest, ExportThenImportGivesTheSameBytes) {
  TempDir first;
  TempDir second;
  ASSERT_EQ(Tool(first, {"import", "--tz", "Europe/Berlin", kSample, "."}).exit_code, 0);
  for (const char* channel : kChannels) {
    const RunResult exported = Tool(first, {"export", "--tz", "Europe/Berlin", channel});
    ASSERT_EQ(exported.exit_code, 0) << exported.err;
    WriteFile(second / "exported.xml", exported.out);
    ASSERT_EQ(Tool(second, {"import", "--tz", "Europe/Berlin", "exported.xml", "."}).exit_code, 0);
    for (const char* extension : {".ndx", ".pdt"}) {
      EXPECT_EQ(ReadFile(second / (channel + std::string(extension))),
                ReadFile(first / (channel + std::string(extension))))
          << channel << extension;
    }
  }
}

// The same document in ISO-8859-1 and in UTF-8 gives the same bases.
TEST(XmltvTest, Latin1DocumentGivesTheBasesOfItsUtf8Twin) {
  TempDir dir;
  const std::string latin1 = "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n<tv>\n" +
                             Programme("a", "20261207200000 +0100", "Caf\xE9 f\xFCr Z\xFCrich") +
                             "</tv>\n";
  const std::string utf8 =
      Document(Programme("a", "20261207200000 +0100", "Caf\xC3\xA9 f\xC3\xBCr Z\xC3\xBCrich"));
  WriteFile(dir / "latin1.xml", latin1);
  WriteFile(dir / "utf8.xml", utf8);
  MakeDirectory(dir / "from-latin1");
  MakeDirectory(dir / "from-utf8");
  ASSERT_EQ(Tool(dir, {"import", "--tz", "UTC", "latin1.xml", "from-latin1"}).exit_code, 0);
  ASSERT_EQ(Tool(dir, {"import", "--tz", "UTC", "utf8.xml", "from-utf8"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "from-latin1/a.pdt"), ReadFile(dir / "from-utf8/a.pdt"));
  EXPECT_EQ(ReadFile(dir / "from-latin1/a.ndx"), ReadFile(dir / "from-utf8/a.ndx"));
  EXPECT_EQ(Tool(dir, {"dump", "from-utf8/a"}).out,
            "2026-12-07\t19:00\tMon\tCaf\xE9 f\xFCr Z\xFCrich\n");
}

TEST(XmltvTest, ChannelsLanguagesAndTheWindow) {
  TempDir dir;
  // Monday to Wednesday; Tuesday's has an English title too.
  WriteFile(
      dir / "tv.xml",
      Document(Programme("a", "20261207120000", "Mon") +
               "<programme start=\"20261208120000\" channel=\"a\"><title "
               "lang=\"de\">Dienstag</title><title lang=\"en\">Tuesday</title></programme>\n" +
               Programme("a", "20261209120000", "Wed") +
               Programme("b c/d", "20261207120000", "Other")));
  RunResult run = Tool(dir, {"import", "--tz", "UTC", "--lang", "en", "--channel", "a", "--from",
                             "2026-12-08", "--to", "2026-12-09", "tv.xml", "."});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(run.out, "a\t1 programme\t./a\n");
  EXPECT_EQ(Tool(dir, {"dump", "a"}).out, "2026-12-08\t12:00\tTue\tTuesday\n");
  run = Tool(dir, {"import", "--tz", "UTC", "--channel", "b c/d", "tv.xml", "."});
  EXPECT_EQ(run.out, "b c/d\t1 programme\t./b_c_d\n");
  // No title is an empty one; one past 1,999 bytes is cut there.
  WriteFile(dir / "titles.xml", Document("<programme start=\"20261207120000\" channel=\"t\"/>\n" +
                                         Programme("t", "20261207130000", std::string(2500, 'x'))));
  run = Tool(dir, {"import", "--tz", "UTC", "titles.xml", "."});
  EXPECT_EQ(run.err, "skedtool: import: channel t: 1 title longer than 1999 bytes cut there\n");
  EXPECT_EQ(Tool(dir, {"dump", "t"}).out,
            "2026-12-07\t12:00\tMon\t\n2026-12-07\t13:00\tMon\t" + std::string(1999, 'x') + "\n");
  run = Tool(dir, {"import", "--tz", "UTC", "tv.xml", "missing"});
  EXPECT_EQ(run.err, "skedtool: import: missing/a: cannot write the .ndx or .pdt file\n");
  EXPECT_EQ(run.exit_code, 1);
  run = Tool(dir, {"import", "--tz", "UTC", "--channel", "none", "tv.xml", "."});
  EXPECT_EQ(run.err,
            "skedtool: import: channel none: no programmes in the window; nothing written\n");
  EXPECT_EQ(run.exit_code, 0);
}

// Each refusal is one line, exit code 1, and no file written at all.
TEST(XmltvTest, RefusalsWriteNothing) {
  std::string crowded;
  for (int i = 0; i < 401; ++i) {
    char start[32];
    std::snprintf(start, sizeof start, "202612%02d%02d0000", 1 + i / 24, i % 24);
    crowded += Programme("busy", start, "P");
  }
  crowded += Programme("quiet", "20261207120000", "Q");
  struct Case {
    const char* what;
    std::string document;  // as tv.xml; "" for none
    Names options;
    std::string error;
  };
  const Case cases[] = {
      {"not well-formed",
       "<tv>\n<programme>\n</tv>\n",
       {},
       "skedtool: import: tv.xml:3: not well-formed XML: Opening and ending tag mismatch: "
       "programme line 2 and tv\n"},
      {"unreadable file", "", {}, "skedtool: import: cannot read tv.xml\n"},
      {"start no time",
       Document(Programme("a", "20261207120000", "Fine") + Programme("a", "2026-12-07", "Bad")),
       {},
       "skedtool: import: tv.xml:4: programme of a: start \"2026-12-07\" is no valid XMLTV "
       "time (YYYYMMDDhhmmss +HHMM)\n"},
      {"401 in the window",
       Document(crowded),
       {},
       "skedtool: import: channel busy: 401 programmes in the window, but a base holds at most "
       "400; choose fewer days with --from and --to\n"},
      {"unknown zone",
       Document(Programme("a", "20261207120000", "x")),
       {"--tz", "Mars/Olympus"},
       "skedtool: import: unknown time zone 'Mars/Olympus'\n"},
      {"unknown code page",
       Document(Programme("a", "20261207120000", "x")),
       {"--codepage", "cp9999"},
       "skedtool: import: unknown code page 'cp9999' (an iconv name, e.g. cp1252)\n"},
  };
  for (const Case& entry : cases) {
    SCOPED_TRACE(entry.what);
    TempDir dir;
    if (!entry.document.empty()) WriteFile(dir / "tv.xml", entry.document);
    MakeDirectory(dir / "out");
    Names args = {"import"};
    if (entry.options.empty()) args.insert(args.end(), {"--tz", "UTC"});
    args.insert(args.end(), entry.options.begin(), entry.options.end());
    args.insert(args.end(), {"tv.xml", "out"});
    const RunResult run = Tool(dir, args);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.err, entry.error);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(std::filesystem::is_empty(dir / "out"));
  }
}

// An XMLTV file comes from the network: it must not reach beyond itself.
TEST(XmltvTest, NothingBeyondTheFileIsRead) {
  TempDir dir;
  WriteFile(dir / "secret", "SECRET");
  const std::string secret_url = "file://" + std::filesystem::absolute(dir / "secret").string();
  WriteFile(dir / "xxe.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [ <!ENTITY xxe SYSTEM \"" +
                                 secret_url + "\"> ]>\n<tv>\n" +
                                 Programme("a", "20261207120000", "&xxe;") + "</tv>\n");
  WriteFile(dir / "dtd.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE tv SYSTEM \"" + secret_url +
                                 "\">\n<tv>\n" + Programme("a", "20261207120000", "Fine") +
                                 "</tv>\n");
  std::string bomb = "<?xml version=\"1.0\"?>\n<!DOCTYPE tv [\n <!ENTITY b0 \"lol\">\n";
  for (int i = 1; i <= 12; ++i) {
    bomb += " <!ENTITY b" + std::to_string(i) + " \"";
    for (int k = 0; k < 10; ++k) bomb += "&b" + std::to_string(i - 1) + ";";
    bomb += "\">\n";
  }
  bomb += "]>\n<tv>\n" + Programme("a", "20261207120000", "&b12;") + "</tv>\n";
  WriteFile(dir / "bomb.xml", bomb);

  RunResult run = Tool(dir, {"import", "--tz", "UTC", "xxe.xml", "."});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_NE(run.err.find("entity &xxe; is refused"), std::string::npos) << run.err;
  EXPECT_FALSE(FileExists(dir / "a.pdt"));
  // A DTD named by the document is not loaded either; the document itself is fine.
  run = Tool(dir, {"import", "--tz", "UTC", "dtd.xml", "."});
  EXPECT_EQ(run.exit_code, 0) << run.err;
  EXPECT_EQ(ReadFile(dir / "a.pdt").find("SECRET"), std::string::npos);
  run = Tool(dir, {"import", "--tz", "UTC", "bomb.xml", "bomb"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
}

// A wall time that the autumn change repeats, or the spring change skips,
// is written with the offset in force before the change.
TEST(XmltvTest, ExportAroundDaylightSavingChanges) {
  TempDir dir;
  WriteFile(dir / "tv.listing",
            "2026-03-29\t01:30\tSun\tBefore spring\n"
            "2026-03-29\t02:30\tSun\tSkipped\n"
            "2026-03-29\t03:30\tSun\tAfter spring\n"
            "2026-10-25\t02:30\tSun\tRepeated\n"
            "2026-10-25\t03:30\tSun\tAfter autumn\n");
  ASSERT_EQ(Tool(dir, {"make", "tv", "tv.listing"}).exit_code, 0);
  const RunResult run =
      Tool(dir, {"export", "--tz", "Europe/Berlin", "--channel-id", "tv.example", "tv"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  for (const char* start : {"start=\"20260329013000 +0100\" stop=\"20260329023000 +0100\"",
                            "start=\"20260329023000 +0100\" stop=\"20260329033000 +0200\"",
                            "start=\"20261025023000 +0200\" stop=\"20261025033000 +0100\"",
                            "start=\"20261025033000 +0100\" channel=\"tv.example\""}) {
    EXPECT_NE(run.out.find(start), std::string::npos) << start << "\n" << run.out;
  }
  EXPECT_NE(run.out.find("<channel id=\"tv.example\">\n  <display-name>tv.example</display-name>"),
            std::string::npos)
      << run.out;
}

// The export is valid XMLTV: against the DTD, and to XMLTV's own tools.
TEST(XmltvTest, ExportIsValidXmltv) {
  const char* const dtd = "/usr/share/xmltv/xmltv.dtd";
  if (std::system("xmllint --version >/dev/null 2>&1") != 0 ||
      std::system("command -v tv_sort >/dev/null 2>&1") != 0 || !FileExists(dtd)) {
    GTEST_SKIP() << "needs xmllint (libxml2-utils) and tv_sort with " << dtd << " (xmltv-util)";
  }
  TempDir dir;
  ASSERT_EQ(Tool(dir, {"import", "--tz", "Europe/Berlin", kSample, "."}).exit_code, 0);
  const RunResult run = Tool(dir, {"export", "--tz", "Europe/Berlin", "kino.example.org",
                                   "news.example.com", "sport.example.net"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  WriteFile(dir / "all.xml", run.out);
  const std::string file = dir / "all.xml";
  EXPECT_EQ(std::system(("xmllint --noout --nowarning --dtdvalid " + std::string(dtd) + " " + file +
                         " 2>/dev/null")
                            .c_str()),
            0);
  EXPECT_EQ(std::system(("tv_sort --output /dev/null " + file).c_str()), 0);
}

}  // namespace
