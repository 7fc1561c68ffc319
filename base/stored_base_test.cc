#include "base/stored_base.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(StoredBaseTest, EachDamageIsNamedAtItsEntry) {
  for (const DamagedBase& damaged : DamagedBases()) {
    SCOPED_TRACE(damaged.what);
    TempDir dir;
    WriteFile(dir / "chan.ndx", damaged.index);
    WriteFile(dir / "chan.pdt", damaged.titles);
    StoredBase base;
    BaseDamage damage = BaseDamage::kNone;
    Status status = ReadStoredBase(dir / "chan", &base, &damage);
    std::size_t entry = 0;
    for (std::size_t k = 0; status == Status::kOk && k < base.count; ++k) {
      StoredProgram program;
      status = DecodeStoredProgram(base, k, &program, &damage);
      entry = k + 1;
    }
    EXPECT_EQ(status, Status::kDamagedBase);
    EXPECT_EQ(damage, damaged.damage);
    if (damaged.entry != 0) {
      EXPECT_EQ(entry, damaged.entry);
    }
  }
}

TEST(StoredBaseTest, EncodingLaysTitlesOutInOrder) {
  const StoredProgram programs[] = {{1, "ab"}, {2, ""}, {3, "c"}};
  std::string index;
  std::string titles;
  ASSERT_EQ(EncodeStoredBase(programs, &index, &titles), Status::kOk);
  EXPECT_EQ(index, IndexFileBytes({{1, "ab"}, {2, ""}, {3, "c"}}));
  EXPECT_EQ(titles, TitleFileBytes({{1, "ab"}, {2, ""}, {3, "c"}}));
}

TEST(StoredBaseTest, CountBeyondSixteenBitsIsRefused) {
  const std::vector<StoredProgram> programs(0x10000, StoredProgram{1, ""});
  std::string index;
  std::string titles;
  EXPECT_EQ(EncodeStoredBase(programs, &index, &titles), Status::kTooManyInGuide);
}

}  // namespace
