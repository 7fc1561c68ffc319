// A folder with a channel base "one", a composition "guide" of it, and an
// old guide whose files must survive every failure untouched.
#ifndef SKEDCOMP_TESTS_GUIDE_FIXTURE_H_
#define SKEDCOMP_TESTS_GUIDE_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>

#include "tests/test_support.h"

inline const char* const kGuideFiles[] = {"guide.ndx", "guide.pdt", "guide.log"};

class GuideFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    WriteBase(dir_ / "one", {{FileTimeOf(2000, 3, 20, 19, 30), "News"},
                             {FileTimeOf(2000, 3, 20, 20, 0), "Film: Caf\xE9"}});
    WriteFile(dir_ / "guide.cfg", "[one]\n");
  }
  void WriteOldGuide() {
    for (const char* file : kGuideFiles) WriteFile(dir_ / file, std::string("old ") + file);
  }
  // Every guide file as it was, and no temporary file left beside them.
  void ExpectOldGuide(const std::string& context) {
    for (const char* file : kGuideFiles) {
      EXPECT_EQ(ReadFile(dir_ / file), std::string("old ") + file) << context;
    }
    for (const std::string& name : dir_.List()) {
      EXPECT_NE(name.rfind(".skedcomp-", 0), 0u) << "left behind: " << name << ", " << context;
    }
  }

  TempDir dir_;
};

#endif  // SKEDCOMP_TESTS_GUIDE_FIXTURE_H_
