#include <windows.h>

#include <gtest/gtest.h>

#include <thread>

#include "platform/file_ops.h"
#include "platform/our_files.h"
#include "tests/test_support.h"

namespace {

TEST(FileOpsTest, FilesOfOursStandBesideTheirTargets) {
  struct Case {
    const char* target;
    const char* directory;
    const char* ours_start;
  };
  const Case cases[] = {
      {"guide.ndx", ".", ".\\.skedcomp-"},         {"sub\\guide.ndx", "sub", "sub\\.skedcomp-"},
      {"sub/guide.ndx", "sub", "sub\\.skedcomp-"}, {"C:\\guide.ndx", "C:\\", "C:\\.skedcomp-"},
      {"C:guide.ndx", "C:", "C:.skedcomp-"},       {"\\guide.ndx", "\\", "\\.skedcomp-"},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(DirectoryOf(entry.target), entry.directory) << entry.target;
    EXPECT_EQ(FileNameOf(entry.target), "guide.ndx") << entry.target;
    for (const std::string& ours : FilesOfOurs(entry.target)) {
      EXPECT_EQ(ours.rfind(entry.ours_start, 0), 0u) << entry.target;
    }
  }
  // Letter case does not tell names apart here, nor the files of ours.
  EXPECT_EQ(FilesOfOurs("Guide.NDX")[2], FilesOfOurs("guide.ndx")[2]);
}

// A scanner that holds a file for a moment without sharing its deletion
// delays a replacement; it does not fail it. It lets go well within the
// wait, so that a loaded machine cannot make the wait run out first.
TEST(FileOpsTest, AFileHeldForAMomentIsWaitedFor) {
  TempDir dir;
  WriteFile(dir / "target", "old");
  WriteFile(dir / "new", "new");
  const HANDLE held = ::CreateFileA((dir / "target").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  std::thread scanner([held] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    ::CloseHandle(held);
  });
  EXPECT_TRUE(SystemFileOps().rename_file(dir / "new", dir / "target"));
  scanner.join();
  EXPECT_EQ(ReadFile(dir / "target"), "new");
}

}  // namespace
