#include "platform/file_replace.h"

#include "platform/base_lock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "tests/file_replace_fixture.h"
#include "tests/test_support.h"

namespace {

TEST_F(FileReplaceTest, CreatesAndReplacesWithoutLeavingTemporaries) {
  ASSERT_EQ(Replace("new a", ""), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "out.a"), "new a");
  EXPECT_EQ(ReadFile(dir_ / "out.b"), "");
  ASSERT_EQ(Replace("newer a", "newer b"), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "out.a"), "newer a");
  EXPECT_EQ(ReadFile(dir_ / "out.b"), "newer b");
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
}

TEST_F(FileReplaceTest, ReadOnlyTargetIsRefusedAndNothingChanges) {
  WriteOld();
  MakeReadOnly(dir_ / "out.b");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  ExpectOld();
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
}

TEST_F(FileReplaceTest, DirectoryAtTargetNameIsRefused) {
  WriteFile(dir_ / "out.a", "old a");
  MakeDirectory(dir_ / "out.b");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.a"), "old a");
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
}

TEST_F(FileReplaceTest, MissingDirectoryIsRefused) {
  const FileReplacement files[] = {{dir_ / "nowhere/out.a", "x"}};
  std::vector<std::string> left_behind;
  EXPECT_EQ(ReplaceFiles(files, &left_behind), ReplaceResult::kCantOpen);
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
  ReplaceResult Replace(const TempDir& dir, ReplaceFaults* faults) {
    const FileReplacement files[] = {{dir / kNames[0], "new g.ndx"},
                                     {dir / kNames[1], "new g.pdt"},
                                     {dir / kNames[2], "new g.log"}};
    faults->no_exchange = GetParam().no_exchange;
    faults->no_links = GetParam().no_links;
    return ReplaceFiles(files, &left_behind_, faults);
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
    ReplaceFaults faults;
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
  for (int k = 1; k <= steps; ++k) {
    TempDir dir;
    WriteOld(dir);
    ReplaceFaults faults;
    faults.fail_step = k;
    const ReplaceResult result = Replace(dir, &faults);
    EXPECT_TRUE(result == ReplaceResult::kCantOpen || result == ReplaceResult::kWriteError)
        << "step " << k;
    for (const std::string& name : Targets()) {
      EXPECT_EQ(ReadFile(dir / name), "old " + name) << "step " << k;
    }
    EXPECT_EQ(dir.List(), Targets()) << "step " << k;
    EXPECT_TRUE(left_behind_.empty()) << "step " << k;
  }
}

// When the system refuses to remove files, the replacement still keeps its
// promise for the targets, and every temporary file it leaves is named.
TEST_P(ReplaceFaultsTest, TemporariesThatCannotBeRemovedAreNamed) {
  const int steps = CountSteps();
  int runs_leaving_some = 0;
  for (int k = 0; k <= steps; ++k) {  // k = 0: no step fails
    TempDir dir;
    WriteOld(dir);
    ReplaceFaults faults;
    faults.fail_step = k;
    faults.no_removal = true;
    const ReplaceResult result = Replace(dir, &faults);
    EXPECT_EQ(result == ReplaceResult::kOk, k == 0) << "step " << k;
    for (const std::string& name : Targets()) {
      EXPECT_EQ(ReadFile(dir / name), (k == 0 ? "new " : "old ") + name) << "step " << k;
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
      ReplaceFaults faults;
      faults.fail_step = k;
      faults.fail_put_back_step = m;
      const ReplaceResult result = Replace(dir, &faults);
      if (faults.put_back_steps < m) {  // fewer steps to put back than that
        EXPECT_NE(result, ReplaceResult::kPutBackFailed);
        break;
      }
      ++put_back_failures;
      EXPECT_EQ(result, ReplaceResult::kPutBackFailed) << "step " << k << ", put-back " << m;
      EXPECT_EQ(Named(), Leftovers(dir)) << "step " << k << ", put-back " << m;
      std::vector<std::string> contents;
      for (const std::string& name : dir.List()) {
        const bool leftover = name.rfind(".skedcomp-", 0) == 0;
        EXPECT_TRUE(leftover || name.rfind("g.", 0) == 0) << name;
        const std::string bytes = ReadFile(dir / name);
        EXPECT_TRUE(!leftover || bytes.rfind("old ", 0) == 0) << name << " holds " << bytes;
        contents.push_back(bytes);
      }
      for (const std::string& name : Targets()) {
        EXPECT_EQ(std::count(contents.begin(), contents.end(), "old " + name), 1)
            << name << " at step " << k << ", put-back " << m;
      }
    }
  }
  EXPECT_GT(put_back_failures, 0);
}

// A run stopped at any point, as by a kill, leaves each target whole; the
// next run to lock the base, a reader here (alone, or one of many reads in
// a row), finishes or undoes it: every target old or every one new, no file
// of ours left, and the mending noted.
TEST_P(ReplaceFaultsTest, TheNextRunMendsAStoppedOne) {
  int points = 0;
  {
    TempDir dir;
    WriteOld(dir);
    ReplaceFaults faults;
    ASSERT_EQ(Replace(dir, &faults), ReplaceResult::kOk);
    points = faults.points;
  }
  int finished = 0;
  int undone = 0;
  for (int k = 1; k <= 2 * points; ++k) {
    TempDir dir;
    WriteOld(dir);
    ReplaceFaults faults;
    faults.stop_at = (k - 1) % points + 1;
    Replace(dir, &faults);
    TakeRepairNotes();
    HeldLocks held;
    FolderReads reads;
    ASSERT_EQ(LockForReading(dir / "g.ndx", &held, k > points ? &reads : nullptr), ReadLock::kOk);
    const bool is_new = ReadFile(dir / "g.ndx") == "new g.ndx";
    for (const char* name : kNames) {
      if (!is_new && GetParam().third_absent && name == kNames[2]) {
        EXPECT_FALSE(FileExists(dir / name)) << "stopped at " << k;
      } else {
        EXPECT_EQ(ReadFile(dir / name), (is_new ? "new " : "old ") + std::string(name))
            << "stopped at " << k;
      }
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
  std::filesystem::remove(dir_ / "out.a");
  std::filesystem::create_hard_link(dir_ / "out.b", dir_ / "out.a");
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.b"), "old b");
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
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

// Only a name that opening would surely not find is told missing from the
// listing; a listing is taken once a folder.
TEST(SurelyMissingTest, TellsOnlyWhatAnOpenWouldFind) {
  TempDir dir;
  WriteFile(dir / "there.ndx", "");
  WriteFile(dir / "Upper.ndx", "");
  WriteFile(dir / ("." + std::string("skedcomp-") + HashText(BaseKeyOf(dir / "stopped.ndx").hash) +
                   ".intent"),
            "");
  FolderListings listings;
  const struct {
    std::string path;
    bool missing;
  } cases[] = {
      {dir / "gone.ndx", true},         {dir / "there.ndx", false},
      {dir / "upper.ndx", false},        // a folder may ignore letter case
      {dir / "stopped.ndx", false},      // a stopped run may put it back
      {dir / "gone~1.ndx", false},       // a short name on Windows
      {dir / "gone.ndx.", false},        // Windows drops the dot
      {dir / "g\xC3\xB6ne.ndx", false},  // letter case beyond ASCII
      {dir / "none/gone.ndx", false},    // no folder to list
  };
  for (const auto& [path, missing] : cases)
    EXPECT_EQ(SurelyMissing(&listings, path), missing) << path;
  WriteFile(dir / "late.ndx", "");
  EXPECT_TRUE(SurelyMissing(&listings, dir / "late.ndx"));  // listed before it came
}

// Listings are kept for a bounded number of folders; names in further
// folders are left to a look-up of their own.
TEST(SurelyMissingTest, ListsABoundedNumberOfFolders) {
  TempDir dir;
  FolderListings listings;
  for (std::size_t i = 0; i <= kListedFolders; ++i) {
    const std::string folder = dir / ("d" + std::to_string(i));
    MakeDirectory(folder);
    EXPECT_EQ(SurelyMissing(&listings, folder + "/gone.ndx"), i < kListedFolders) << i;
  }
  EXPECT_EQ(listings.folders.size(), kListedFolders);
}

}  // namespace
