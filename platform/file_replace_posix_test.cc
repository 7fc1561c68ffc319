// Replacing files where POSIX has more to say: permission bits, links, a
// file-size limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "platform/file_replace.h"
#include "tests/file_replace_fixture.h"
#include "tests/test_support.h"

namespace {

mode_t ModeOf(const std::string& path) {
  struct stat info;
  EXPECT_EQ(::stat(path.c_str(), &info), 0) << path;
  return info.st_mode & 07777;
}

TEST_F(FileReplaceTest, ExistingTargetsKeepTheirPermissionBits) {
  WriteOld();
  ::chmod((dir_ / "out.a").c_str(), 0640);
  ::chmod((dir_ / "out.b").c_str(), 0606);
  ASSERT_EQ(Replace("x", "y"), ReplaceResult::kOk);
  EXPECT_EQ(ModeOf(dir_ / "out.a"), 0640u);
  EXPECT_EQ(ModeOf(dir_ / "out.b"), 0606u);
}

TEST_F(FileReplaceTest, UnwritableDirectoryIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root may write into any directory";
  WriteOld();
  ::chmod(dir_.path().c_str(), 0555);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  ::chmod(dir_.path().c_str(), 0755);
  ExpectOld();
}

TEST_F(FileReplaceTest, LinkedTargetIsWrittenThroughAndTheLinkKept) {
  ::mkdir((dir_ / "real").c_str(), 0755);
  WriteFile(dir_ / "real/target", "old");
  ASSERT_EQ(::symlink("real/target", (dir_ / "out.a").c_str()), 0);
  ASSERT_EQ(Replace("through", "b"), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "real/target"), "through");
  char link[64] = {};
  ASSERT_GT(::readlink((dir_ / "out.a").c_str(), link, sizeof link - 1), 0);
  EXPECT_STREQ(link, "real/target");
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b", "real"}));
}

TEST_F(FileReplaceTest, DanglingLinkIsRefused) {
  WriteFile(dir_ / "out.a", "old a");
  ASSERT_EQ(::symlink("nothing-here", (dir_ / "out.b").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_FALSE(FileExists(dir_ / "nothing-here"));
  EXPECT_EQ(ReadFile(dir_ / "out.a"), "old a");
}

TEST_F(FileReplaceTest, LinkOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link away";
  WriteFile(dir_ / "victim", "victim");
  ASSERT_EQ(::symlink("victim", (dir_ / "out.a").c_str()), 0);
  ASSERT_EQ(::lchown((dir_ / "out.a").c_str(), 65534, 65534), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "victim"), "victim");
}

TEST(FileReplaceLinksTest, LinksPlantedAtOurNamesAreNeverFollowed) {
  for (const bool no_exchange : {false, true}) {
    TempDir dir;
    for (const char* name : {"out.a", "out.b", "victim"}) WriteFile(dir / name, name);
    std::vector<std::string> ours = FilesOfOurs(dir / "out.a");
    ours.push_back(FilesOfOurs(dir / "out.b")[0]);
    for (const std::string& path : ours) {
      ASSERT_EQ(::symlink(&path == &ours.back() ? "nowhere" : "victim", path.c_str()), 0);
    }
    const FileReplacement files[] = {{dir / "out.a", "new a"}, {dir / "out.b", "new b"}};
    std::vector<std::string> left_behind;
    ReplaceFaults faults;
    faults.no_exchange = no_exchange;
    ASSERT_EQ(ReplaceFiles(files, &left_behind, &faults), ReplaceResult::kOk);
    EXPECT_EQ(ReadFile(dir / "out.a"), "new a");
    EXPECT_EQ(ReadFile(dir / "out.b"), "new b");
    EXPECT_EQ(ReadFile(dir / "victim"), "victim");
    EXPECT_FALSE(FileExists(dir / "nowhere"));
  }
}

TEST_F(FileReplaceTest, FailedWriteLeavesEveryTargetAsItWas) {
  WriteOld();
  struct rlimit saved;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
  const auto previous_handler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = saved;
  small.rlim_cur = 100;
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  const std::string big(150, 'b');
  const ReplaceResult first_fails = Replace(big, "y");
  const ReplaceResult second_fails = Replace("x", big);
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous_handler);

  EXPECT_EQ(first_fails, ReplaceResult::kWriteError);
  EXPECT_EQ(second_fails, ReplaceResult::kWriteError);
  ExpectOld();
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
}

TEST_F(FileReplaceTest, ALinkToAnotherTargetIsRefused) {
  WriteOld();
  ::unlink((dir_ / "out.a").c_str());
  ASSERT_EQ(::symlink("out.b", (dir_ / "out.a").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.b"), "old b");
  ::unlink((dir_ / "out.a").c_str());
  ASSERT_EQ(::link((dir_ / "out.b").c_str(), (dir_ / "out.a").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.b"), "old b");
  EXPECT_EQ(dir_.List(), (Names{"out.a", "out.b"}));
}

}  // namespace
