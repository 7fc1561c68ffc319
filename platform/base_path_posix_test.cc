#include <gtest/gtest.h>

#include "platform/base_path.h"

namespace {

TEST(BasePathTest, BackslashesBecomeSlashes) {
  EXPECT_EQ(BaseFilePath("..\\bases\\one", ".pdt"), "../bases/one.pdt");
  EXPECT_EQ(InCurrentFolder("week.cfg"), "./week.cfg");
  EXPECT_EQ(InCurrentFolder(BaseFilePath("sub\\week", ".cfg")), "./sub/week.cfg");
}

TEST(BasePathTest, NamesTooLongAreTold) {
  EXPECT_EQ(FileNameProblem("dir/" + std::string(251, 'a') + ".ndx"), "");
  EXPECT_EQ(FileNameProblem("dir/" + std::string(252, 'a') + ".ndx"),
            "has a file name of 256 bytes; the system allows 255");
}

}  // namespace
