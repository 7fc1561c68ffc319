// Each test here pins a fault found by attacking the tools: renames that
// fail for real, aliased outputs, huge and endless inputs, memory limits,
// quadratic reports, and output that is lost without a word.
#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "tests/guide_fixture.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

const std::string kComposing = kBanner + "Composing guide... ";

// Sanitizers and valgrind reserve far more address space than a limit for
// the program itself allows.
bool AddressSpaceCanBeLimited() {
#ifdef SKEDCOMP_SANITIZED
  return false;
#else
  return std::getenv("SKEDCOMP_TEST_WRAPPER") == nullptr;
#endif
}

using ReliabilityTest = GuideFixture;

// The last of three renames failed after the first two had landed: a new
// index beside an old log, and "Write error!" said nothing of it.
TEST_F(ReliabilityTest, RenameFailingAtTheLastFileKeepsTheWholeOldGuide) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to bind-mount a file over guide.log";
  WriteOldGuide();
  WriteFile(dir_ / "elsewhere", "old guide.log");
  // A mount point cannot be renamed over: EBUSY, however writable it is.
  if (::mount((dir_ / "elsewhere").c_str(), (dir_ / "guide.log").c_str(), nullptr, MS_BIND,
              nullptr) != 0) {
    GTEST_SKIP() << "this system does not allow a bind mount here";
  }
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  WriteFile(dir_ / "base.listing", "2000-03-20\t19:30\tMon\tNews\n");
  for (const char* file : {"base.ndx", "base.pdt"}) WriteFile(dir_ / file, "old");
  ASSERT_EQ(
      ::mount((dir_ / "elsewhere").c_str(), (dir_ / "base.pdt").c_str(), nullptr, MS_BIND, nullptr),
      0);
  const RunResult make = RunSkedtool(dir_.path(), {"make", "base", "base.listing"});
  ::umount((dir_ / "guide.log").c_str());
  ::umount((dir_ / "base.pdt").c_str());

  EXPECT_EQ(run.out, kComposing + "Write error!\n");
  EXPECT_EQ(run.err, "skedcomp: guide: write error; the old files are unchanged\n");
  EXPECT_EQ(run.exit_code, 1);
  ExpectOldGuide("mount point at guide.log");
  EXPECT_EQ(make.exit_code, 1);
  EXPECT_EQ(make.err, "skedtool: make: base: write error; the old files are unchanged\n");
  EXPECT_EQ(ReadFile(dir_ / "base.ndx"), "old");
}

// The same through a sticky folder: the log belongs to another user, so it
// may be written but not renamed over.
TEST_F(ReliabilityTest, FileOfAnotherUserInAStickyFolderKeepsTheWholeOldGuide) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  WriteOldGuide();
  for (const char* file : {"guide.ndx", "guide.pdt"}) {
    ASSERT_EQ(::chown((dir_ / file).c_str(), 65534, 65534), 0);
  }
  ::chmod((dir_ / "guide.log").c_str(), 0666);
  ::chmod(dir_.path().c_str(), 01777);
  if (!NobodyCanRun(SKEDCOMP_BINARY)) {
    GTEST_SKIP() << "user 65534 cannot reach " << SKEDCOMP_BINARY << " (a folder of mode 700?)";
  }
  RunOptions as_nobody;
  as_nobody.as_nobody = true;
  const RunResult run = RunProgram(SKEDCOMP_BINARY, dir_.path(), {"guide"}, as_nobody);
  EXPECT_EQ(run.out, kComposing + "Write error!\n");
  ExpectOldGuide("sticky folder");
}

TEST_F(ReliabilityTest, TwoGuideFilesThatAreOneFileAreRefused) {
  WriteOldGuide();
  ::unlink((dir_ / "guide.ndx").c_str());
  ASSERT_EQ(::symlink("guide.pdt", (dir_ / "guide.ndx").c_str()), 0);
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  EXPECT_EQ(run.out, kComposing + "Can't open file .ndx or .pdt or .log!\n");
  EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), "old guide.pdt");
  EXPECT_EQ(ReadFile(dir_ / "guide.log"), "old guide.log");
}

