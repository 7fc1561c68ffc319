#include "base/base_cache.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/file_ops.h"
#include "platform/read_file.h"
#include "tests/test_support.h"

namespace {

class BaseCacheTest : public ::testing::Test {
 protected:
  void WriteBase(const std::string& name, const std::string& title) {
    WriteFile(dir_ / (name + ".ndx"), IndexFileBytes({{FileTimeOf(2000, 3, 20, 6, 0), title}}));
    WriteFile(dir_ / (name + ".pdt"), TitleFileBytes({{0, title}}));
  }
  // The title of the one programme the cache gives for `name`.
  std::string Title(const std::string& name) {
    const StoredBase* base = nullptr;
    if (ReadCachedBase(&cache_, dir_ / name, &base) != Status::kOk) return "(failed)";
    StoredProgram program;
    BaseDamage damage;
    if (DecodeStoredProgram(*base, 0, &program, &damage) != Status::kOk) return "(damaged)";
    return std::string(program.title);
  }
  // Puts a base of another title, the same size, in place of `name`'s files.
  void ReplaceBase(const std::string& name, const std::string& title) {
    WriteBase("new", title);
    ASSERT_TRUE(SystemFileOps().rename_file(dir_ / "new.ndx", dir_ / (name + ".ndx")));
    ASSERT_TRUE(SystemFileOps().rename_file(dir_ / "new.pdt", dir_ / (name + ".pdt")));
  }

  TempDir dir_;
  BaseCache cache_;
};

// Within a composition a base is read once, as if every section read it
// at once; the next one reads it again where its files changed.
TEST_F(BaseCacheTest, ReadsABaseOnceAComposition) {
  WriteBase("a", "one");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "one");
  ReplaceBase("a", "two");
  EXPECT_EQ(Title("a"), "one");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "two");
  SystemFileOps().remove_file(dir_ / "a.ndx");
  EXPECT_EQ(Title("a"), "two");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "(failed)");
}

// A base named again after others is kept; one this run wrote is read again.
TEST_F(BaseCacheTest, KeepsABaseNamedAgainAndForgetsOneWritten) {
  for (const char* name : {"a", "b", "c"}) WriteBase(name, std::string(name) + "1");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "a1");
  EXPECT_EQ(Title("b"), "b1");
  EXPECT_EQ(Title("a"), "a1");  // named again: read, and now kept
  EXPECT_EQ(Title("c"), "c1");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "a1");
  ReplaceBase("a", "a2");
  EXPECT_EQ(Title("a"), "a1");
  ForgetBase(&cache_, "./elsewhere/a");  // maybe the same file, by another path
  EXPECT_EQ(Title("a"), "a2");
}

// A base the composition is known to name again is kept from its first
// read: with others read between, it is still read once.
TEST_F(BaseCacheTest, ABaseExpectedAgainIsReadOnce) {
  for (const char* name : {"a", "b"}) WriteBase(name, std::string(name) + "1");
  StartComposition(&cache_);
  ExpectBaseAgain(&cache_, dir_ / "a");
  EXPECT_EQ(Title("a"), "a1");
  EXPECT_EQ(Title("b"), "b1");
  ReplaceBase("a", "a2");
  EXPECT_EQ(Title("a"), "a1");
}

// A base that fails to read is not kept: the failure is told each time, and
// the storage it used serves the next base read.
TEST_F(BaseCacheTest, AFailedReadKeepsNothing) {
  WriteBase("good", "fine");
  WriteFile(dir_ / "bad.ndx", std::string(1, '\0'));  // one byte: damaged
  WriteFile(dir_ / "bad.pdt", "");
  StartComposition(&cache_);
  const StoredBase* base = nullptr;
  EXPECT_EQ(ReadCachedBase(&cache_, dir_ / "bad", &base), Status::kDamagedBase);
  EXPECT_EQ(Title("good"), "fine");
  EXPECT_EQ(ReadCachedBase(&cache_, dir_ / "bad", &base), Status::kDamagedBase);
  EXPECT_EQ(ReadCachedBase(&cache_, dir_ / "none", &base), Status::kCantOpenBase);
  EXPECT_EQ(Title("good"), "fine");
  EXPECT_EQ(cache_.kept.size() + (cache_.last.name.empty() ? 0 : 1), 1u);
}

// A base read into the composition's batch and changed before the batch is
// confirmed is not confirmed; it is then read again, base by base, for the
// rest of the composition. (Where listings give no file numbers, bases are
// read base by base from the start, there is nothing to confirm, and a base
// stands as read for the whole composition.)
TEST_F(BaseCacheTest, ABaseChangedBeforeItIsConfirmedIsReadAgain) {
  WriteBase("a", "First");
  WriteBase("b", "Steady");
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "First");
  EXPECT_EQ(Title("b"), "Steady");
  EXPECT_TRUE(ConfirmComposition(&cache_));
  StartComposition(&cache_);
  EXPECT_EQ(Title("a"), "First");
  ReplaceBase("a", "Other");
  EXPECT_EQ(ConfirmComposition(&cache_), !ListingsGiveFileNumbers());
  EXPECT_EQ(Title("a"), ListingsGiveFileNumbers() ? "Other" : "First");
  EXPECT_TRUE(ConfirmComposition(&cache_));
}

}  // namespace
