// What the review page shows, as a value: a composed guide or any program
// bases, each programme with where it came from and every mark worked out.
// The page only draws it (tool/review_page).
#ifndef SKEDCOMP_REPORT_REVIEW_H_
#define SKEDCOMP_REPORT_REVIEW_H_

#include <cstddef>
#include <string>
#include <vector>

#include "base/program_start.h"
#include "base/program_tables.h"
#include "text/code_page.h"

// Stretches of more than this with no programme starting are marked.
inline constexpr int kLongGapMinutes = 3 * 60;

// Empty days beyond this many in a row are folded into one row of the grid.
inline constexpr int kEmptyDaysShown = 7;

// The most a page of bases may weigh: one that a browser still opens in
// seconds. Bases that would make a heavier page (many of them, or far apart in
// time) are refused before it is made, in the memory that much takes.
inline constexpr std::size_t kMaxPageBytes = std::size_t{48} << 20;
// The most the page spends, beyond its texts, on its frame, on each source (a
// colour, the legend), on each programme (a block in the grid and a row in
// the listing, every mark told) and on each cell of the grid (a day's row
// times the lanes, an empty day drawn as a gap, the lane's name in the row's
// label), each text as long as it is escaped. The page's own test holds it
// to them.
inline constexpr std::size_t kPageFrameBytes = std::size_t{16} << 10;
inline constexpr std::size_t kSourceBytes = 256;
inline constexpr std::size_t kProgramBytes = 1152;
inline constexpr std::size_t kCellBytes = 288;

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
  bool repeat = false;         // ... with the same title: an exact repeat of it
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
bool ReviewComposition(const std::string& name, ProgramTables& tables, const DisplayCodePage& shown,
                       ReviewPage* page, std::string* error);

// The page of the bases `names`, a lane each. False, with why in `*error`,
// when one does not read or the page would weigh more than kMaxPageBytes.
bool ReviewBases(const std::vector<std::string>& names, const DisplayCodePage& shown,
                 ReviewPage* page, std::string* error);

// The most `page` may weigh, drawn: its frame, sources, programmes and grid
// (the findings and changes of a composed page aside).
std::size_t PageWeightBound(const ReviewPage& page);

#endif  // SKEDCOMP_REPORT_REVIEW_H_
