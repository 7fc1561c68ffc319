// The composer end to end: the real binary run in a scratch directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <thread>

#include "composition/composition_file.h"
#include "platform/base_lock.h"
#include "platform/file_replace.h"
#include "platform/replace_repair.h"
#include "tests/faulty_file_ops.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

const std::string kEmptyIndex(2, '\0');
const std::string kEmptyTitles = "QAX 3.x TV Program Data\n\n\n";
const std::string kEmptyLog = kLogHeader;

const std::vector<BaseEntry> kNews = {{0x01BF92A2AE856C00ull, "News"}};
const std::string kNewsIndex("\x01\x00\x00\x00\x00\x6C\x85\xAE\xA2\x92\xBF\x01\x1A\x00", 14);
const std::string kNewsTitles = kEmptyTitles + std::string("\x04\x00News", 6);
const std::string kNewsLog = kEmptyLog + "20 3 2000 19 30 1\r\nNews\r\n";

class ComposerTest : public ::testing::Test {
 protected:
  void ExpectGuide(const std::string& name, const std::string& index, const std::string& titles,
                   const std::string& log) {
    EXPECT_EQ(ReadFile(dir_ / (name + ".ndx")), index) << name;
    EXPECT_EQ(ReadFile(dir_ / (name + ".pdt")), titles) << name;
    EXPECT_EQ(ReadFile(dir_ / (name + ".log")), log) << name;
  }
  void ExpectEmptyGuide(const std::string& name) {
    ExpectGuide(name, kEmptyIndex, kEmptyTitles, kEmptyLog);
  }
  void ExpectNewsGuide(const std::string& name) {
    ExpectGuide(name, kNewsIndex, kNewsTitles, kNewsLog);
  }

  TempDir dir_;
};

TEST_F(ComposerTest, NoNamePrintsUsage) {
  const RunResult run = RunSkedcomp(dir_.path(), {});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + "Usage: skedcomp.exe filename_without_ext\n");
  EXPECT_EQ(run.err, "");
  EXPECT_EQ(dir_.List(), Names{});
}

