// Checking any XMLTV document for what players leave out or misread, channel
// by channel, as it streams past: the programmes a channel lists are kept
// only in a short window sorted by start, so that the memory a check takes
// does not grow with the document.
#ifndef SKEDCOMP_XMLTV_FEED_CHECK_H_
#define SKEDCOMP_XMLTV_FEED_CHECK_H_

#include <array>
#include <cstdio>
#include <string>
#include <vector>

#include "text/code_page.h"
#include "xmltv/scan_xmltv.h"
#include "xmltv/time_zone.h"

// What a channel's programmes may show. Each kind is told once a channel,
// at the first programme of the file that shows it, with how many do.
enum class FeedFinding {
  kBadStart,           // no start players can read: they leave the programme out
  kNoStop,             // tvheadend and Jellyfin leave it out
  kBadStop,            // a stop no one can read: as if none
  kStopNotAfterStart,  // tvheadend leaves it out
  kRepeat,             // start, stop and title of the one before it
  kOverlap,            // starts before an earlier one stops
  kGap,                // nothing for longer than the limit
  kNoOffset,           // read as UTC by some players and as local time by others
  kZoneName,           // a zone name where readers expect +HHMM
  kOffsetNotZone,      // the offset of --tz's other season: a missed daylight-saving change
  kLostCharacters,     // characters the code page lacks: '?' once imported
};
inline constexpr std::size_t kFeedFindingKinds = 11;

// Longest a channel may show nothing before it is told: a night off the air,
// or the hours a composed guide leaves out each day, are shorter; a day
// missing from a feed is longer.
inline constexpr int kDefaultMaxGapMinutes = 24 * 60;
inline constexpr int kMaxGapMinutesLimit = 366 * 24 * 60;

// How many programmes of a channel are held, sorted by start, before the
// earliest is compared with those before it and let go. A programme listed
// further from its place than this is counted, not compared.
inline constexpr std::size_t kFeedWindow = 128;

struct FeedCheckOptions {
  XmltvScope scope;
  std::string code_page{kDefaultCodePage};
  bool has_zone = false;  // offsets are compared with `zone`'s seasons only when one is named
  TimeZone zone;
  int max_gap_minutes = kDefaultMaxGapMinutes;
};

struct FindingSeen {
  long count = 0;       // programmes that show it
  int line = 0;         // of the first programme in the file that shows it
  std::string detail;   // ... and what it shows there
  long long first = 0;  // ... and how many programmes came before it
  long long last = 0;   // of the last programme counted
};

struct FeedChannel {
  std::string id;
  long programmes = 0;
  std::array<FindingSeen, kFeedFindingKinds> found;
  std::vector<char32_t> lost;  // characters the code page lacks, each once
  long unplaced = 0;           // listed too far from their place to be compared
};

// Two channels whose bases an import would write to one file, on every
// system or on Windows (where names differ in letter case only).
struct SharedBaseFile {
  std::string first_id;
  std::string second_id;
  int line = 0;  // of the second channel's first programme
  bool windows_only = false;
};

struct FeedCheck {
  std::vector<FeedChannel> channels;  // in the order of their first programme
  std::vector<SharedBaseFile> shared_files;
  ScanTally tally;
  long programmes = 0;
};

// Reads the whole document from `file` and checks it; false with the reason
// when it cannot be read or is refused as import refuses it.
bool CheckFeed(std::FILE* file, const FeedCheckOptions& options, FeedCheck* check,
               std::string* error);

// A line for each finding, "FILE:LINE: CHANNEL: what", channel by channel,
// then the summary; and how many findings there were.
std::vector<std::string> FeedCheckLines(const FeedCheck& check, const FeedCheckOptions& options,
                                        long* findings);

#endif  // SKEDCOMP_XMLTV_FEED_CHECK_H_
