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

TEST(ReadFileTest, FilesWithoutASizeAreReadToTheirEnd) {
  std::string contents;
  ASSERT_EQ(ReadFilePrefix("/proc/self/status", 1 << 20, &contents), ReadFileResult::kOk);
  EXPECT_NE(contents.find("Name:"), std::string::npos);
  EXPECT_EQ(contents.back(), '\n');
}

TEST(ReadFileTest, ZeroByteInPathIsRefused) {
  std::string contents;
  EXPECT_EQ(ReadFilePrefix(std::string("/etc/passwd\0x", 13), 100, &contents),
            ReadFileResult::kCantOpen);
}

}  // namespace
