#include "platform/base_path.h"

#include <gtest/gtest.h>

namespace {

TEST(BasePathTest, ExtensionsAreAppendedUnchanged) {
  EXPECT_EQ(BaseFilePath("one", ".ndx"), "one.ndx");
  EXPECT_EQ(BaseFilePath("/srv/guide", ".log"), "/srv/guide.log");
  EXPECT_EQ(BaseFilePath("one.old", ".pdt"), "one.old.pdt");
}

TEST(BasePathTest, LongNamesAreNotCut) {
  const std::string name(5000, 'n');
  EXPECT_EQ(BaseFilePath(name, ".ndx"), name + ".ndx");
}

}  // namespace
