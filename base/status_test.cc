// Every status has its line in the one table of messages and reasons.
#include "base/status.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(StatusTest, EveryStatusHasAMessageAPlaceAndAReason) {
  for (int value = 0; value <= static_cast<int>(Status::kUnusableName); ++value) {
    const auto status = static_cast<Status>(value);
    SCOPED_TRACE(value);
    const std::string message = StatusMessage(status);
    EXPECT_NE(message, "Internal error!\n");
    EXPECT_EQ(message.back(), '\n');
    if (status == Status::kOk) continue;
    EXPECT_STRNE(ExplainFailure(status).text, "internal error");
    // Only a reason that the message hides is added to a base's own error.
    const bool hidden = status == Status::kBaseLocked || status == Status::kUnusableName;
    EXPECT_EQ(*StatusReason(status) != '\0', hidden);
  }
}

}  // namespace