// A composition file or listing far larger than memory, or one without end,
// ended in std::bad_alloc and SIGABRT, or read for ever.
TEST_F(ReliabilityTest, HugeAndEndlessInputsAreRefused) {
  WriteFile(dir_ / "huge.cfg", "[one]\n");
  ASSERT_EQ(::truncate((dir_ / "huge.cfg").c_str(), std::int64_t{200} << 30), 0);
  WriteFile(dir_ / "huge.listing", "");
  ASSERT_EQ(::truncate((dir_ / "huge.listing").c_str(), std::int64_t{300} << 20), 0);
  ASSERT_EQ(::symlink("/proc/self/pagemap", (dir_ / "endless.cfg").c_str()), 0);
  for (const char* name : {"huge", "endless"}) {
    RunResult run = RunSkedcomp(dir_.path(), {name});
    EXPECT_EQ(run.out, kBanner + "Composing " + name +
                           "... Sections not found in .cfg file or .cfg file error!\n");
    EXPECT_EQ(run.exit_code, 1);
    run = RunSkedtool(dir_.path(), {"check", name});
    EXPECT_EQ(run.err, std::string("skedtool: check: ./") + name +
                           ".cfg is larger than 64 MiB, the most a composition file may hold\n");
    EXPECT_EQ(run.exit_code, 2);
  }
  const RunResult make = RunSkedtool(dir_.path(), {"make", "base", "huge.listing"});
  EXPECT_EQ(make.err,
            "skedtool: make: huge.listing is larger than 64 MiB, the most a listing may hold\n");
  EXPECT_EQ(make.exit_code, 1);
  EXPECT_FALSE(FileExists(dir_ / "base.ndx"));
}

TEST_F(ReliabilityTest, RunningOutOfMemoryIsAFailureNotAnAbort) {
  if (!AddressSpaceCanBeLimited()) GTEST_SKIP() << "sanitizers or valgrind need the address space";
  WriteOldGuide();
  // Within the input limit, beyond what 48 MB of address space can hold.
  std::string composition = "[one]\n";
  while (composition.size() < (std::size_t{60} << 20)) composition += "key=value\n";
  WriteFile(dir_ / "guide.cfg", composition);
  WriteFile(dir_ / "big.listing", std::string(std::size_t{60} << 20, '#'));
  RunOptions limited;
  limited.address_space_limit = 48L << 20;
  RunResult run = RunProgram(SKEDCOMP_BINARY, dir_.path(), {"guide"}, limited);
  EXPECT_EQ(run.out, kComposing + "Out of memory!\n");
  EXPECT_EQ(run.exit_code, 1);
  ExpectOldGuide("out of memory");
  run = RunProgram(SKEDTOOL_BINARY, dir_.path(), {"check", "guide"}, limited);
  EXPECT_EQ(run.err, "skedtool: check: out of memory\n");
  EXPECT_EQ(run.exit_code, 2);
  run = RunProgram(SKEDTOOL_BINARY, dir_.path(), {"make", "base", "big.listing"}, limited);
  EXPECT_EQ(run.err, "skedtool: make: out of memory\n");
  EXPECT_EQ(run.exit_code, 1);
}

