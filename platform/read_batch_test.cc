#include "platform/read_batch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "platform/file_replace.h"
#include "platform/our_files.h"
#include "tests/test_support.h"

namespace {

// Reads the base `name` of `dir` into `batch`.
bool ReadBase(const TempDir& dir, const std::string& name, ReadBatch* batch) {
  std::string buffers[2];
  std::size_t lengths[2] = {};
  FileStamp stamps[2];
  VersionedFile files[] = {{dir / (name + ".ndx"), 100, &buffers[0], &lengths[0], &stamps[0]},
                           {dir / (name + ".pdt"), 100, &buffers[1], &lengths[1], &stamps[1]}};
  return ReadIntoBatch(files, batch);
}

class ReadBatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!ListingsGiveFileNumbers()) GTEST_SKIP() << "this system confirms reads base by base";
  }
};

// What happens between the reads and the confirmation, and whether the
// batch is then confirmed.
TEST_F(ReadBatchTest, ConfirmsOnlyWhatNoWriterTouched) {
  const struct {
    const char* what;
    void (*meanwhile)(const TempDir& dir);
    bool confirmed;
  } cases[] = {
      {"nothing", [](const TempDir&) {}, true},
      {"a record of a base not read",
       [](const TempDir& dir) { WriteFile(RecordPath(BaseKeyOf(dir / "c.ndx")), ""); }, true},
      {"another file beside them", [](const TempDir& dir) { WriteFile(dir / "c.ndx", "c"); }, true},
      {"a writer replaced a base",
       [](const TempDir& dir) {
         const FileReplacement files[] = {{dir / "b.ndx", "new"}, {dir / "b.pdt", "new"}};
         ReplaceReport report;
         ASSERT_EQ(ReplaceFiles(files, &report), ReplaceResult::kOk);
       },
       false},
      {"a record of a base read (a writer at work, or a stopped one)",
       [](const TempDir& dir) { WriteFile(RecordPath(BaseKeyOf(dir / "a.ndx")), ""); }, false},
      {"a file read is gone", [](const TempDir& dir) { std::remove((dir / "a.pdt").c_str()); },
       false},
  };
  for (const auto& entry : cases) {
    SCOPED_TRACE(entry.what);
    TempDir dir;
    for (const char* name : {"a.ndx", "a.pdt", "b.ndx", "b.pdt"}) WriteFile(dir / name, name);
    ReadBatch batch;
    for (const char* base : {"a", "b"}) ASSERT_TRUE(ReadBase(dir, base, &batch));
    entry.meanwhile(dir);
    EXPECT_EQ(ConfirmBatch(&batch), entry.confirmed);
    EXPECT_TRUE(batch.files.empty());
  }
}

// What a batch does not take is read base by base: a link, or a file that
// is missing.
TEST_F(ReadBatchTest, TakesNoLinkAndNoMissingFile) {
  TempDir dir;
  for (const char* name : {"a.ndx", "a.pdt", "l.pdt"}) WriteFile(dir / name, name);
  std::filesystem::create_symlink("a.ndx", dir / "l.ndx");
  ReadBatch batch;
  EXPECT_FALSE(ReadBase(dir, "l", &batch));
  EXPECT_FALSE(ReadBase(dir, "missing", &batch));
  EXPECT_TRUE(batch.files.empty());
  EXPECT_TRUE(ReadBase(dir, "a", &batch));
  EXPECT_TRUE(ConfirmBatch(&batch));
}

}  // namespace
