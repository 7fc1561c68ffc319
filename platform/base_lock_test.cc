#include "platform/base_lock.h"

#include <gtest/gtest.h>

#include "platform/file_replace.h"
#include "tests/test_support.h"

namespace {

constexpr std::chrono::milliseconds kShortWait{30};

bool Takes(const std::string& path, HeldLocks* held) {
  const BaseKey key = BaseKeyOf(path);
  LockTrouble trouble;
  const LockWait got = TakeLocks(std::span(&key, 1), kShortWait, held, &trouble);
  if (got == LockWait::kTimedOut) {
    EXPECT_EQ(trouble.busy, key.name);
  }
  return got == LockWait::kTaken;
}

// Which second lock a first one keeps out: one base's files share a lock;
// another base does not wait.
TEST(BaseLockTest, ALockKeepsOtherWritersOfItsBaseOut) {
  TempDir dir;
  const struct {
    const char* first;
    const char* second;
    bool second_taken;
  } cases[] = {
      {"g.ndx", "g.ndx", false},
      {"g.ndx", "g.pdt", false},
      {"g.ndx", "h.ndx", true},
      {"g.ndx", "g.x.ndx", true},
  };
  for (const auto& entry : cases) {
    HeldLocks first;
    ASSERT_TRUE(Takes(dir / entry.first, &first));
    HeldLocks second;
    EXPECT_EQ(Takes(dir / entry.second, &second), entry.second_taken)
        << entry.first << " then " << entry.second;
    ReleaseLocks(&first);
    HeldLocks third;
    EXPECT_TRUE(entry.second_taken || Takes(dir / entry.second, &third))
        << "once " << entry.first << " is let go";
  }
  // The lock file stays, empty.
  EXPECT_EQ(ReadFile(dir / kLockFileName), "");
}

TEST(BaseLockTest, AWriterThatCannotGetTheLockChangesNothing) {
  TempDir dir;
  WriteFile(dir / "g.ndx", "old");
  HeldLocks other;
  ASSERT_TRUE(Takes(dir / "g.ndx", &other));
  const FileReplacement files[] = {{dir / "g.ndx", "new"}, {dir / "g.pdt", "new"}};
  ReplaceReport report;
  SetReplaceLockWait(kShortWait);
  EXPECT_EQ(ReplaceFiles(files, &report), ReplaceResult::kBusy);
  EXPECT_EQ(ReadFile(dir / "g.ndx"), "old");
  EXPECT_EQ(dir.List(), std::vector<std::string>{"g.ndx"});
  ReleaseLocks(&other);
  EXPECT_EQ(ReplaceFiles(files, &report), ReplaceResult::kOk);
  SetReplaceLockWait(kLockWait);
}

}  // namespace
