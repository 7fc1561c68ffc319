#include "platform/base_path.h"

#include <gtest/gtest.h>

namespace {

TEST(BasePathTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(BaseFilePath("one", ".ndx"), "one.ndx");
  EXPECT_EQ(BaseFilePath("..\\bases\\one", ".pdt"), "../bases/one.pdt");
  EXPECT_EQ(BaseFilePath("/srv/guide", ".log"), "/srv/guide.log");
  EXPECT_EQ(CompositionFilePath("week"), "./week.cfg");
  EXPECT_EQ(CompositionFilePath("sub\\week"), "./sub/week.cfg");
}

TEST(BasePathTest, LongNamesAreNotCut) {
  const std::string name(5000, 'n');
  EXPECT_EQ(BaseFilePath(name, ".ndx"), name + ".ndx");
}

}  // namespace
