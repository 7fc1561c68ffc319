#include "platform/base_lock.h"

#include <gtest/gtest.h>

#include "platform/file_replace.h"
#include "tests/test_support.h"

namespace {

constexpr std::chrono::milliseconds kShortWait{30};

bool Takes(const std::string& path, bool exclusive, HeldLocks* held) {
  const BaseKey key = BaseKeyOf(path);
  std::string busy;
  const LockWait got = TakeLocks(std::span(&key, 1), exclusive, kShortWait, held, &busy);
  if (got == LockWait::kTimedOut) {
    EXPECT_EQ(busy, key.name);
  }
  return got == LockWait::kTaken;
}

// Which second lock a first one keeps out: one base's files share a lock;
// another base, or readers among themselves, do not wait.
TEST(BaseLockTest, ExclusiveLocksKeepOthersOut) {
  TempDir dir;
  struct Case {
    const char* first;
    bool first_exclusive;
    const char* second;
    bool second_exclusive;
    bool second_taken;
  };
  const Case cases[] = {
      {"g.ndx", true, "g.ndx", true, false},  {"g.ndx", true, "g.pdt", false, false},
      {"g.ndx", false, "g.log", true, false}, {"g.ndx", false, "g.pdt", false, true},
      {"g.ndx", true, "h.ndx", true, true},   {"g.ndx", true, "g.x.ndx", true, true},
  };
  for (const Case& entry : cases) {
    HeldLocks first;
    ASSERT_TRUE(Takes(dir / entry.first, entry.first_exclusive, &first));
    HeldLocks second;
    EXPECT_EQ(Takes(dir / entry.second, entry.second_exclusive, &second), entry.second_taken)
        << entry.first << " then " << entry.second;
    ReleaseLocks(&first);
    HeldLocks third;
    EXPECT_TRUE(entry.second_taken || Takes(dir / entry.second, entry.second_exclusive, &third))
        << "once " << entry.first << " is let go";
  }
  // The lock file stays, empty.
  EXPECT_EQ(ReadFile(dir / kLockFileName), "");
}

// Two readers in one process share the system's one lock: the first to let
// go leaves the base locked for the other.
TEST(BaseLockTest, ReadersOfOneProcessEachKeepTheirLock) {
  TempDir dir;
  HeldLocks first;
  HeldLocks second;
  ASSERT_TRUE(Takes(dir / "g.ndx", false, &first));
  ASSERT_TRUE(Takes(dir / "g.pdt", false, &second));
  ReleaseLocks(&first);
  HeldLocks writer;
  EXPECT_FALSE(Takes(dir / "g.ndx", true, &writer));
  ReleaseLocks(&second);
  EXPECT_TRUE(Takes(dir / "g.ndx", true, &writer));
}

// A folder held whole for reading: this process's readers of its bases go
// on, its writers wait, and once it is let go each base locks as before. A
// base already locked here keeps the folder from being held whole, as the
// two locks would merge.
TEST(BaseLockTest, AFolderHeldForReadingKeepsWritersOut) {
  TempDir dir;
  HeldLocks folder;
  ASSERT_EQ(TryTakeFolderLock(dir.path(), &folder), FolderLock::kTaken);
  for (const char* name : {"g.ndx", "h.pdt"}) {
    HeldLocks reader;
    HeldLocks writer;
    EXPECT_TRUE(Takes(dir / name, false, &reader)) << name;
    EXPECT_FALSE(Takes(dir / name, true, &writer)) << name;
  }
  ReleaseLocks(&folder);
  HeldLocks writer;
  ASSERT_TRUE(Takes(dir / "g.ndx", true, &writer));
  EXPECT_EQ(TryTakeFolderLock(dir.path(), &folder), FolderLock::kNone);
  ReleaseLocks(&writer);
  EXPECT_EQ(TryTakeFolderLock(dir.path(), &folder), FolderLock::kTaken);
}

TEST(BaseLockTest, AWriterThatCannotGetTheLockChangesNothing) {
  TempDir dir;
  WriteFile(dir / "g.ndx", "old");
  HeldLocks reader;
  ASSERT_TRUE(Takes(dir / "g.ndx", false, &reader));
  const FileReplacement files[] = {{dir / "g.ndx", "new"}, {dir / "g.pdt", "new"}};
  std::vector<std::string> left_behind;
  ReplaceFaults faults;
  faults.lock_wait = kShortWait;
  EXPECT_EQ(ReplaceFiles(files, &left_behind, &faults), ReplaceResult::kBusy);
  EXPECT_EQ(ReadFile(dir / "g.ndx"), "old");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"g.ndx"});
  ReleaseLocks(&reader);
  EXPECT_EQ(ReplaceFiles(files, &left_behind, &faults), ReplaceResult::kOk);
}

}  // namespace
