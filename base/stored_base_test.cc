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

namespace {

StoredBase InMemory(const std::string& index, const std::string& titles) {
  StoredBase base;
  SetStoredBytes(&base, index, titles);
  return base;
}

TEST(StoredBaseTest, EveryCount) {
  const std::string entry =
      LittleEndian(0, 2) + LittleEndian(0x01BF92A2AE856C00ull, 8) + LittleEndian(0, 2);
  for (std::size_t count = 0; count <= 0xFFFF; ++count) {
    std::string index = LittleEndian(count, 2);
    if (count <= 400) {
      for (std::size_t k = 0; k < count; ++k) index += entry;
    }
    StoredBase full = InMemory(index, "");
    BaseDamage damage;
    const Status status = CheckStoredBase(&full, &damage);
    if (count <= 400) {
      ASSERT_EQ(status, Status::kOk) << count;
      ASSERT_EQ(full.count, count);
      if (count > 0) {
        StoredBase short_by_one = InMemory(index.substr(0, index.size() - 1), "");
        ASSERT_EQ(CheckStoredBase(&short_by_one, &damage), Status::kDamagedBase) << count;
      }
    } else {
      ASSERT_EQ(status, Status::kTooManyInBase) << count;
    }
  }
}

// A title record reached at every offset of a small title file, and past it.
TEST(StoredBaseTest, EveryTitleOffset) {
  const std::string titles = "QAX 3.x TV Program Data\n\n\n" + LittleEndian(4, 2) + "News" +
                             LittleEndian(0, 2) + LittleEndian(3, 2) + "end";
  for (std::size_t offset = 0; offset <= titles.size() + 2; ++offset) {
    StoredBase base = InMemory(
        LittleEndian(1, 2) + LittleEndian(0, 2) + LittleEndian(1, 8) + LittleEndian(offset, 2),
        titles);
    BaseDamage damage;
    ASSERT_EQ(CheckStoredBase(&base, &damage), Status::kOk);
    StoredProgram program;
    const Status status = DecodeStoredProgram(base, 0, &program, &damage);
    if (offset >= titles.size()) {
      EXPECT_EQ(status, Status::kOk) << offset;
      EXPECT_EQ(program.title, "") << offset;
      continue;
    }
    const std::size_t left = titles.size() - offset;
    const std::size_t length = left >= 2 ? static_cast<unsigned char>(titles[offset]) |
                                               (static_cast<unsigned char>(titles[offset + 1]) << 8)
                                         : 0;
    if (left < 2 || length > 1999 || length > left - 2) {
      EXPECT_EQ(status, Status::kDamagedBase) << offset;
    } else {
      ASSERT_EQ(status, Status::kOk) << offset;
      const std::string text = titles.substr(offset + 2, length);
      EXPECT_EQ(program.title, text.substr(0, text.find('\0'))) << offset;
    }
  }
}

}  // namespace
