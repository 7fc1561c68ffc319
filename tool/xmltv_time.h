// Times as XMLTV writes them, and as program bases store them. Times are
// seconds since 1970-01-01 00:00, in UTC or on a zone's wall clock.
#ifndef SKEDCOMP_TOOL_XMLTV_TIME_H_
#define SKEDCOMP_TOOL_XMLTV_TIME_H_

#include <cstdint>
#include <string>
#include <string_view>

// "YYYYMMDDhhmmss" or a leading part of it (at least the year; the rest
// counts from the start of the year, month or day), then optionally blanks
// and an offset "+HHMM" or "-HHMM"; without one the time is UTC. False when
// the text is no such time or names no real date and time.
bool ParseXmltvTime(std::string_view text, std::int64_t* utc);

// "20261207060000 +0100": a wall time and the offset in force then.
std::string FormatXmltvTime(std::int64_t wall, std::int64_t offset);

// "YYYY-MM-DD" as the wall time of its 00:00; false when no real date.
bool ParseIsoDate(std::string_view text, std::int64_t* wall);

// A wall time as the FILETIME ticks of its calendar fields; false before
// 1601, which a FILETIME cannot hold.
bool TicksOfWallTime(std::int64_t wall, std::uint64_t* ticks);

// FILETIME ticks as a wall time, seconds rounded down.
std::int64_t WallTimeOfTicks(std::uint64_t ticks);

#endif  // SKEDCOMP_TOOL_XMLTV_TIME_H_
