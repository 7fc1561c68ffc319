// Wall-clock time in a zone of the system's time-zone database (IANA names
// such as Europe/Berlin), for reading and writing XMLTV times. Times are
// counted in seconds since 1970-01-01 00:00, in UTC or on the zone's wall
// clock.
#ifndef SKEDCOMP_PLATFORM_TIME_ZONE_H_
#define SKEDCOMP_PLATFORM_TIME_ZONE_H_

#include <cstdint>
#include <string>

struct TimeZone {
  const void* zone = nullptr;  // the database's own record
  std::string name;
};

// Finds the zone `name`; an empty name is the system's local zone: TZ when
// set, otherwise /etc/localtime. False with `error` saying why.
bool FindTimeZone(const std::string& name, TimeZone* zone, std::string* error);

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

#endif  // SKEDCOMP_PLATFORM_TIME_ZONE_H_
