#include "platform/read_file.h"

#include <gtest/gtest.h>

#include "tests/test_support.h"

namespace {

TEST(ReadFileTest, ReusedBufferHoldsOnlyTheNewFile) {
  TempDir dir;
  WriteFile(dir / "big", std::string(5000, 'b'));
  WriteFile(dir / "small", "small");
  std::string buffer;
  std::size_t length = 0;
  std::uint64_t size = 0;
  ASSERT_EQ(ReadFileInto(dir / "big", 100000, &buffer, &length, &size), ReadFileResult::kOk);
  EXPECT_EQ(length, 5000u);
  ASSERT_EQ(ReadFileInto(dir / "small", 100000, &buffer, &length, &size), ReadFileResult::kOk);
  EXPECT_EQ(std::string(buffer.data(), length), "small");
  EXPECT_EQ(size, 5u);
  // A limit below what the buffer already holds still stops the read.
  ASSERT_EQ(ReadFileInto(dir / "big", 10, &buffer, &length, &size), ReadFileResult::kOk);
  EXPECT_EQ(length, 10u);
  EXPECT_EQ(size, 5000u);
}

TEST(ReadFileTest, ZeroByteInPathIsRefused) {
  std::string contents;
  EXPECT_EQ(ReadWholeFile(std::string("/etc/passwd\0x", 13), 100, &contents),
            ReadFileResult::kCantOpen);
}

TEST(ReadFileTest, WholeFileAboveTheLimitIsRefused) {
  TempDir dir;
  WriteFile(dir / "exact", std::string(100, 'x'));
  WriteFile(dir / "over", std::string(101, 'x'));
  std::string contents;
  EXPECT_EQ(ReadWholeFile(dir / "exact", 100, &contents), ReadFileResult::kOk);
  EXPECT_EQ(contents.size(), 100u);
  EXPECT_EQ(ReadWholeFile(dir / "over", 100, &contents), ReadFileResult::kTooLarge);
  EXPECT_TRUE(contents.empty());
}

}  // namespace
