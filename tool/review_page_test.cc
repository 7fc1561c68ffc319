#include "tool/review_page.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// The bound that refuses a page before it is made holds for what is drawn:
// pages at their heaviest per programme (every mark, titles of quotes that
// escape sixfold) and per cell (empty days in many lanes). Not so loose that
// it refuses pages half its size.
TEST(ReviewPageTest, APageWeighsNoMoreThanItsBound) {
  for (const std::size_t title : {std::size_t{1}, std::size_t{300}}) {
    for (const int lanes : {1, 40}) {
      ReviewPage page;
      page.name = std::string(200, '"');
      for (int lane = 0; lane < lanes; ++lane) page.sources.push_back({std::string(80, '<'), 0});
      for (int k = 0; k < 200; ++k) {
        ReviewProgram program;
        // Every eighth day, so that the days between are drawn empty.
        program.start = {(k % 40) / 2, 30, 1 + k / 40 * 7, 12, 2026, 1};
        program.title = std::string(title, '"');
        program.source = k % lanes;
        program.moved = program.taken_twice = program.same_minute = program.title_damaged =
            program.long_gap = program.retimed = true;
        program.until = 600;
        page.programs.push_back(program);
      }
      const std::size_t drawn = RenderReviewPage(page).size();
      SCOPED_TRACE(std::to_string(title) + " " + std::to_string(lanes));
      EXPECT_LE(drawn, PageWeightBound(page));
      EXPECT_GE(drawn * 2, PageWeightBound(page));
    }
  }
}

}  // namespace
