// Wall-clock time in a zone of the IANA time-zone database (names such as
// Europe/Berlin), for reading and writing XMLTV times: the system's database
// on Linux, the one in the tzdata folder beside the programs on Windows. Times are
// counted in seconds since 1970-01-01 00:00, in UTC or on the zone's wall
// clock.
#ifndef SKEDCOMP_XMLTV_TIME_ZONE_H_
#define SKEDCOMP_XMLTV_TIME_ZONE_H_

#include <cstdint>
#include <string>

// Where the zone of a run came from.
enum class ZoneSource {
  kOption,       // named on the command line (--tz)
  kEnvironment,  // TZ
  kSystem,       // the zone the system is set to
  kNoneFound,    // none of these: UTC
};

struct TimeZone {
  const void* zone = nullptr;  // the database's own record
  std::string name;
  ZoneSource source = ZoneSource::kOption;
};

// Finds the zone `name`; an empty name is the system's local zone: on Linux
// TZ when set, otherwise /etc/localtime; on Windows the zone the system is
// set to; UTC when the system names none the database knows. False with
// `error` saying why.
bool FindTimeZone(const std::string& name, TimeZone* zone, std::string* error);

// "Europe/Berlin (from --tz)": the zone and where it came from, for a report.
std::string ZoneAndSourceText(const TimeZone& zone);

// The per-system part (time_zone_posix.cc, time_zone_win32.cc):
// the name of the local zone when the user chose one for this run (TZ on
// Linux), or "" for the system's own setting;
std::string ChosenLocalZone();
// ... where the database is kept, for messages;
std::string ZoneDatabasePlace();
// ... makes the database ready to be read; may throw, as the database does;
void PrepareZoneDatabase();
// ... and the compiled file that holds the zone `name` (as the database
// lists it), or "" where the database is read whole from text at once.
std::string ZoneFilePath(const std::string& name);

// The wall-clock time of `zone` at the UTC time `utc`.
std::int64_t WallTimeOf(const TimeZone& zone, std::int64_t utc);

// A wall-clock time of the zone and its offset from UTC, in seconds.
struct ZonedTime {
  std::int64_t wall;
  std::int64_t offset;
};

// The moment the wall-clock time `wall` names, as a wall time that exists and
// its offset. A wall time that a change skips (spring forward) names the
// moment of the change, given on the clock after it (02:30 becomes 03:00), so
// that later wall times never name earlier moments; one that a change repeats
// names its first moment, with the offset in force before the change.
ZonedTime ExistingWallTime(const TimeZone& zone, std::int64_t wall);

#endif  // SKEDCOMP_XMLTV_TIME_ZONE_H_
