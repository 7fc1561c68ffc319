#include <gtest/gtest.h>

#include "platform/base_path.h"

namespace {

TEST(BasePathTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(BaseFilePath("..\\bases\\one", ".pdt"), "../bases/one.pdt");
  EXPECT_EQ(CompositionFilePath("week"), "./week.cfg");
  EXPECT_EQ(CompositionFilePath("sub\\week"), "./sub/week.cfg");
}

}  // namespace
