#include "report/base_diff.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Each change as "-START TITLE" or "+START TITLE".
std::string Changes(const std::vector<StoredProgram>& old_programs,
                    const std::vector<StoredProgram>& new_programs) {
  std::string text;
  for (const ProgramChange& change : DiffPrograms(old_programs, new_programs)) {
    text += change.kind == ProgramChange::Kind::kRemoved ? "-" : "+";
    text += std::to_string(change.program.start) + " " + std::string(change.program.title) + " ";
  }
  return text;
}

TEST(BaseDiffTest, ListsWhatOnlyOneSideHoldsInStartOrder) {
  const std::vector<StoredProgram> base = {{30, "News"}, {10, "Film"}, {20, "Quiz"}};
  const struct {
    const char* what;
    std::vector<StoredProgram> now;
    std::string changes;
  } cases[] = {
      {"the same, in another order", {{20, "Quiz"}, {10, "Film"}, {30, "News"}}, ""},
      {"added", {{10, "Film"}, {20, "Quiz"}, {25, "Late"}, {30, "News"}}, "+25 Late "},
      {"removed", {{10, "Film"}, {30, "News"}}, "-20 Quiz "},
      {"retimed", {{10, "Film"}, {21, "Quiz"}, {30, "News"}}, "-20 Quiz +21 Quiz "},
      {"retitled", {{10, "Film"}, {20, "Quiz!"}, {30, "News"}}, "-20 Quiz +20 Quiz! "},
      {"twice", {{10, "Film"}, {20, "Quiz"}, {20, "Quiz"}, {30, "News"}}, "+20 Quiz "},
      {"all gone", {}, "-10 Film -20 Quiz -30 News "},
  };
  for (const auto& entry : cases) {
    EXPECT_EQ(Changes(base, entry.now), entry.changes) << entry.what;
  }
  EXPECT_EQ(Changes({}, base), "+10 Film +20 Quiz +30 News ");
}

}  // namespace
