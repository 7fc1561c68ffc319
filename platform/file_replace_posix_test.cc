// Replacing files where POSIX has more to say: permission bits, links, a
// file-size limit.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>

#include "platform/file_replace.h"
#include "platform/our_files.h"
#include "platform/replace_record.h"
#include "tests/faulty_file_ops.h"
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
  ::chmod((dir_ / "out.ndx").c_str(), 0640);
  ::chmod((dir_ / "out.pdt").c_str(), 0606);
  ASSERT_EQ(Replace("x", "y"), ReplaceResult::kOk);
  EXPECT_EQ(ModeOf(dir_ / "out.ndx"), 0640u);
  EXPECT_EQ(ModeOf(dir_ / "out.pdt"), 0606u);
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
  ASSERT_EQ(::symlink("real/target", (dir_ / "out.ndx").c_str()), 0);
  ASSERT_EQ(Replace("through", "b"), ReplaceResult::kOk);
  EXPECT_EQ(ReadFile(dir_ / "real/target"), "through");
  char link[64] = {};
  ASSERT_GT(::readlink((dir_ / "out.ndx").c_str(), link, sizeof link - 1), 0);
  EXPECT_STREQ(link, "real/target");
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt", "real"}));
}

TEST_F(FileReplaceTest, DanglingLinkIsRefused) {
  WriteFile(dir_ / "out.ndx", "old a");
  ASSERT_EQ(::symlink("nothing-here", (dir_ / "out.pdt").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_FALSE(FileExists(dir_ / "nothing-here"));
  EXPECT_EQ(ReadFile(dir_ / "out.ndx"), "old a");
}

TEST_F(FileReplaceTest, LinkOfAnotherUserIsRefused) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to give a link away";
  WriteFile(dir_ / "victim", "victim");
  ASSERT_EQ(::symlink("victim", (dir_ / "out.ndx").c_str()), 0);
  ASSERT_EQ(::lchown((dir_ / "out.ndx").c_str(), 65534, 65534), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "victim"), "victim");
}

TEST(FileReplaceLinksTest, LinksPlantedAtOurNamesAreNeverFollowed) {
  for (const bool no_exchange : {false, true}) {
    TempDir dir;
    for (const char* name : {"out.ndx", "out.pdt", "victim"}) WriteFile(dir / name, name);
    std::vector<std::string> ours = FilesOfOurs(dir / "out.ndx");
    ours.push_back(FilesOfOurs(dir / "out.pdt")[0]);
    for (const std::string& path : ours) {
      ASSERT_EQ(::symlink(&path == &ours.back() ? "nowhere" : "victim", path.c_str()), 0);
    }
    const FileReplacement files[] = {{dir / "out.ndx", "new a"}, {dir / "out.pdt", "new b"}};
    ReplaceReport report;
    FileFaults faults;
    faults.no_exchange = no_exchange;
    FaultyFileOps faulty(&faults);
    ASSERT_EQ(ReplaceFiles(files, &report), ReplaceResult::kOk);
    EXPECT_EQ(ReadFile(dir / "out.ndx"), "new a");
    EXPECT_EQ(ReadFile(dir / "out.pdt"), "new b");
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
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

TEST_F(FileReplaceTest, ALinkToAnotherTargetIsRefused) {
  WriteOld();
  ::unlink((dir_ / "out.ndx").c_str());
  ASSERT_EQ(::symlink("out.pdt", (dir_ / "out.ndx").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "old b");
  ::unlink((dir_ / "out.ndx").c_str());
  ASSERT_EQ(::link((dir_ / "out.pdt").c_str(), (dir_ / "out.ndx").c_str()), 0);
  EXPECT_EQ(Replace("x", "y"), ReplaceResult::kCantOpen);
  EXPECT_EQ(ReadFile(dir_ / "out.pdt"), "old b");
  EXPECT_EQ(dir_.List(), (Names{"out.ndx", "out.pdt"}));
}

}  // namespace

// A hand-made committed record whose new file is a link to a file with the
// recorded identity: the link is not put at the base's name.
TEST(HandMadeRecordsTest, ALinkForANewFileIsNotPutInPlace) {
  TempDir dir;
  for (const char* name : {"b.ndx", "b.pdt", "victim"}) WriteFile(dir / name, name);
  const BaseKey key = BaseKeyOf(dir / "b.ndx");
  FileIdentity identity;
  ASSERT_TRUE(Ops().identity_of_path(dir / "victim", &identity, nullptr));
  ASSERT_EQ(::symlink("victim", NewFilePath(key, dir / "b.ndx").c_str()), 0);
  WriteFile(RecordPath(key), RecordStart({"b.ndx"}) + RecordCommit({identity}));
  const FileReplacement files[] = {{dir / "b.pdt", "new pdt"}};
  ReplaceReport report;
  EXPECT_EQ(ReplaceFiles(files, &report), ReplaceResult::kOk) << ReplaceFailureText(report);
  struct stat info;
  ASSERT_EQ(::lstat((dir / "b.ndx").c_str(), &info), 0);
  EXPECT_TRUE(S_ISREG(info.st_mode));
  EXPECT_EQ(ReadFile(dir / "b.ndx"), "b.ndx");
  EXPECT_EQ(ReadFile(dir / "victim"), "victim");
}
