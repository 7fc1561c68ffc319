// Reading files where only POSIX has them: FIFOs, files without a size
// under /proc, sparse files far larger than memory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/read_file.h"
#include "tests/test_support.h"

namespace {

TEST(ReadFileTest, FilesWithoutASizeAreReadToTheirEnd) {
  std::string contents;
  ASSERT_EQ(ReadWholeFile("/proc/self/status", 1 << 20, &contents), ReadFileResult::kOk);
  EXPECT_NE(contents.find("Name:"), std::string::npos);
  EXPECT_EQ(contents.back(), '\n');
}

TEST(ReadFileTest, HugeAndEndlessFilesAreRefused) {
  TempDir dir;
  std::string contents;
  // Refused by its size alone: a sparse file far larger than memory.
  WriteFile(dir / "sparse", "");
  ASSERT_EQ(::truncate((dir / "sparse").c_str(), std::int64_t{200} << 30), 0);
  EXPECT_EQ(ReadWholeFile(dir / "sparse", kTextFileLimit, &contents), ReadFileResult::kTooLarge);
  // A file that reports no size and would not end for a long while.
  EXPECT_EQ(ReadWholeFile("/proc/self/pagemap", 1 << 16, &contents), ReadFileResult::kTooLarge);
}

// A FIFO must not make a reader wait for a writer.
TEST(ReadFileTest, FifosAreRefusedWithoutWaiting) {
  TempDir dir;
  ASSERT_EQ(::mkfifo((dir / "fifo").c_str(), 0644), 0);
  std::string contents;
  EXPECT_EQ(ReadWholeFile(dir / "fifo", 1 << 16, &contents), ReadFileResult::kCantOpen);
  std::size_t length = 0;
  EXPECT_EQ(ReadFileInto(dir / "fifo", 1 << 16, &contents, &length), ReadFileResult::kCantOpen);
}

}  // namespace
