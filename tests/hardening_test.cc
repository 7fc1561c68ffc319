// Fault injection on the real binary: failing writes, permissions, planted
// links, non-regular files, and runs killed midway. No failure may lose or
// half-write a guide.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <filesystem>

#include <chrono>
#include <cstdio>
#include <functional>
#include <random>
#include <thread>

#include "platform/our_files.h"
#include "tests/guide_fixture.h"
#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

using Names = std::vector<std::string>;

using HardeningTest = GuideFixture;

TEST_F(HardeningTest, EveryWriteFailingInTurnKeepsThePreviousGuide) {
  // The sizes of the guide files a run writes, from a run without limits.
  TempDir reference;
  WriteBase(reference / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                                {FileTimeOf(2000, 3, 20, 20, 0), "Film: Caf\xE9"}});
  WriteFile(reference / "guide.cfg", "[one]\n");
  ASSERT_EQ(RunSkedcomp(reference.path(), {"guide"}).exit_code, 0);
  std::size_t largest = 0;
  for (const char* file : kGuideFiles)
    largest = std::max(largest, ReadFile(reference / file).size());

  WriteOldGuide();
  for (std::size_t limit = 1; limit < largest; ++limit) {
    const RunResult run = RunSkedcomp(dir_.path(), {"guide"}, static_cast<long>(limit));
    ASSERT_EQ(run.out, kBanner + "Composing guide... Write error!\n") << "limit " << limit;
    EXPECT_EQ(run.exit_code, 1);
    ExpectOldGuide("limit " + std::to_string(limit));
  }
  // Room for the outputs and for the note of the replacement beside them.
  ASSERT_EQ(RunSkedcomp(dir_.path(), {"guide"}, 4096).exit_code, 0);
  for (const char* file : kGuideFiles) EXPECT_EQ(ReadFile(dir_ / file), ReadFile(reference / file));
}

// Run as "nobody" so that permissions bite even when the tests run as root.
TEST_F(HardeningTest, PermissionsAreRespected) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to run as another user";
  if (!NobodyCanRun(SKEDCOMP_BINARY)) {
    GTEST_SKIP() << "user 65534 cannot reach " << SKEDCOMP_BINARY << " (a folder of mode 700?)";
  }
  RunOptions as_nobody;
  as_nobody.as_nobody = true;
  const std::string refused =
      kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n";
  WriteOldGuide();
  ::chmod(dir_.path().c_str(), 0755);  // readable, not writable, for nobody
  RunResult run = RunProgram(SKEDCOMP_BINARY, dir_.path(), {"guide"}, as_nobody);
  EXPECT_EQ(run.out, refused);
  EXPECT_EQ(run.exit_code, 1);
  ExpectOldGuide("directory not writable");

  ::chmod(dir_.path().c_str(), 0777);  // writable, but the guide files are root's 0644
  run = RunProgram(SKEDCOMP_BINARY, dir_.path(), {"guide"}, as_nobody);
  EXPECT_EQ(run.out, refused);
  ExpectOldGuide("files not writable");

  for (const char* file : kGuideFiles) ::unlink((dir_ / file).c_str());
  run = RunProgram(SKEDCOMP_BINARY, dir_.path(), {"guide"}, as_nobody);
  EXPECT_EQ(run.out, kBanner + "Composing guide... Ok\n");
}