// Alone, --help and --version answer; beside other names they are names.
TEST_F(ComposerTest, HelpAndVersionOnlyAlone) {
  for (const char* option : {"--help", "--version"}) {
    const RunResult run = RunSkedcomp(dir_.path(), {option});
    EXPECT_EQ(run.exit_code, 0) << option;
    EXPECT_EQ(run.out.rfind(kBanner, 0), 0u) << option;
    EXPECT_GT(run.out.size(), kBanner.size() + 10) << option;
    EXPECT_EQ(run.err, "") << option;
  }
  const RunResult version = RunSkedcomp(dir_.path(), {"--version"});
  EXPECT_EQ(version.out, kBanner + "skedcomp 2.0\n")
      << "exit " << version.exit_code << ": " << version.err;
  const RunResult run = RunSkedcomp(dir_.path(), {"--help", "--version"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out,
            kBanner + "Composing --help... Sections not found in .cfg file or .cfg file error!\n");
  EXPECT_EQ(dir_.List(), Names{});
}

// `skedcomp guide.cfg` looks for guide.cfg.cfg; the line on standard error
// names the form meant, and the fixed line stays as it was.
TEST_F(ComposerTest, NameWithItsExtensionGetsAHint) {
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  const RunResult run = RunSkedcomp(dir_.path(), {"guide.cfg"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner +
                         "Composing guide.cfg... Sections not found in .cfg file or .cfg file "
                         "error!\n");
  EXPECT_EQ(run.err, "skedcomp: guide.cfg: " + CompositionFilePath("guide.cfg") +
                         ": missing, unreadable, not a file, larger than 64 MiB, or without "
                         "sections (did you mean 'skedcomp guide'? names go without .cfg)\n");
}

TEST_F(ComposerTest, EveryNameGetsItsGuide) {
  WriteBase(dir_ / "one", kNews);
  WriteBase(dir_ / "two", {});
  WriteFile(dir_ / "a.cfg", "[one]\n[two]\n");
  WriteFile(dir_ / "b.cfg", "[two]\n");
  const RunResult run = RunSkedcomp(dir_.path(), {"a", "b"});
  EXPECT_EQ(run.exit_code, 0);
  EXPECT_EQ(run.out, kBanner + "Composing a... Ok\nComposing b... Ok\n");
  ExpectNewsGuide("a");
  ExpectEmptyGuide("b");
}

// A base read for one name and rewritten by the next is read anew by the
// one after: the same bytes as a run of that name alone.
TEST_F(ComposerTest, ANameSeesTheGuideAnEarlierNameWrote) {
  WriteBase(dir_ / "one", kNews);
  WriteBase(dir_ / "mid", {});
  WriteFile(dir_ / "mid.cfg", "[one]\ntimeshift=1\n");
  WriteFile(dir_ / "top.cfg", "[mid]\n[one]\n[mid]\n");
  const RunResult run = RunSkedcomp(dir_.path(), {"top", "mid", "top"});
  ASSERT_EQ(run.exit_code, 0) << run.err;
  const std::string composed = ReadFile(dir_ / "top.ndx") + ReadFile(dir_ / "top.pdt");
  ASSERT_EQ(RunSkedcomp(dir_.path(), {"top"}).exit_code, 0);
  EXPECT_EQ(composed, ReadFile(dir_ / "top.ndx") + ReadFile(dir_ / "top.pdt"));
  EXPECT_EQ(ReadFile(dir_ / "top.ndx").size(), 2u + 3 * 12);
}

TEST_F(ComposerTest, WindowsPathsInNamesAndSections) {
  std::filesystem::create_directories(dir_ / "bases");
  std::filesystem::create_directories(dir_ / "guides");
  WriteBase(dir_ / "bases/one", kNews);
  WriteFile(dir_ / "guides/week.cfg", "[..\\bases\\one]\n[bases\\one]\n");
  // Sections are opened relative to the current directory, not the .cfg.
  const RunResult run = RunSkedcomp(dir_.path(), {"guides\\week"});
  EXPECT_EQ(run.out, kBanner + "Composing guides\\week... Can't open file .ndx or .pdt!\n");
  WriteFile(dir_ / "guides/week.cfg", "[bases\\one]\n[.\\bases\\one]\nrange1=\n");
  const RunResult second = RunSkedcomp(dir_.path(), {"guides\\week"});
  EXPECT_EQ(second.out, kBanner + "Composing guides\\week... Ok\n");
  ExpectNewsGuide("guides/week");
}

TEST_F(ComposerTest, NameListingItselfIsReadThenReplaced) {
  WriteBase(dir_ / "guide", kNews);
  WriteFile(dir_ / "guide.cfg", "[guide]\n");
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  EXPECT_EQ(run.out, kBanner + "Composing guide... Ok\n");
  ExpectNewsGuide("guide");
}

// Each failure stops the run on the line of its name; later names are not composed.
TEST_F(ComposerTest, FailuresStopTheRunWithTheirMessage) {
  struct Case {
    const char* what;
    std::function<void(const TempDir&)> setup;
    std::string message;
    std::string explained;    // how the line on standard error starts, after the name
    bool posix_only = false;  // FIFOs and /proc
  };
  const std::string cfg = CompositionFilePath("bad") + ": missing, unreadable";
  const std::string cant_open = "its base's .ndx or .pdt is missing, unreadable";
  const Case cases[] = {
      {"missing composition file", [](const TempDir&) {},
       "Sections not found in .cfg file or .cfg file error!\n", cfg},
      {"composition file without sections",
       [](const TempDir& dir) { WriteFile(dir / "bad.cfg", "range1=1-2\n[]\n[ ]\n"); },
       "Sections not found in .cfg file or .cfg file error!\n", cfg},
      {"directory as composition file", [](const TempDir& dir) { MakeDirectory(dir / "bad.cfg"); },
       "Sections not found in .cfg file or .cfg file error!\n", cfg},
      {"missing channel base",
       [](const TempDir& dir) { WriteFile(dir / "bad.cfg", "[one]\n[nowhere]\n"); },
       "Can't open file .ndx or .pdt!\n", "section [nowhere]: " + cant_open},
      // Named as it stands, not as the base "one" a zero byte would cut it to.
      {"zero byte in a section name",
       [](const TempDir& dir) { WriteFile(dir / "bad.cfg", std::string("[one\0x]\n", 9)); },
       "Can't open file .ndx or .pdt!\n", "section [one\\x00x]: its name holds a zero byte"},
      {"channel without title file",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[half]\n");
         WriteFile(dir / "half.ndx", "");
       },
       "Can't open file .ndx or .pdt!\n", "section [half]: " + cant_open},
      {"FIFO as title file",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[fifo]\n");
         WriteFile(dir / "fifo.ndx", "");
         MakeFifo(dir / "fifo.pdt");
       },
       "Can't open file .ndx or .pdt!\n", "section [fifo]: " + cant_open, true},
      {"index file that fails to read",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[unreadable]\n");
         // Reading a process's own memory from offset 0 fails with EIO.
         MakeSymlink("/proc/self/mem", dir / "unreadable.ndx");
         WriteFile(dir / "unreadable.pdt", "");
       },
       "Read error!\n", "section [unreadable]: reading its base failed", true},
      {"channel of 401 programmes",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[big]\n");
         WriteBase(dir / "big", std::vector<BaseEntry>(401, BaseEntry{0x01BF92A2AE856C00ull, "x"}));
       },
       "Too many programs in .ndx file!\n", "section [big]: its base holds more than 400"},
      {"damaged channel",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[one]\n[damaged]\n");
         WriteFile(dir / "damaged.ndx", "\x01");
         WriteFile(dir / "damaged.pdt", "");
       },
       "Damaged .ndx or .pdt file!\n", "section [damaged]: its base is damaged"},
      {"read-only guide file",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[one]\n");
         WriteFile(dir / "bad.pdt", "old");
         MakeReadOnly(dir / "bad.pdt");
       },
       "Can't open file .ndx or .pdt or .log!\n", "cannot write the files"},
      {"directory at a guide file's name",
       [](const TempDir& dir) {
         WriteFile(dir / "bad.cfg", "[one]\n");
         MakeDirectory(dir / "bad.log");
       },
       "Can't open file .ndx or .pdt or .log!\n", "cannot write the files"},
  };
  for (const Case& entry : cases) {
    if (entry.posix_only && !IsPosix()) continue;
    SCOPED_TRACE(entry.what);
    TempDir dir;
    WriteBase(dir / "one", kNews);
    WriteFile(dir / "first.cfg", "[one]\n");
    WriteFile(dir / "later.cfg", "[one]\n");
    entry.setup(dir);
    const Names before = dir.List();
    const RunResult run = RunSkedcomp(dir.path(), {"first", "bad", "later"});
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_EQ(run.out, kBanner + "Composing first... Ok\nComposing bad... " + entry.message);
    // One line on standard error says what the fixed message cannot.
    EXPECT_EQ(run.err.rfind("skedcomp: bad: " + entry.explained, 0), 0u) << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    Names expected = before;
    for (const char* made : {"first.log", "first.ndx", "first.pdt"}) expected.push_back(made);
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(dir.List(), expected);
  }
}

