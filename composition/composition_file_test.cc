#include "composition/composition_file.h"

#include <gtest/gtest.h>

namespace {

TEST(ExtensionHintTest, OnlyTheProgramsOwnExtensionsAtTheEnd) {
  struct Case {
    const char* name;
    const char* hint;
  };
  const Case cases[] = {
      {"guide.cfg", " (did you mean 'run guide'? names go without .cfg)"},
      {"..\\bases\\one.NDX", " (did you mean 'run ..\\bases\\one'? names go without .NDX)"},
      {"a.b.pdt", " (did you mean 'run a.b'? names go without .pdt)"},
      {"x.Log", " (did you mean 'run x'? names go without .Log)"},
      {".ndx", ""},  // a name of its own
      {"guide", ""},
      {"guide.ndxx", ""},
      {"guide.txt", ""},
      {"guide.cfg.bak", ""},
      {"", ""},
  };
  for (const Case& entry : cases) {
    EXPECT_EQ(ExtensionHint("run", entry.name), entry.hint) << entry.name;
  }
}

}  // namespace