TEST_F(HardeningTest, LinksAtTheGuidesNames) {
  WriteOldGuide();
  WriteFile(dir_ / "victim", "victim");
  ::unlink((dir_ / "guide.pdt").c_str());
  ASSERT_EQ(::symlink("nowhere", (dir_ / "guide.pdt").c_str()), 0);
  RunResult run = RunSkedcomp(dir_.path(), {"guide"});
  EXPECT_EQ(run.out, kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n");
  EXPECT_FALSE(FileExists(dir_ / "nowhere"));

  if (::geteuid() == 0) {
    ::unlink((dir_ / "guide.pdt").c_str());
    ASSERT_EQ(::symlink("victim", (dir_ / "guide.pdt").c_str()), 0);
    ASSERT_EQ(::lchown((dir_ / "guide.pdt").c_str(), 65534, 65534), 0);
    run = RunSkedcomp(dir_.path(), {"guide"});
    EXPECT_EQ(run.out, kBanner + "Composing guide... Can't open file .ndx or .pdt or .log!\n");
    EXPECT_EQ(ReadFile(dir_ / "victim"), "victim");
    EXPECT_EQ(ReadFile(dir_ / "guide.ndx"), "old guide.ndx");
  }
}

TEST_F(HardeningTest, NonRegularFilesAreRefusedWithoutWaiting) {
  struct Case {
    const char* what;
    const char* cfg;
    std::function<void(const TempDir&)> setup;
    std::string message;
  };
  const Case cases[] = {
      {"FIFO as composition file", nullptr,
       [](const TempDir& dir) { ::mkfifo((dir / "x.cfg").c_str(), 0644); },
       "Sections not found in .cfg file or .cfg file error!\n"},
      {"FIFO as index file", "[fifo]\n",
       [](const TempDir& dir) {
         ::mkfifo((dir / "fifo.ndx").c_str(), 0644);
         WriteFile(dir / "fifo.pdt", "");
       },
       "Can't open file .ndx or .pdt!\n"},
      {"device as index file", "[zero]\n",
       [](const TempDir& dir) {
         EXPECT_EQ(::symlink("/dev/zero", (dir / "zero.ndx").c_str()), 0);
         WriteFile(dir / "zero.pdt", "");
       },
       "Can't open file .ndx or .pdt!\n"},
      {"device as title file", "[null]\n",
       [](const TempDir& dir) {
         WriteFile(dir / "null.ndx", "");
         EXPECT_EQ(::symlink("/dev/null", (dir / "null.pdt").c_str()), 0);
       },
       "Can't open file .ndx or .pdt!\n"},
  };
  for (const Case& entry : cases) {
    TempDir dir;
    if (entry.cfg != nullptr) WriteFile(dir / "x.cfg", entry.cfg);
    entry.setup(dir);
    const RunResult run = RunSkedcomp(dir.path(), {"x"});
    EXPECT_EQ(run.out, kBanner + "Composing x... " + entry.message) << entry.what;
    EXPECT_EQ(run.exit_code, 1) << entry.what;
  }
}

// Killed at random points while composing many names, every guide file is
// afterwards whole: all its old bytes or all its new ones.
TEST_F(HardeningTest, KilledRunsLeaveEveryFileOldOrNew) {
  constexpr int kNames = 40;
  constexpr int kKills = 60;
  std::vector<BaseEntry> channel;
  for (int i = 0; i < 130; ++i) {
    channel.push_back({FileTimeOf(2000, 3, 20 + i % 7, i % 24, i % 60),
                       "Programme " + std::to_string(i) + std::string(80, 'x')});
  }
  TempDir reference;
  std::vector<std::string> names;
  for (const TempDir* dir : {&dir_, &reference}) {
    for (const char* base : {"a", "b", "c"}) WriteBase(*dir / base, channel);
  }
  for (int i = 0; i < kNames; ++i) {
    names.push_back("guide" + std::to_string(i));
    for (const TempDir* dir : {&dir_, &reference}) {
      WriteFile(*dir / (names.back() + ".cfg"), "[a]\n[b]\n[c]\n");
    }
  }
  WriteFile(dir_ / "next.cfg", "[a]\n");
  const auto started = std::chrono::steady_clock::now();
  ASSERT_EQ(RunSkedcomp(reference.path(), names).exit_code, 0);
  const auto full_run = std::chrono::steady_clock::now() - started;

  std::mt19937 random(20261207);
  int mixed_runs = 0;     // kills that fell between the first and the last name
  int mixed_guides = 0;   // kills that fell between two swaps of one guide's files
  int leftover_runs = 0;  // kills that left a temporary file
  int repairs = 0;        // bases the next run mended
  for (int kill = 0; kill < kKills; ++kill) {
    for (const std::string& name : names) {
      for (const char* extension : {".ndx", ".pdt", ".log"}) {
        WriteFile(dir_ / (name + extension), "old " + name + extension);
      }
    }
    const pid_t child = StartSkedcomp(dir_.path(), names);
    std::this_thread::sleep_for(
        std::uniform_int_distribution<long long>(
            0, std::chrono::duration_cast<std::chrono::microseconds>(full_run).count())(random) *
        std::chrono::microseconds(1));
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    int new_names = 0;
    for (const std::string& name : names) {
      int new_files = 0;
      for (const char* extension : {".ndx", ".pdt", ".log"}) {
        const std::string bytes = ReadFile(dir_ / (name + extension));
        const bool is_old = bytes == "old " + name + extension;
        const bool is_new = bytes == ReadFile(reference / (name + extension));
        EXPECT_TRUE(is_old || is_new) << name << extension << " after kill " << kill;
        new_files += is_new ? 1 : 0;
      }
      new_names += new_files > 0 ? 1 : 0;
      if (new_files > 0 && new_files < 3) ++mixed_guides;
    }
    if (new_names > 0 && new_names < kNames) ++mixed_runs;
    const Names left = dir_.List();
    if (std::any_of(left.begin(), left.end(),
                    [](const std::string& name) { return name.rfind(".skedcomp-", 0) == 0; })) {
      ++leftover_runs;
    }
    // A reader there writes nothing, and mends nothing.
    EXPECT_EQ(RunSkedtool(dir_.path(), {"dump", "a"}).exit_code, 0);
    EXPECT_EQ(dir_.List(), left) << "a reader wrote, after kill " << kill;
    // The next writer in the folder mends every guide the kill left half
    // replaced, and says so.
    const RunResult next = RunSkedcomp(dir_.path(), {"next"});
    EXPECT_EQ(next.exit_code, 0) << next.err;
    for (std::size_t at = next.err.find("that a stopped run left"); at != std::string::npos;
         at = next.err.find("that a stopped run left", at + 1)) {
      ++repairs;
    }
    for (const std::string& name : names) {
      int new_files = 0;
      for (const char* extension : {".ndx", ".pdt", ".log"}) {
        new_files +=
            ReadFile(dir_ / (name + extension)) == ReadFile(reference / (name + extension));
      }
      EXPECT_TRUE(new_files == 0 || new_files == 3) << name << " after kill " << kill;
    }
    for (const std::string& name : dir_.List()) {
      EXPECT_NE(name.rfind(".skedcomp-", 0), 0u) << name << " after kill " << kill;
    }
  }
  std::printf(
      "[ kill points ] %d kills tried: %d midway through the names, %d between two swaps of "
      "one guide's files (new and old files side by side), %d leaving files of ours, %d bases "
      "mended by the next run\n",
      kKills, mixed_runs, mixed_guides, leftover_runs, repairs);
  RecordProperty("kill_points", kKills);
  RecordProperty("kills_midway", mixed_runs);
  RecordProperty("kills_between_swaps", mixed_guides);
  RecordProperty("kills_leaving_temporaries", leftover_runs);
  RecordProperty("bases_mended", repairs);
}

// A guide that skedcomp composes while make writes it from a listing: each
// time, both files come from one of the two.
TEST_F(HardeningTest, ConcurrentWritersNeverMixABase) {
  constexpr int kRounds = 40;
  WriteFile(dir_ / "guide.listing", "2001-01-01\t10:00\tMon\tOther\n");
  TempDir composed;
  TempDir made;
  for (const TempDir* dir : {&composed, &made}) {
    for (const char* file : {"one.ndx", "one.pdt", "guide.cfg", "guide.listing"}) {
      WriteFile(*dir / file, ReadFile(dir_ / file));
    }
  }
  ASSERT_EQ(RunSkedcomp(composed.path(), {"guide"}).exit_code, 0);
  ASSERT_EQ(RunSkedtool(made.path(), {"make", "guide", "guide.listing"}).exit_code, 0);
  for (int round = 0; round < kRounds; ++round) {
    const pid_t composer = StartSkedcomp(dir_.path(), {"guide"});
    const RunResult make = RunSkedtool(dir_.path(), {"make", "guide", "guide.listing"});
    int status = 0;
    ::waitpid(composer, &status, 0);
    EXPECT_EQ(make.exit_code, 0) << make.err;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string index = ReadFile(dir_ / "guide.ndx");
    const std::string titles = ReadFile(dir_ / "guide.pdt");
    const bool from_composer =
        index == ReadFile(composed / "guide.ndx") && titles == ReadFile(composed / "guide.pdt");
    const bool from_make =
        index == ReadFile(made / "guide.ndx") && titles == ReadFile(made / "guide.pdt");
    EXPECT_TRUE(from_composer || from_make) << "round " << round;
  }
  for (const std::string& name : dir_.List()) EXPECT_NE(name.rfind(".skedcomp-", 0), 0u) << name;
}

// A lock file that cannot be locked for writing is never taken as held: make
// refuses, naming it, and changes nothing, whatever stands there.
TEST(LockFileTest, AnUnusableLockFileIsARefusal) {
  const bool nobody = ::geteuid() == 0 && NobodyCanRun(SKEDTOOL_BINARY);
  struct Kind {
    const char* what;
    std::function<void(const std::string& lock)> make;
    bool as_nobody;  // the permissions bite only another user
  };
  const Kind kinds[] = {
      {"link to a file", [](const std::string& lock) { MakeSymlink("elsewhere", lock); }, false},
      {"dangling link", [](const std::string& lock) { MakeSymlink("nowhere", lock); }, false},
      {"folder", [](const std::string& lock) { MakeDirectory(lock); }, false},
      {"FIFO", [](const std::string& lock) { MakeFifo(lock); }, false},
      {"mode 000", [](const std::string& lock) { WriteFile(lock, ""), ::chmod(lock.c_str(), 0); },
       true},
      {"mode 0444",
       [](const std::string& lock) { WriteFile(lock, ""), ::chmod(lock.c_str(), 0444); }, true},
      {"another user's 0644",
       [](const std::string& lock) { WriteFile(lock, ""), ::chmod(lock.c_str(), 0644); }, true},
  };
  for (const Kind& kind : kinds) {
    if (kind.as_nobody && !nobody) continue;
    SCOPED_TRACE(kind.what);
    TempDir dir;
    ::chmod(dir.path().c_str(), 0777);
    WriteBase(dir / "g", {{FileTimeOf(2026, 12, 7, 6, 0), "Old"}});
    WriteFile(dir / "elsewhere", "not a lock");
    WriteFile(dir / "g.listing", "2026-12-08\t09:00\tTue\tNew\n");
    for (const char* file : {"g.ndx", "g.pdt", "g.listing"}) ::chmod((dir / file).c_str(), 0666);
    kind.make(dir / kLockFileName);
    const std::string old_index = ReadFile(dir / "g.ndx");
    RunOptions options;
    options.as_nobody = kind.as_nobody;
    const RunResult run =
        RunProgram(SKEDTOOL_BINARY, dir.path(), {"make", "g", "g.listing"}, options);
    EXPECT_EQ(run.exit_code, 1);
    EXPECT_NE(run.err.find(kLockFileName), std::string::npos) << run.err;
    EXPECT_EQ(ReadFile(dir / "g.ndx"), old_index);
    EXPECT_EQ(ReadFile(dir / "elsewhere"), "not a lock");
    EXPECT_EQ(dir.List(), (Names{"elsewhere", "g.listing", "g.ndx", "g.pdt"}));
  }
}

// Two users who share a folder lock each other out, whatever their umask:
// the lock file the first makes, the second may lock too.
TEST(LockFileTest, UsersSharingAFolderLockItAlike) {
  if (::geteuid() != 0 || !NobodyCanRun(SKEDTOOL_BINARY))
    GTEST_SKIP() << "needs root to run as another user";
  TempDir dir;
  ::chmod(dir.path().c_str(), 0777);
  WriteFile(dir / "g.listing", "2026-12-08\t09:00\tTue\tNew\n");
  const mode_t umask_before = ::umask(022);
  const RunResult first = RunSkedtool(dir.path(), {"make", "g", "g.listing"});
  ::umask(umask_before);
  ASSERT_EQ(first.exit_code, 0) << first.err;
  for (const char* file : {"g.ndx", "g.pdt"}) ::chmod((dir / file).c_str(), 0666);
  RunOptions as_nobody;
  as_nobody.as_nobody = true;
  const RunResult second =
      RunProgram(SKEDTOOL_BINARY, dir.path(), {"make", "g", "g.listing"}, as_nobody);
  EXPECT_EQ(second.exit_code, 0) << second.err;
}

// Every reader works on bases of a read-only medium, as on any other, and
// changes nothing there: no lock file, no record, no mending. The folder is
// bind-mounted read-only over itself in a mount namespace of its own.
TEST(ReadOnlyMediumTest, ReadersReadAsElsewhereAndWriteNothing) {
  if (!CanMountPrivately()) GTEST_SKIP() << "needs a mount namespace of its own (unshare -m)";
  TempDir dir;
  TempDir out;
  WriteBase(dir / "g", {{FileTimeOf(2026, 12, 7, 6, 0), "Morning"}});
  WriteBase(dir / "h", {{FileTimeOf(2026, 12, 7, 9, 0), "Later"}});
  WriteFile(dir / "guide.cfg", "[g]\n[h]\n");
  WriteFile(out / "guide.cfg", "[" + (dir / "g") + "]\n");
  std::vector<Names> readers = {{"dump", "g"},       {"week", "g"},
                                {"diff", "g", "h"},  {"check", "guide"},
                                {"review", "guide"}, {"review", "--bases", "g", "h"}};
  if (kToolHasXmltv) readers.push_back({"export", "--tz", "UTC", "g", "h"});
  const Names names = dir.ListAll();

  const std::string mount = "mount --bind " + dir.path() + " " + dir.path() +
                            " && mount -o remount,ro,bind " + dir.path() + " " + dir.path();
  for (const Names& reader : readers) {
    const RunResult read_only = RunAfterMounts(mount, dir.path(), SKEDTOOL_BINARY, reader);
    const RunResult writable = RunSkedtool(dir.path(), reader);
    EXPECT_EQ(read_only.exit_code, writable.exit_code) << reader[0] << ": " << read_only.err;
    EXPECT_EQ(read_only.out, writable.out) << reader[0];
  }
  // skedcomp reads its channel there and writes its guide elsewhere.
  const RunResult composed = RunAfterMounts(mount, out.path(), SKEDCOMP_BINARY, {"guide"});
  EXPECT_EQ(composed.exit_code, 0) << composed.out;
  EXPECT_TRUE(FileExists(out / "guide.ndx"));

  EXPECT_EQ(dir.ListAll(), names);
}

// Two writers that reach one base through links of their own, from two
// folders, lock and record it where its files are: each time, both files
// come from one of them, and nothing of ours is left in either folder.
TEST_F(HardeningTest, WritersThroughLinksNeverMixABase) {
  constexpr int kRounds = 40;
  for (const char* folder : {"real", "a", "b"}) MakeDirectory(dir_ / folder);
  WriteFile(dir_ / "a/g.cfg", "[../one]\n");
  WriteFile(dir_ / "b/g.listing", "2001-01-01\t10:00\tMon\tOther\n");
  for (const char* extension : {".ndx", ".pdt"}) WriteFile(dir_ / "real/g" + extension, "old");
  for (const char* folder : {"a", "b"}) {
    for (const char* extension : {".ndx", ".pdt"}) {
      ASSERT_TRUE(MakeSymlink(std::string("../real/g") + extension,
                              dir_ / (std::string(folder) + "/g" + extension)));
    }
  }
  ASSERT_EQ(RunSkedcomp(dir_ / "a", {"g"}).exit_code, 0);
  const std::string composed = ReadFile(dir_ / "real/g.ndx") + ReadFile(dir_ / "real/g.pdt");
  ASSERT_EQ(RunSkedtool(dir_ / "b", {"make", "g", "g.listing"}).exit_code, 0);
  const std::string made = ReadFile(dir_ / "real/g.ndx") + ReadFile(dir_ / "real/g.pdt");
  for (int round = 0; round < kRounds; ++round) {
    const pid_t composer = StartSkedcomp(dir_ / "a", {"g"});
    const RunResult make = RunSkedtool(dir_ / "b", {"make", "g", "g.listing"});
    int status = 0;
    ::waitpid(composer, &status, 0);
    EXPECT_EQ(make.exit_code, 0) << make.err;
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    const std::string both = ReadFile(dir_ / "real/g.ndx") + ReadFile(dir_ / "real/g.pdt");
    EXPECT_TRUE(both == composed || both == made) << "round " << round;
  }
  for (const char* folder : {"real", "a", "b"}) {
    for (const auto& entry : std::filesystem::directory_iterator(dir_ / folder)) {
      const std::string name = entry.path().filename().string();
      EXPECT_NE(name.rfind(".skedcomp-", 0), 0u) << folder << "/" << name;
    }
  }
  // make wrote only where the links lead.
  EXPECT_FALSE(FileExists(dir_ / "b/.skedcomp.lock"));
}

}  // namespace

