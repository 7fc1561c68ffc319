// The review page: a composed guide, or any program bases, as one HTML page
// to look at: a week grid of blocks on a 24-hour line, the listing beneath,
// and what is worth a second look marked. Everything on it is text from the
// files, escaped; the page loads and runs nothing.
#ifndef SKEDCOMP_TOOL_REVIEW_PAGE_H_
#define SKEDCOMP_TOOL_REVIEW_PAGE_H_

#include <string>
#include <vector>

#include "base/calendar_time.h"

// A start to the minute, as the bases hold it.
struct ReviewTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int weekday = 0;  // 1 = Monday ... 7 = Sunday
  int hour = 0;
  int minute = 0;
};

struct ReviewProgram {
  ReviewTime start;
  std::string title;  // UTF-8
  int source = 0;     // in ReviewPage::sources
  // Where a composed programme came from; only for a composed guide.
  bool composed = false;
  ReviewTime source_start;
  int shift = 0;
  int weekday_key = 0;  // range1 ... range7
  std::string range;    // "18:00-24:00"
  // Marks.
  bool taken_twice = false;    // the same programme of its source more than once
  bool title_damaged = false;  // cut at the longest a base holds, or '?' where a character was
};

struct ReviewSource {
  std::string name;  // UTF-8
  int count = 0;     // programmes of the page from it
};

struct ReviewPage {
  std::string name;                     // the guide's name, or "bases"
  bool composed = false;                // a composed guide (one lane), or bases (a lane each)
  std::vector<ReviewSource> sources;    // each with its own colour
  std::vector<std::string> findings;    // of skedtool check, one line each
  std::string verdict;                  // check's last word, or ""
  std::string on_disk;                  // how the guide on disk compares, or ""
  std::vector<ReviewProgram> programs;  // in guide order
};

// Stretches of more than this with no programme starting are marked.
inline constexpr int kLongGapMinutes = 3 * 60;

// The page, UTF-8.
std::string RenderReviewPage(const ReviewPage& page);

// `text` with &, <, >, " and ' as character references, for HTML text and
// attribute values alike.
std::string EscapeHtml(const std::string& text);

#endif  // SKEDCOMP_TOOL_REVIEW_PAGE_H_
