// Reading an XMLTV document into the programmes of channel bases: which
// channels, which days, titles in which language and code page.
#ifndef SKEDCOMP_XMLTV_READ_XMLTV_H_
#define SKEDCOMP_XMLTV_READ_XMLTV_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "text/code_page.h"
#include "xmltv/scan_xmltv.h"
#include "xmltv/time_zone.h"

// An import writes two files a channel, all in one replacement: this many
// channels is far beyond any real listing, and keeps the time and memory of
// one import bounded.
inline constexpr std::size_t kMaxChannels = 10'000;

// What to read.
struct XmltvReading {
  XmltvScope scope;
  TimeZone zone;  // whose wall time the starts become
  std::string code_page{kDefaultCodePage};
  bool has_from = false;
  bool has_to = false;
  std::int64_t from = 0;  // wall times
  std::int64_t to = 0;
  bool drop_repeats = false;  // leave out programmes that repeat one before them exactly
};

struct XmltvProgram {
  std::uint64_t start;  // FILETIME ticks of the wall time
  std::string title;    // in the code page
};

// The offsets from UTC of a channel's starts, in seconds: as the document
// writes them, and as the zone has them at the same moments.
struct OffsetRange {
  std::int64_t low = 0;
  std::int64_t high = 0;
};

struct XmltvChannel {
  std::string id;
  std::vector<XmltvProgram> programs;  // file order
  long in_window = 0;                  // counted on past the capacity, for the message
  int replaced = 0;                    // characters the code page lacks
  std::vector<char32_t> lost;          // ... each once, up to kLostCharactersKept
  int cut = 0;                         // titles cut to the longest a base holds
  int repeats = 0;  // programmes that repeat one before them exactly: start and title
  OffsetRange written;
  OffsetRange zone;
  std::int64_t first_wall = 0;  // the earliest and latest start in the window,
  std::int64_t last_wall = 0;   // for the message past the capacity
};

// Whether the channel's starts keep one offset while the zone changes its own
// between them, and that offset is one of the zone's: a document that means
// the zone's clock but ignores its daylight-saving changes, off by the change
// on one side of it. (A document in UTC throughout for a zone at +0000 in
// winter cannot be told from it: the warning says "if".)
bool IgnoresDaylightSaving(const XmltvChannel& channel);

struct XmltvListing {
  std::vector<XmltvChannel> channels;  // in the order of their first programme
  ScanTally tally;                     // programmes with no channel= are left out
};

// Reads the whole document from `file`; false with the reason, the file and
// line named, on the first failure. Nothing beyond `file` is ever loaded.
bool ReadXmltv(std::FILE* file, const XmltvReading& reading, XmltvListing* listing,
               std::string* error);

#endif  // SKEDCOMP_XMLTV_READ_XMLTV_H_