TEST_F(ComposerTest, FailedWriteKeepsThePreviousGuide) {
  if (!IsPosix()) GTEST_SKIP() << "needs a file-size limit";
  WriteBase(dir_ / "one", kNews);
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  WriteFile(dir_ / "guide.ndx", "old ndx");
  WriteFile(dir_ / "guide.pdt", "old pdt");
  WriteFile(dir_ / "guide.log", "old log");
  // Every limit below the largest output file (the 83-byte log) makes some write fail.
  for (const long limit : {1L, 13L, 14L, 31L, 82L}) {
    const RunResult run = RunSkedcomp(dir_.path(), {"guide"}, limit);
    EXPECT_EQ(run.exit_code, 1) << limit;
    EXPECT_EQ(run.out, kBanner + "Composing guide... Write error!\n") << limit;
    EXPECT_EQ(run.err, "skedcomp: guide: write error; the old files are unchanged\n") << limit;
    EXPECT_EQ(ReadFile(dir_ / "guide.ndx"), "old ndx") << limit;
    EXPECT_EQ(ReadFile(dir_ / "guide.pdt"), "old pdt") << limit;
    EXPECT_EQ(ReadFile(dir_ / "guide.log"), "old log") << limit;
    EXPECT_EQ(dir_.List(),
              (Names{"guide.cfg", "guide.log", "guide.ndx", "guide.pdt", "one.ndx", "one.pdt"}))
        << limit;
  }
  // Room for the outputs and for the note of the replacement beside them.
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"}, 4096);
  EXPECT_EQ(run.out, kBanner + "Composing guide... Ok\n");
  ExpectNewsGuide("guide");
}

}  // namespace

