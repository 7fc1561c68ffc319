#include <gtest/gtest.h>

#include "platform/file_ops.h"
#include "platform/file_replace.h"

namespace {

TEST(FileOpsTest, TemporaryFilesStandBesideTheirTargets) {
  struct Case {
    const char* target;
    const char* directory;
    const char* temporary_start;
  };
  const Case cases[] = {
      {"guide.ndx", ".", ".\\.skedcomp-"},         {"sub\\guide.ndx", "sub", "sub\\.skedcomp-"},
      {"sub/guide.ndx", "sub", "sub\\.skedcomp-"}, {"C:\\guide.ndx", "C:\\", "C:\\.skedcomp-"},
      {"C:guide.ndx", "C:", "C:.skedcomp-"},       {"\\guide.ndx", "\\", "\\.skedcomp-"},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(DirectoryOf(entry.target), entry.directory) << entry.target;
    EXPECT_EQ(TemporaryPath(DirectoryOf(entry.target), 0).rfind(entry.temporary_start, 0), 0u)
        << entry.target;
  }
}

}  // namespace
