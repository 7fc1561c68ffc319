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

TEST(BasePathTest, NamesWindowsCannotMakeAreTold) {
  struct Case {
    std::string path;
    const char* problem_start;  // "" for none
  };
  const Case cases[] = {
      {"dir\\CON.ndx", "is named after the device CON"},
      {"nul.pdt", "is named after the device NUL"},
      {"C:com7.ndx", "is named after the device COM7"},
      {"x/Lpt1.ndx", "is named after the device LPT1"},
      {"CONSOLE.ndx", ""},
      {"COM10.ndx", ""},
      {"dir\\guide.ndx", ""},
      {"C:\\" + std::string(300, 'a') + ".ndx", "is 307 characters long"},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(FileNameProblem(entry.path).rfind(entry.problem_start, 0), 0u) << entry.path;
    EXPECT_EQ(FileNameProblem(entry.path).empty(), *entry.problem_start == '\0') << entry.path;
  }
}

}  // namespace
