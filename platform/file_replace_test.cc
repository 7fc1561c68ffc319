#include "platform/file_replace.h"

#include "platform/base_lock.h"
#include "platform/read_version.h"
#include "platform/replace_record.h"
#include "platform/replace_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tests/faulty_file_ops.h"
#include "tests/file_replace_fixture.h"
#include "tests/test_support.h"

namespace {

TEST_F(FileReplaceTest, CreatesAndReplacesWithoutLeavingTemporaries) {
  ASSERT_EQ(Replace("new a", ""), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "out.ndx"), "new a");
  EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "");
  ASSERT_EQ(Replace("newer a", "newer b"), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "out.ndx"), "newer a");
  EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "newer b");
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

TEST_F(FileReplaceTest, ReadOnlyTargetIsRefusedAndNothingChanges) {
  WriteOld();
  MakeReadOnly(dir_ / "out.pdt");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  ExpectOld();
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

TEST_F(FileReplaceTest, DirectoryAtTargetNameIsRefused) {
  WriteFile(dir_ / "out.ndx", "old a");
  MakeDirectory(dir_ / "out.pdt");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.ndx"), "old a");
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

TEST_F(FileReplaceTest, MissingDirectoryIsRefused) {
  const FileReplacement files[] = {{dir_ / "nowhere/out.ndx", "x"}};
  ReplaceReport report;
  EXPECT_NE(ReplaceFiles(files, &report), ReplaceResult::kOk);
  EXPECT_FALSE(FileExists(dir_ / "nowhere"));
}

// Every step of a three-file replacement failing in turn, with the system's
// exchange of names and with each way round its absence, and with targets
// that exist and one that does not: each reported failure leaves every
// target as it was and no temporary file.
struct ReplaceMode {
  const char* what;
  bool no_exchange;
  bool no_links;
  bool third_absent;
};
const ReplaceMode kReplaceModes[] = {
    {"exchange", false, false, false},   {"exchange, one target absent", false, false, true},
    {"hard links", true, false, false},  {"hard links, one target absent", true, false, true},
    {"renamed away", true, true, false}, {"renamed away, one target absent", true, true, true},
};

void PrintTo(const ReplaceMode& mode, std::ostream* out) { *out << mode.what; }

class ReplaceFaultsTest : public ::testing::TestWithParam<ReplaceMode> {
 protected:
  static constexpr const char* kNames[] = {"g.ndx", "g.pdt", "g.log"};

  void WriteOld(const TempDir& dir) const {
    for (const char* name : kNames) {
      if (GetParam().third_absent && name == kNames[2]) continue;
      WriteFile(dir / name, std::string("old ") + name);
    }
  }
  ReplaceResult Replace(const TempDir& dir, FileFaults* faults) {
    const FileReplacement files[] = {{dir / kNames[0], "new g.ndx"},
                                     {dir / kNames[1], "new g.pdt"},
                                     {dir / kNames[2], "new g.log"}};
    faults->no_exchange = GetParam().no_exchange;
    faults->no_links = GetParam().no_links;
    ReplaceReport report;
    {
      FaultyFileOps faulty(faults);
      ReplaceFiles(files, &report);
    }
    left_behind_ = report.left_behind;
    return report.result;
  }
  // The temporary files in `dir`, and those the replacement named as left
  // (by file name: the folder is written with the system's separator).
  Names Leftovers(const TempDir& dir) const {
    Names found;
    for (const std::string& name : dir.List()) {
      if (name.rfind(".skedcomp-", 0) == 0) found.push_back(name);
    }
    return found;
  }
  Names Named() const {
    Names named;
    for (const std::string& path : left_behind_) {
      named.push_back(path.substr(path.find_last_of("/\\") + 1));
    }
    std::sort(named.begin(), named.end());
    return named;
  }
  Names left_behind_;
  // The steps of a replacement that succeeds.
  int CountSteps() {
    TempDir dir;
    WriteOld(dir);
    FileFaults faults;
    EXPECT_EQ(Replace(dir, &faults), ReplaceResult::kOk);
    for (const char* name : kNames) EXPECT_EQ(ReadFile(dir / name), std::string("new ") + name);
    EXPECT_EQ(dir.List(), (Names{"g.log", "g.ndx", "g.pdt"}));
    return faults.steps;
  }
  Names Targets() const {
    return GetParam().third_absent ? Names{"g.ndx", "g.pdt"} : Names{"g.log", "g.ndx", "g.pdt"};
  }
};

TEST_P(ReplaceFaultsTest, EveryStepFailingLeavesEveryTargetAsItWas) {
  const int steps = CountSteps();
  ASSERT_GE(steps, 12);  // inspect, create, write, close and swap, three times
  int failures = 0;
  for (int k = 1; k <= steps; ++k) {
    TempDir dir;
    WriteOld(dir);
    FileFaults faults;
    faults.fail_step = k;
    // A step whose failure only costs a look-up (listing the folder for a
    // stopped run's records) lets the replacement succeed.
    const ReplaceResult result = Replace(dir, &faults);
    EXPECT_NE(result, ReplaceResult::kPutBackFailed) << "step " << k;
    const bool done = result == ReplaceResult::kOk;
    failures += !done;
    for (const char* name : kNames) {
      if (!done && !FileExists(dir / name)) continue;
      EXPECT_EQ(ReadFile(dir / name), (done ? "new " : "old ") + std::string(name)) << "step " << k;
    }
    // Only a removal at the very end may fail and leave a file of ours:
    // then it is named.
    EXPECT_EQ(Named(), Leftovers(dir)) << "step " << k;
    EXPECT_TRUE(left_behind_.empty() || done) << "step " << k;
  }
  EXPECT_GT(failures, steps / 2);
}

// When the system refuses to remove files, the replacement still keeps its
// promise for the targets, and every temporary file it leaves is named.
TEST_P(ReplaceFaultsTest, TemporariesThatCannotBeRemovedAreNamed) {
  const int steps = CountSteps();
  int runs_leaving_some = 0;
  for (int k = 0; k <= steps; ++k) {  // k = 0: no step fails
    TempDir dir;
    WriteOld(dir);
    FileFaults faults;
    faults.fail_step = k;
    faults.no_removal = true;
    const bool done = Replace(dir, &faults) == ReplaceResult::kOk;
    for (const std::string& name : Targets()) {
      EXPECT_EQ(ReadFile(dir / name), (done ? "new " : "old ") + name) << "step " << k;
    }
    EXPECT_EQ(Named(), Leftovers(dir)) << "step " << k;
    if (!left_behind_.empty()) ++runs_leaving_some;
  }
  EXPECT_GT(runs_leaving_some, 0);
}

// When putting back fails too, no old file is lost: each is at its own name
// or in a temporary file left beside it, and nothing else is left.
TEST_P(ReplaceFaultsTest, FailedPutBackKeepsEveryOldFile) {
  const int steps = CountSteps();
  int put_back_failures = 0;
  for (int k = 1; k <= steps; ++k) {
    for (int m = 1;; ++m) {
      TempDir dir;
      WriteOld(dir);
      FileFaults faults;
      faults.fail_step = k;
      faults.fail_put_back_step = m;
      const ReplaceResult result = Replace(dir, &faults);
      if (faults.put_back_steps < m) {  // fewer steps to put back than that
        EXPECT_NE(result, ReplaceResult::kPutBackFailed);
        break;
      }
      put_back_failures += result == ReplaceResult::kPutBackFailed;
      EXPECT_EQ(Named(), Leftovers(dir)) << "step " << k << ", put-back " << m;
      if (result == ReplaceResult::kOk) continue;  // neither failure mattered
      std::vector<std::string> contents;
      for (const std::string& name : dir.List()) {
        const bool leftover = name.rfind(".skedcomp-", 0) == 0;
        EXPECT_TRUE(leftover || name.rfind("g.", 0) == 0) << name;
        const std::string bytes = ReadFile(dir / name);
        EXPECT_TRUE(!leftover || bytes.rfind("old ", 0) == 0 ||
                    result != ReplaceResult::kPutBackFailed)
            << name << " holds " << bytes;
        contents.push_back(bytes);
      }
      for (const std::string& name : Targets()) {
        // A second name of an old file that could not be removed is named.
        EXPECT_GE(std::count(contents.begin(), contents.end(), "old " + name), 1)
            << name << " at step " << k << ", put-back " << m;
      }
    }
  }
  EXPECT_GT(put_back_failures, 0);
}

// A run stopped at any point, as by a kill, leaves each target whole: a
// reader then reads all old files or all new ones, writing nothing, and the
// next writer finishes or undoes the stopped run, leaves no file of ours,
// and notes the mending.
TEST_P(ReplaceFaultsTest, ReadersAndTheNextWriterSeeOneVersionOfAStoppedRun) {
  int steps = 0;
  {
    TempDir dir;
    WriteOld(dir);
    FileFaults faults;
    ASSERT_EQ(Replace(dir, &faults), ReplaceResult::kOk);
    steps = faults.steps;
  }
  int finished = 0;
  int undone = 0;
  for (int k = 1; k <= steps; ++k) {
    TempDir dir;
    WriteOld(dir);
    FileFaults faults;
    faults.stop_at = k;
    Replace(dir, &faults);
    TakeRepairNotes();
    const Names before = dir.List();
    std::string index;
    std::string titles;
    std::size_t index_length = 0;
    std::size_t titles_length = 0;
    FileStamp stamps[2];
    VersionedFile files[] = {{dir / "g.ndx", 100, &index, &index_length, &stamps[0]},
                             {dir / "g.pdt", 100, &titles, &titles_length, &stamps[1]}};
    ASSERT_TRUE(ReadOneVersion(files)) << "stopped at " << k;
    const std::string read_index = index.substr(0, index_length);
    const bool is_new = read_index == "new g.ndx";
    EXPECT_EQ(read_index, is_new ? "new g.ndx" : "old g.ndx") << "stopped at " << k;
    EXPECT_EQ(titles.substr(0, titles_length), is_new ? "new g.pdt" : "old g.pdt")
        << "stopped at " << k;
    EXPECT_EQ(dir.List(), before) << "the reader wrote, stopped at " << k;
    // The next writer of the base mends it first.
    const FileReplacement next[] = {{dir / "g.ndx", "next"}, {dir / "g.pdt", "next"}};
    ReplaceReport report;
    ASSERT_EQ(ReplaceFiles(next, &report), ReplaceResult::kOk) << "stopped at " << k;
    EXPECT_EQ(ReadFile(dir / "g.ndx") + ReadFile(dir / "g.pdt"), "nextnext");
    if (FileExists(dir / "g.log")) {
      EXPECT_EQ(ReadFile(dir / "g.log"), is_new ? "new g.log" : "old g.log") << "stopped at " << k;
    }
    EXPECT_EQ(Leftovers(dir), Names{}) << "stopped at " << k;
    const std::vector<std::string> notes = TakeRepairNotes();
    finished += is_new && !notes.empty();
    undone += !is_new && !notes.empty();
  }
  // Both ways were taken: stopped before and after the new files were whole.
  EXPECT_GT(finished, 0);
  EXPECT_GT(undone, 0);
}

TEST_F(FileReplaceTest, TwoTargetsThatAreOneFileAreRefused) {
  WriteOld();
  std::filesystem::remove(dir_ / "out.ndx");
  std::filesystem::create_hard_link(dir_ / "out.pdt", dir_ / "out.ndx");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "old b");
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

INSTANTIATE_TEST_SUITE_P(Modes, ReplaceFaultsTest, ::testing::ValuesIn(kReplaceModes),
                         [](const auto& info) {
                           std::string name;
                           for (const char* c = info.param.what; *c != '\0'; ++c) {
                             if (std::isalnum(static_cast<unsigned char>(*c))) name += *c;
                           }
                           return name;
                         });

}  // namespace

namespace {

// What stands at a record's name but is no record of ours is never followed:
// a folder there, ignored by readers, is left alone with a message naming
// it; a hand-made committed record that names a file no record of ours could
// name, or whose new file is no regular file, moves nothing.
TEST(HandMadeRecordsTest, AreNeverFollowed) {
  TempDir dir;
  for (const char* name : {"b.ndx", "b.pdt", "b.cfg"}) WriteFile(dir / name, name);
  const BaseKey key = BaseKeyOf(dir / "b.ndx");
  const FileReplacement files[] = {{dir / "b.ndx", "new ndx"}, {dir / "b.pdt", "new pdt"}};
  const auto read = [&] {
    std::string bytes[2];
    std::size_t lengths[2] = {};
    FileStamp stamps[2];
    VersionedFile versioned[] = {{dir / "b.ndx", 100, &bytes[0], &lengths[0], &stamps[0]},
                                 {dir / "b.pdt", 100, &bytes[1], &lengths[1], &stamps[1]}};
    EXPECT_TRUE(ReadOneVersion(versioned));
    return bytes[0].substr(0, lengths[0]) + " " + bytes[1].substr(0, lengths[1]);
  };

  MakeDirectory(RecordPath(key));
  EXPECT_EQ(read(), "b.ndx b.pdt");
  ReplaceReport report;
  EXPECT_EQ(ReplaceFiles(files, &report), ReplaceResult::kInTheWay);
  EXPECT_NE(ReplaceFailureText(report).find(RecordPath(key)), std::string::npos);
  EXPECT_EQ(read(), "b.ndx b.pdt");
  std::filesystem::remove(RecordPath(key));

  // A committed record of b.cfg, whose planted new file is the record's own
  // identity: whole, but no record of ours names a .cfg.
  const std::string planted = NewFilePath(key, dir / "b.cfg");
  WriteFile(planted, "planted");
  FileIdentity identity;
  ASSERT_TRUE(Ops().identity_of_path(planted, &identity, nullptr));
  WriteFile(RecordPath(key), RecordStart({"b.cfg"}) + RecordCommit({identity}));
  EXPECT_EQ(read(), "b.ndx b.pdt");
  EXPECT_EQ(ReplaceFiles(files, &report), ReplaceResult::kOk) << ReplaceFailureText(report);
  EXPECT_EQ(ReadFile(dir / "b.cfg"), "b.cfg");
  EXPECT_EQ(read(), "new ndx new pdt");
}

}  // namespace
