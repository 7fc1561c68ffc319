// The example guide, composed from the example listings, against the bytes
// kept beside this test in tests/golden/example.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/run_tool.h"
#include "tests/test_support.h"

namespace {

TEST(GoldenTest, ExampleGuide) {
  TempDir dir;
  std::filesystem::create_directories(dir / "bases");
  for (const char* channel : {"one", "kino", "sport", "kids"}) {
    const RunResult made =
        RunSkedtool(dir.path(), {"make", std::string("bases/") + channel,
                                 std::string(SKEDCOMP_EXAMPLES_DIR) + "/" + channel + ".listing"});
    ASSERT_EQ(made.exit_code, 0) << made.err;
  }
  WriteFile(dir / "guide.cfg", ReadFile(std::string(SKEDCOMP_EXAMPLES_DIR) + "/guide.cfg"));
  const RunResult run = RunSkedcomp(dir.path(), {"guide"});
  ASSERT_EQ(run.out, kBanner + "Composing guide... Ok\n");
  const std::string golden = std::string(SKEDCOMP_GOLDEN_DIR) + "/example/";
  EXPECT_EQ(ReadFile(dir / "guide.log"), ReadFile(golden + "guide.log"));
  EXPECT_EQ(RunSkedtool(dir.path(), {"dump", "guide"}).out, ReadFile(golden + "guide.listing"));
  // The listing is the guide's bytes: made back, it gives the same base.
  ASSERT_EQ(RunSkedtool(dir.path(), {"make", "again", golden + "guide.listing"}).exit_code, 0);
  EXPECT_EQ(ReadFile(dir / "again.ndx"), ReadFile(dir / "guide.ndx"));
  EXPECT_EQ(ReadFile(dir / "again.pdt"), ReadFile(dir / "guide.pdt"));
}

}  // namespace
