// Times as XMLTV writes them, and as program bases store them. Times are
// seconds since 1970-01-01 00:00, in UTC or on a zone's wall clock.
#ifndef SKEDCOMP_XMLTV_XMLTV_TIME_H_
#define SKEDCOMP_XMLTV_XMLTV_TIME_H_

#include <cstdint>
#include <string>
#include <string_view>

// A zone name that an XMLTV time may carry instead of an offset, and the
// offset it stands for. Only names that mean one offset wherever they are
// used; the table is the one list of them (import's help names them all).
struct XmltvZoneName {
  const char* name;
  int minutes;  // east of UTC
};
inline constexpr XmltvZoneName kXmltvZoneNames[] = {
    {"UTC", 0},     {"UT", 0},      {"GMT", 0},    {"Z", 0},      {"EST", -300}, {"EDT", -240},
    {"CST", -360},  {"CDT", -300},  {"MST", -420}, {"MDT", -360}, {"PST", -480}, {"PDT", -420},
    {"AKST", -540}, {"AKDT", -480}, {"HST", -600}, {"AST", -240}, {"ADT", -180}, {"NST", -210},
    {"NDT", -150},  {"WET", 0},     {"WEST", 60},  {"BST", 60},   {"CET", 60},   {"CEST", 120},
    {"EET", 120},   {"EEST", 180},  {"MSK", 180},  {"AEST", 600}, {"AEDT", 660}, {"ACST", 570},
    {"ACDT", 630},  {"AWST", 480},  {"NZST", 720}, {"NZDT", 780}, {"JST", 540},
};

// The names above, in their order, separated by ", ".
std::string XmltvZoneNameList();

enum class XmltvTimeResult {
  kOk,
  kMalformed,        // no XMLTV time, or no real date and time
  kUnknownZoneName,  // letters where the offset goes, but no name of the table
};

// How a time writes its offset from UTC.
enum class XmltvOffsetForm {
  kNone,      // not at all: the time is UTC
  kNumeric,   // +HHMM or -HHMM
  kZoneName,  // a name of the table
};

// "YYYYMMDDhhmmss" or a leading part of it (at least the year; the rest
// counts from the start of the year, month or day), then optionally blanks
// and an offset "+HHMM" or "-HHMM" (HH up to 23, MM up to 59) or a zone name
// of the table (any case); without either the time is UTC. With `offset`,
// the offset written, in seconds (0 for none); with `form`, how.
XmltvTimeResult ParseXmltvTime(std::string_view text, std::int64_t* utc,
                               std::int64_t* offset = nullptr, XmltvOffsetForm* form = nullptr);

// The latest wall time an XMLTV time can write: 9999-12-31 23:59:59.
inline constexpr std::int64_t kLatestXmltvWallTime = 253'402'300'799;

// "20261207060000 +0100": a wall time and the offset in force then. An
// offset that is not whole minutes (local mean time, before zones were
// standard) cannot be written: the moment is then written in UTC, "+0000",
// so that reading it back gives the same wall time.
std::string FormatXmltvTime(std::int64_t wall, std::int64_t offset);

// "+0100": an offset of whole minutes as XMLTV times write it.
std::string XmltvOffsetText(std::int64_t offset);

// "YYYY-MM-DD" as the wall time of its 00:00; false when no real date.
bool ParseIsoDate(std::string_view text, std::int64_t* wall);

// A wall time as the FILETIME ticks of its calendar fields; false before
// 1601, which a FILETIME cannot hold.
bool TicksOfWallTime(std::int64_t wall, std::uint64_t* ticks);

// FILETIME ticks as a wall time, seconds rounded down.
std::int64_t WallTimeOfTicks(std::uint64_t ticks);

#endif  // SKEDCOMP_XMLTV_XMLTV_TIME_H_
