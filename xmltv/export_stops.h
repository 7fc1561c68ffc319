// Where each exported programme stops. A base holds starts only: a programme
// runs until the next one starts. Players (tvheadend, Jellyfin) leave out a
// programme without a stop, or whose stop is not after its start, so export
// gives every programme one, by rules a user can choose.
#ifndef SKEDCOMP_XMLTV_EXPORT_STOPS_H_
#define SKEDCOMP_XMLTV_EXPORT_STOPS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/stored_base.h"
#include "xmltv/time_zone.h"

// How long the last programme of a channel runs, whose end no base holds.
inline constexpr int kDefaultLastMinutes = 60;
inline constexpr int kMaxLastMinutes = 24 * 60;

struct StopRules {
  // Programmes of a channel that start the same minute: written as one, their
  // titles joined (true), or each as it is, all stopping where the next
  // minute's programme starts (false: overlapping, but every programme
  // kept, for a round trip through import).
  bool join_same_minute = true;
  int last_minutes = kDefaultLastMinutes;
};

// " / ": between the titles of programmes joined.
inline constexpr char kJoinedTitles[] = " / ";

struct TimedProgramme {
  std::uint64_t start = 0;  // FILETIME ticks of the base's wall time
  std::uint64_t stop = 0;   // always after start
  std::string title;        // bytes of the base's code page
};

// How many stops the rules chose, where the base could not tell them.
struct ChosenStops {
  long long joined = 0;  // programmes joined to the one before, starting the same minute
  long long last = 0;    // last programmes given kDefaultLastMinutes (or as asked)
};

// The programmes of one channel, in base order, each with its stop: the
// given one (`given[k]`, from a composition) where it is in a later minute,
// else the start of the next programme that starts in a later minute, else
// `rules.last_minutes` after the start. Minutes are of the moments the wall
// times name in `zone`. Adds to `*chosen`.
std::vector<TimedProgramme> ProgrammesWithStops(const std::vector<StoredProgram>& programs,
                                                const std::vector<std::uint64_t>& given,
                                                const TimeZone& zone, const StopRules& rules,
                                                ChosenStops* chosen);

#endif  // SKEDCOMP_XMLTV_EXPORT_STOPS_H_