// A run that finds its guide locked by another writer waits, says so once,
// and goes on when it is let go; the bases it only reads, and others beside
// them, keep nothing waiting.
TEST_F(ComposerTest, WaitsForTheLockOfAnotherRun) {
  WriteBase(dir_ / "one", kNews);
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  struct Case {
    const char* held;        // a base's file
    const char* waited_for;  // "" for none
  };
  for (const Case& held_case :
       {Case{"guide.ndx", "guide"}, Case{"one.ndx", ""}, Case{"two.ndx", ""}}) {
    SCOPED_TRACE(held_case.held);
    HeldLocks held;
    const BaseKey key = BaseKeyOf(dir_ / held_case.held);
    LockTrouble trouble;
    ASSERT_EQ(TakeLocks(std::span(&key, 1), std::chrono::seconds(1), &held, &trouble),
              LockWait::kTaken);
    std::thread letting_go([&held] {
      std::this_thread::sleep_for(std::chrono::seconds(2));
      ReleaseLocks(&held);
    });
    const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
    letting_go.join();
    EXPECT_EQ(run.out, kBanner + "Composing guide... Ok\n");
    const std::string waiting =
        *held_case.waited_for == '\0'
            ? ""
            : "skedcomp: waiting up to 10 s for another run that is using " +
                  std::string(held_case.waited_for) + "\n";
    // Under a wrapper such as valgrind the run may start only after the
    // lock is let go; then it has nothing to wait for.
    if (std::getenv("SKEDCOMP_TEST_WRAPPER") == nullptr || !run.err.empty()) {
      EXPECT_EQ(run.err, waiting);
    }
    ExpectGuide("guide", kNewsIndex, kNewsTitles, kNewsLog);
  }
}

// A base that a run stopped at any point left half replaced is read as one
// version: the guide takes all its old programmes or all its new ones; the
// composer, writing its guide in that folder, then mends it and says so.
TEST_F(ComposerTest, MendsWhatAStoppedRunLeftBeforeReadingIt) {
  TempDir fresh;
  WriteBase(fresh / "one", {{0x01BF92A2AE856C00ull, "Sport"}});
  const auto stop_replacing = [&](const TempDir& dir, FileFaults* faults) {
    const std::string index = ReadFile(fresh / "one.ndx");
    const std::string titles = ReadFile(fresh / "one.pdt");
    const FileReplacement files[] = {{dir / "one.ndx", index}, {dir / "one.pdt", titles}};
    ReplaceReport report;
    FaultyFileOps faulty(faults);
    ReplaceFiles(files, &report);
    TakeRepairNotes();
  };
  FileFaults counted;
  stop_replacing(fresh, &counted);
  int mended = 0;
  for (int k = 1; k <= counted.steps; ++k) {
    TempDir dir;
    WriteBase(dir / "one", kNews);
    WriteFile(dir / "guide.cfg", "[one]\n");
    FileFaults faults;
    faults.stop_at = k;
    stop_replacing(dir, &faults);
    const RunResult run = RunSkedcomp(dir.path(), {"guide"});
    EXPECT_EQ(run.exit_code, 0) << "stopped at " << k << ": " << run.err;
    const std::string guide_titles = ReadFile(dir / "guide.pdt");
    EXPECT_TRUE(guide_titles == kNewsTitles ||
                guide_titles == kEmptyTitles + std::string("\x05\x00Sport", 7))
        << "stopped at " << k;
    mended += run.err.find("that a stopped run left") != std::string::npos;
  }
  EXPECT_GT(mended, 0);
}

TEST_F(ComposerTest, GivesUpOnALockHeldThroughTheWait) {
  WriteBase(dir_ / "one", kNews);
  WriteFile(dir_ / "guide.cfg", "[one]\n");
  for (const char* file : {"guide.ndx", "guide.pdt", "guide.log"}) WriteFile(dir_ / file, "old");
  const BaseKey key = BaseKeyOf(dir_ / "guide.ndx");
  HeldLocks held;
  LockTrouble trouble;
  ASSERT_EQ(TakeLocks(std::span(&key, 1), std::chrono::seconds(1), &held, &trouble),
            LockWait::kTaken);
  const RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  EXPECT_EQ(run.exit_code, 1);
  EXPECT_EQ(run.out, kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n");
  EXPECT_EQ(run.err,
            "skedcomp: waiting up to 10 s for another run that is using guide\n"
            "skedcomp: guide: another run kept them locked for 10 s; nothing was changed\n");
  for (const char* file : {"guide.ndx", "guide.pdt", "guide.log"}) {
    EXPECT_EQ(ReadFile(dir_ / file), "old");
  }
  EXPECT_EQ(dir_.List(),
            (Names{"guide.cfg", "guide.log", "guide.ndx", "guide.pdt", "one.ndx", "one.pdt"}));
}
