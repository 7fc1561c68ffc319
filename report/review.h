// What the review page shows, as a value: a composed guide or any program
// bases, each programme with where it came from and every mark worked out.
// The page only draws it (tool/review_page).
#ifndef SKEDCOMP_REPORT_REVIEW_H_
#define SKEDCOMP_REPORT_REVIEW_H_

#include <string>
#include <vector>

#include "base/program_start.h"
#include "base/program_tables.h"
#include "xmltv/code_page.h"

// Stretches of more than this with no programme starting are marked.
inline constexpr int kLongGapMinutes = 3 * 60;

// Empty days beyond this many in a row are folded into one row of the grid.
inline constexpr int kEmptyDaysShown = 7;

// The grid has a row a day and a lane a source in each row: more cells than
// this would make a page too large to open (hundreds of megabytes), so a
// review of bases that far apart, or that many, is refused.
inline constexpr long long kMaxGridCells = 200'000;

struct ReviewProgram {
  ProgramStart start;
  std::string title;  // UTF-8
  int source = 0;     // in ReviewPage::sources
  // Where a composed programme came from; only for a composed guide.
  bool composed = false;
  ProgramStart source_start;
  int shift = 0;
  int weekday_key = 0;  // range1 ... range7
  std::string range;    // "18:00-24:00"
  // Marks.
  bool moved = false;          // its shift moved it onto another date
  bool taken_twice = false;    // the same programme of its source more than once
  bool same_minute = false;    // starts the same minute as the one before it in its lane
  bool title_damaged = false;  // cut at the longest a base holds, or '?' where a character was
  bool long_gap = false;       // more than kLongGapMinutes until the next start in its lane
  // Against the guide on disk (a composed guide only): not there, or there
  // at another time only.
  bool added = false;
  bool retimed = false;
  long long until = -1;  // minutes to the next start in its lane; -1: none follows
};

// A programme that only the guide on disk holds (dropped), or only the one
// the composition makes now (added).
struct ReviewChange {
  bool added = false;
  ProgramStart start;
  std::string title;  // UTF-8
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
  std::vector<ReviewChange> changes;    // from the guide on disk to this one, in start order
  std::vector<ReviewProgram> programs;  // in guide order
};

// The page of the composition NAME, composed in `tables` as skedcomp would,
// nothing written. False, with why in `*error`, when it does not compose.
bool ReviewComposition(const std::string& name, ProgramTables& tables, const ShownText& shown,
                       ReviewPage* page, std::string* error);

// The page of the bases `names`, a lane each. False, with why in `*error`,
// when one does not read.
bool ReviewBases(const std::vector<std::string>& names, const ShownText& shown, ReviewPage* page,
                 std::string* error);

#endif  // SKEDCOMP_REPORT_REVIEW_H_
