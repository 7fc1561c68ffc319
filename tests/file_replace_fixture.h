// The fixture of the replacement tests: two targets, out.ndx and out.pdt.
#ifndef SKEDCOMP_TESTS_FILE_REPLACE_FIXTURE_H_
#define SKEDCOMP_TESTS_FILE_REPLACE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/file_replace.h"
#include "tests/test_support.h"

using Names = std::vector<std::string>;

class FileReplaceTest : public ::testing::Test {
 protected:
  ReplaceResult Replace(std::string_view a, std::string_view b) {
    const FileReplacement files[] = {{dir_ / "out.ndx", a}, {dir_ / "out.pdt", b}};
    ReplaceReport report;
    const ReplaceResult result = ReplaceFiles(files, &report);
    EXPECT_TRUE(report.left_behind.empty());
    return result;
  }
  void ExpectOld() {
    EXPECT_EQ(ReadFile(dir_ / "out.ndx"), "old a");
    EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "old b");
  }
  void WriteOld() {
    WriteFile(dir_ / "out.ndx", "old a");
    WriteFile(dir_ / "out.pdt", "old b");
  }

  TempDir dir_;
};

#endif  // SKEDCOMP_TESTS_FILE_REPLACE_FIXTURE_H_
