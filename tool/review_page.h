// The review page: the review of a composed guide or of program bases drawn
// as one HTML page to look at: a week grid of blocks on a 24-hour line, the
// listing beneath, the marks. Everything on it is text from the files,
// escaped; the page loads and runs nothing.
#ifndef SKEDCOMP_TOOL_REVIEW_PAGE_H_
#define SKEDCOMP_TOOL_REVIEW_PAGE_H_

#include <string>
#include <vector>

#include "report/review.h"

// The page, UTF-8.
std::string RenderReviewPage(const ReviewPage& page);

#endif  // SKEDCOMP_TOOL_REVIEW_PAGE_H_
