#include <gtest/gtest.h>

#include "platform/base_path.h"

namespace {

TEST(BasePathTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(BaseFilePath("..\\bases\\one", ".pdt"), "../bases/one.pdt");
  EXPECT_EQ(InCurrentFolder("week.cfg"), "./week.cfg");
  EXPECT_EQ(InCurrentFolder(BaseFilePath("sub\\week", ".cfg")), "./sub/week.cfg");
}

}  // namespace