// A section name the system would cut at a zero byte, plain or in a file
// saved as UTF-16, reaches no file by its cut name: every command that reads
// the composition leaves the file it would name byte for byte, and writes
// nothing where it only reads.
TEST(CutNamesTest, AZeroByteInASectionNameTouchesNoFile) {
  const std::string name("victim/thesis.txt\0/x", 20);
  std::u16string wide;
  for (const char c : "[" + name + "]\n") wide += static_cast<char16_t>(c);
  std::string utf16("\xFF\xFE");
  for (const char16_t unit : wide) {
    utf16 += static_cast<char>(unit & 0xFF);
    utf16 += static_cast<char>(unit >> 8);
  }
  for (const std::string& composition : {"[" + name + "]\n", utf16}) {
    for (const bool compose : {true, false}) {
      TempDir dir;
      MakeDirectory(dir / "victim");
      WriteFile(dir / "victim/thesis.txt", "years of work");
      WriteFile(dir / "guide.cfg", composition);
      const Names before = dir.List();
      const RunResult run = compose ? RunSkedcomp(dir.path(), {"guide"})
                                    : RunSkedtool(dir.path(), {"check", "guide"});
      EXPECT_EQ(run.exit_code, 1) << run.err;
      EXPECT_EQ(ReadFile(dir / "victim/thesis.txt"), "years of work");
      EXPECT_EQ(dir.List(), before);
      // Not even a lock file was made beside it.
      const auto inside = std::filesystem::directory_iterator(dir / "victim");
      EXPECT_EQ(std::distance(begin(inside), end(inside)), 1);
    }
  }
}
