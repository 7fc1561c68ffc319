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
  FileStamp stamp;
  ASSERT_EQ(ReadFileInto(dir / "big", 100000, &buffer, &length, &stamp), ReadFileResult::kOk);
  EXPECT_EQ(length, 5000u);
  ASSERT_EQ(ReadFileInto(dir / "small", 100000, &buffer, &length, &stamp), ReadFileResult::kOk);
  EXPECT_EQ(std::string(buffer.data(), length), "small");
  EXPECT_EQ(stamp.size, 5u);
  // A limit below what the buffer already holds still stops the read.
  ASSERT_EQ(ReadFileInto(dir / "big", 10, &buffer, &length, &stamp), ReadFileResult::kOk);
  EXPECT_EQ(length, 10u);
  EXPECT_EQ(stamp.size, 5000u);
}

// What a read was of stays told apart from what the name holds later: the
// same file, another file of the same size put in its place, a longer one.
TEST(ReadFileTest, StampTellsWhetherTheFileReadIsStillThere) {
  TempDir dir;
  WriteFile(dir / "base", "12345");
  std::string buffer;
  std::size_t length = 0;
  FileStamp read;
  ASSERT_EQ(ReadFileInto(dir / "base", 100, &buffer, &length, &read), ReadFileResult::kOk);
  FileStamp now;
  ASSERT_TRUE(StampOfPath(dir / "base", &now));
  EXPECT_EQ(now, read);
  WriteFile(dir / "other", "54321");
  ASSERT_TRUE(SystemFileOps().rename_file(dir / "other", dir / "base"));
  ASSERT_TRUE(StampOfPath(dir / "base", &now));
  EXPECT_NE(now, read);
  EXPECT_EQ(now.size, read.size);
  ASSERT_EQ(ReadFileInto(dir / "base", 100, &buffer, &length, &read), ReadFileResult::kOk);
  WriteFile(dir / "base", "543216");  // in place, longer
  ASSERT_TRUE(StampOfPath(dir / "base", &now));
  EXPECT_NE(now, read);
  EXPECT_FALSE(StampOfPath(dir / "missing", &now));
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