// One list of N overlapping ranges printed a warning per pair: 16,000 ranges
// gave 128 million lines. Now the first few of each kind, then a count.
TEST_F(ReliabilityTest, CheckReportStaysShortForHugeLists) {
  constexpr int kRanges = 2000;
  std::string composition = "[one]\nrange1=";
  for (int i = 0; i < kRanges; ++i) composition += "19:00-21:00,";
  composition += "\nrange2=";
  for (int i = 0; i < kRanges; ++i) composition += "5:00-5:00,";
  composition += "\n";
  for (int i = 0; i < kRanges; ++i) composition += "colour" + std::to_string(i) + "=red\n";
  WriteFile(dir_ / "guide.cfg", composition);
  const RunResult run = RunSkedtool(dir_.path(), {"check", "guide"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_LT(std::count(run.out.begin(), run.out.end(), '\n'), 50) << run.out;
  constexpr long long kPairs = 1LL * kRanges * (kRanges - 1) / 2;
  for (const std::string& line :
       {"  ... " + std::to_string(kPairs - 3) + " more pairs of overlapping ranges in range1 " +
            "not shown\n",
        "  ... " + std::to_string(kRanges - 3) + " more ranges that take nothing in range2 " +
            "not shown\n",
        "  ... " + std::to_string(kRanges - 3) + " more unknown keys in this section not shown\n",
        ", " + std::to_string(kPairs + 2 * kRanges) + " warnings.\n"}) {
    EXPECT_NE(run.out.find(line), std::string::npos) << line << "--- report:\n" << run.out;
  }
}

// The sweep counts exactly the pairs the old pair by pair test found.
TEST_F(ReliabilityTest, CheckCountsEveryOverlappingPair) {
  struct Case {
    const char* ranges;
    int pairs;
  };
  const Case cases[] = {
      {"1:00-3:00, 2:00-4:00, 3:00-5:00", 2},  // ends are exclusive
      {"1:00-3:00, 1:00-3:00, 1:00-3:00, 1:00-3:00", 6},
      {"-5:00-1:00, -2:00-0:30, 0:00-0:10", 3},  // clipped at midnight
      {"-5:00-0:00, -2:00-0:00", 0},
      {"1:00-9:00, 2:00-3:00, 4:00-5:00, 6:00-7:00, 2:30-4:30", 6},
      {"3:00-1:00, 0:00-24:00", 0},
  };
  for (const Case& entry : cases) {
    WriteFile(dir_ / "guide.cfg", std::string("[one]\nrange1=") + entry.ranges + "\n");
    const RunResult run = RunSkedtool(dir_.path(), {"check", "guide"});
    std::size_t shown = 0;
    for (std::size_t at = 0; (at = run.out.find(" overlap (", at)) != std::string::npos; ++at) {
      ++shown;
    }
    const std::string more = "  ... " + std::to_string(entry.pairs - 3) + " more pairs";
    EXPECT_EQ(shown, static_cast<std::size_t>(std::min(entry.pairs, 3))) << entry.ranges << run.out;
    EXPECT_EQ(run.out.find(more) != std::string::npos, entry.pairs > 3) << entry.ranges << run.out;
  }
}

// "timeshift=1:30" composes as 1 hour, and check said nothing.
TEST_F(ReliabilityTest, CheckWarnsOfATimeshiftReadOnlyInPart) {
  struct Case {
    const char* value;
    const char* warning;  // what follows `timeshift "VALUE" `; "" for no warning
  };
  const Case cases[] = {
      {"1:30",
       "is read as +1 hour: \":30\" after the number is ignored (minutes are not read: a shift "
       "is whole hours)\n"},
      {"1.5", "is read as +1 hour: \".5\" after the number is ignored (a fraction is not read"},
      {"0x10", "is read as 0 hours: \"x10\" after the number is ignored (hexadecimal is not"},
      {"1e1", "is read as +1 hour: \"e1\" after the number is ignored (an exponent is not read)"},
      {"-2 h", "is read as -2 hours: \"h\" after the number is ignored (only the number is read)"},
      {"2 ; CET", ""},
      {"+3", ""},
  };
  for (const Case& entry : cases) {
    WriteFile(dir_ / "guide.cfg", std::string("[one]\ntimeshift=") + entry.value + "\n");
    const RunResult run = RunSkedtool(dir_.path(), {"check", "guide"});
    if (*entry.warning == '\0') {
      EXPECT_EQ(run.out.find("warning:"), std::string::npos) << entry.value << "\n" << run.out;
      continue;
    }
    const std::string warning =
        std::string("  warning: timeshift \"") + entry.value + "\" " + entry.warning;
    EXPECT_NE(run.out.find(warning), std::string::npos) << warning << "\n" << run.out;
    EXPECT_EQ(run.exit_code, 1);
  }
}

TEST_F(ReliabilityTest, CheckShowsAZeroByteInASectionName) {
  WriteFile(dir_ / "guide.cfg", std::string("[one\0two]\n", 10));
  const RunResult run = RunSkedtool(dir_.path(), {"check", "guide"});
  EXPECT_NE(run.out.find("\n[one\\x00two]\n"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("  error: base one\\x00two: Can't open file .ndx or .pdt!\n"),
            std::string::npos)
      << run.out;
}

// dump and week into a full device exited 1 without a word.
TEST_F(ReliabilityTest, EveryCommandReportsLostOutput) {
  RunOptions full;
  full.stdout_file = "/dev/full";
  const struct {
    Names args;
    int exit_code;
  } cases[] = {
      {{"dump", "one"}, 1},    {{"week", "one"}, 1}, {{"check", "guide"}, 2},
      {{"dump", "--help"}, 1}, {{"--help"}, 1},      {{"--version"}, 1},
  };
  for (const auto& entry : cases) {
    const RunResult run = RunProgram(SKEDTOOL_BINARY, dir_.path(), entry.args, full);
    EXPECT_EQ(run.exit_code, entry.exit_code) << entry.args[0];
    EXPECT_NE(run.err.find("cannot write to standard output\n"), std::string::npos)
        << entry.args[0] << ": " << run.err;
  }
}

// "Composing NAME... " came out only with the name's result, so a watcher of
// a long run could not see which name was being composed. The system calls
// show the order: the line is written before the composition file is read.
TEST_F(ReliabilityTest, ProgressIsShownBeforeTheNameIsComposed) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  if (std::getenv("SKEDCOMP_TEST_WRAPPER") != nullptr) GTEST_SKIP() << "runs under a wrapper";
  const std::string trace = dir_ / "trace";
  const RunResult run = RunProgram(
      "strace", dir_.path(), {"-o", trace, "-e", "trace=openat,write", SKEDCOMP_BINARY, "guide"});
  if (run.exit_code != 0) GTEST_SKIP() << "strace cannot trace here: " << run.err;
  const std::string calls = ReadFile(trace);
  const std::size_t progress = calls.find("write(1, \"Composing guide... \"");
  const std::size_t composition = calls.find("\"./guide.cfg\"");
  ASSERT_NE(progress, std::string::npos) << calls;
  ASSERT_NE(composition, std::string::npos) << calls;
  EXPECT_LT(progress, composition) << calls;
}

// --sync flushes each new file and the record of the replacement before any
// is put in place, and the folder before and after; without it, nothing is.
TEST_F(ReliabilityTest, SyncFlushesBeforeTheExchange) {
  if (std::system("strace -V >/dev/null 2>&1") != 0) GTEST_SKIP() << "strace is not installed";
  if (std::getenv("SKEDCOMP_TEST_WRAPPER") != nullptr) GTEST_SKIP() << "runs under a wrapper";
  WriteFile(dir_ / "base.listing", "2000-03-20\t19:30\tMon\tNews\n");
  WriteFile(dir_ / "base.ndx", "old");
  for (const bool sync : {false, true}) {
    const std::string trace = dir_ / "trace";
    Names args = {"-o", trace, "-e", "trace=fsync,renameat2", SKEDTOOL_BINARY, "make"};
    if (sync) args.push_back("--sync");
    args.insert(args.end(), {"base", "base.listing"});
    const RunResult run = RunProgram("strace", dir_.path(), args);
    if (run.exit_code != 0) GTEST_SKIP() << "strace cannot trace here: " << run.err;
    const std::string calls = ReadFile(trace);
    std::size_t flushes_first = 0;
    for (std::size_t at = calls.find("fsync("); at < calls.find("renameat2(");
         at = calls.find("fsync(", at + 1)) {
      ++flushes_first;
    }
    // Two files, the record at its start and at its commit, the folder.
    EXPECT_EQ(flushes_first, sync ? 5u : 0u) << calls;
    EXPECT_EQ(calls.find("fsync(", calls.rfind("renameat2(")) != std::string::npos, sync) << calls;
  }
}

// A temporary file the system refused to remove was left without a word:
// each is now named, and the usual output stays as it was.
struct LeftBehindCase {
  const char* binary;
  Names args;
  std::string out;
  std::string line_start;  // of each line naming a file left
  std::size_t left;        // how many: the old files of an exchange
};

void ExpectTemporariesNamed(const TempDir& dir, const std::vector<LeftBehindCase>& cases) {
  RunOptions options;
  options.environment = {std::string("LD_PRELOAD=") + SKEDCOMP_REFUSE_UNLINK,
                         "ASAN_OPTIONS=verify_asan_link_order=0"};
  std::size_t left_so_far = 0;
  for (const LeftBehindCase& entry : cases) {
    SCOPED_TRACE(entry.args[0]);
    const RunResult run = RunProgram(entry.binary, dir.path(), entry.args, options);
    EXPECT_EQ(run.exit_code, 0) << run.err;
    EXPECT_EQ(run.out, entry.out);
    std::size_t lines = 0;
    for (std::size_t at = 0; at < run.err.size(); at = run.err.find('\n', at) + 1) {
      const std::string line = run.err.substr(at, run.err.find('\n', at) - at);
      if (line.starts_with("skedtool: import: starts stored in")) continue;  // the zone it names
      EXPECT_EQ(line.rfind(entry.line_start, 0), 0u) << line;
      const std::size_t name = line.find(".skedcomp-");
      ASSERT_NE(name, std::string::npos) << line;
      EXPECT_TRUE(FileExists(dir / line.substr(name, line.find(' ', name) - name))) << line;
      ++lines;
    }
    EXPECT_EQ(lines, entry.left);
    left_so_far += entry.left;
    std::size_t in_folder = 0;
    for (const std::string& name : dir.List()) in_folder += name.rfind(".skedcomp-", 0) == 0;
    EXPECT_EQ(in_folder, left_so_far);
  }
}

bool UnderWrapper() { return std::getenv("SKEDCOMP_TEST_WRAPPER") != nullptr; }
constexpr const char* kNoPreload =
    "the library that refuses removals cannot be preloaded under a wrapper";

TEST_F(ReliabilityTest, TemporariesThatCannotBeRemovedAreNamed) {
  if (UnderWrapper()) GTEST_SKIP() << kNoPreload;
  WriteOldGuide();
  // Each old file, and the record of the replacement.
  ExpectTemporariesNamed(
      dir_,
      {{SKEDCOMP_BINARY, {"guide"}, kComposing + "Ok\n", "skedcomp: the temporary file ", 4}});
  // Apart, so that make does not come upon what skedcomp left.
  TempDir apart;
  WriteFile(apart / "base.listing", "2000-03-20\t19:30\tMon\tNews\n");
  for (const char* file : {"base.ndx", "base.pdt"}) WriteFile(apart / file, "old");
  ExpectTemporariesNamed(apart, {{SKEDTOOL_BINARY,
                                  {"make", "base", "base.listing"},
                                  "",
                                  "skedtool: make: warning: the temporary file ",
                                  3}});
}

TEST_F(ReliabilityTest, TemporariesThatImportCannotRemoveAreNamed) {
  if (UnderWrapper()) GTEST_SKIP() << kNoPreload;
  if (!kToolHasXmltv) GTEST_SKIP() << kNoXmltvReason;
  for (const char* file : {"a.ndx", "a.pdt", "b.ndx", "b.pdt"}) WriteFile(dir_ / file, "old");
  WriteFile(dir_ / "tv.xml",
            "<tv><programme start=\"20001207120000\" channel=\"a\"/>"
            "<programme start=\"20001207120000\" channel=\"b\"/></tv>");
  ExpectTemporariesNamed(dir_, {{SKEDTOOL_BINARY,
                                 {"import", "--tz", "UTC", "tv.xml", "."},
                                 "a\t1 programme\t./a\nb\t1 programme\t./b\n",
                                 "skedtool: import: warning: the temporary file ",
                                 6}});
}

}  // namespace
