#include <gtest/gtest.h>

#include "platform/base_path.h"

namespace {

// Names reach the file functions as the bytes they are; Windows takes both
// separators itself.
TEST(BasePathTest, NamesStayAsTheyAre) {
  EXPECT_EQ(BaseFilePath("..\\bases\\one", ".pdt"), "..\\bases\\one.pdt");
  EXPECT_EQ(BaseFilePath("../bases/one", ".pdt"), "../bases/one.pdt");
  EXPECT_EQ(BaseFilePath("Caf\xE9", ".ndx"), "Caf\xE9.ndx");
  EXPECT_EQ(InCurrentFolder("week.cfg"), ".\\week.cfg");
  EXPECT_EQ(InCurrentFolder(BaseFilePath("sub/week", ".cfg")), ".\\sub/week.cfg");
}

}  // namespace
