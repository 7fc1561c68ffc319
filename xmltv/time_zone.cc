#include "xmltv/time_zone.h"

#include <date/tz.h>

#include <chrono>
#include <exception>
#include <iostream>
#include <sstream>

#include "platform/read_file.h"
#include "xmltv/zone_file.h"

namespace {

const date::time_zone* Zone(const TimeZone& zone) {
  return static_cast<const date::time_zone*>(zone.zone);
}

// The date library writes the lines of zone data it fails on to standard
// error before it throws: raw text of a file, no message for a user.
struct QuietStandardError {
  std::ostringstream kept;
  std::streambuf* before = std::cerr.rdbuf(kept.rdbuf());
  ~QuietStandardError() { std::cerr.rdbuf(before); }
};

// The library trusts a zone's compiled file and reads it at the zone's first
// use, where a damaged one aborts the run: it is checked first, then read
// at once, while a failure can still be caught.
bool ReadZoneData(const date::time_zone& zone, const std::string& shown, std::string* error) {
  const std::string path = ZoneFilePath(std::string(zone.name()));
  const std::string place =
      "the time-zone data of '" + shown + "'" + (path.empty() ? std::string() : " (" + path + ")");
  if (!path.empty()) {
    std::string bytes;
    const ReadFileResult read = ReadWholeFile(path, kZoneFileLimit, &bytes);
    if (read != ReadFileResult::kOk && read != ReadFileResult::kTooLarge) {
      *error = "cannot read " + place;
      return false;
    }
    const std::string fault =
        read == ReadFileResult::kTooLarge ? kZoneFileTooLarge : ZoneFileFault(bytes);
    if (!fault.empty()) {
      *error = place + " cannot be used: " + fault;
      return false;
    }
  }
  try {
    zone.get_info(date::sys_seconds{});
    return true;
  } catch (const std::exception&) {
    *error = "cannot read " + place;
    return false;
  }
}

}  // namespace

bool FindTimeZone(const std::string& name, TimeZone* zone, std::string* error) {
  const std::string wanted = name.empty() ? ChosenLocalZone() : name;
  zone->source = !name.empty()     ? ZoneSource::kOption
                 : !wanted.empty() ? ZoneSource::kEnvironment
                                   : ZoneSource::kSystem;
  const QuietStandardError quiet;
  try {
    PrepareZoneDatabase();
    date::get_tzdb();  // a database that cannot be read is no unknown name
  } catch (const std::exception&) {
    *error = "cannot read the time-zone database in " + ZoneDatabasePlace() +
             ": it is missing or damaged";
    return false;
  }
  const date::time_zone* found = nullptr;
  try {
    found = wanted.empty() ? date::current_zone() : date::locate_zone(wanted);
  } catch (const std::exception&) {
    if (!wanted.empty()) {
      *error = "unknown time zone '" + wanted + "'";
      return false;
    }
  }
  // A system set to no zone the database knows keeps its clock in UTC, as
  // the C library takes it; the report says so.
  if (found == nullptr) {
    try {
      found = date::locate_zone("UTC");
      zone->source = ZoneSource::kNoneFound;
    } catch (const std::exception&) {
      *error = "the system's local time zone is not one the time-zone database knows";
      return false;
    }
  }
  // As the user named it: the database may know it as a link to another name.
  zone->name = wanted.empty() ? std::string(found->name()) : wanted;
  zone->zone = found;
  return ReadZoneData(*found, zone->name, error);
}

std::string ZoneAndSourceText(const TimeZone& zone) {
  switch (zone.source) {
    case ZoneSource::kOption:
      return zone.name + " (from --tz)";
    case ZoneSource::kEnvironment:
      return zone.name + " (from TZ; --tz ZONE for another)";
    case ZoneSource::kSystem:
      return zone.name + " (the system's zone; --tz ZONE for another)";
    case ZoneSource::kNoneFound:
      break;
  }
  return zone.name + " (no --tz, no TZ, and no zone set on this system; --tz ZONE for another)";
}

std::int64_t WallTimeOf(const TimeZone& zone, std::int64_t utc) {
  const date::sys_seconds when{std::chrono::seconds{utc}};
  return Zone(zone)->to_local(when).time_since_epoch().count();
}

ZonedTime ExistingWallTime(const TimeZone& zone, std::int64_t wall) {
  const date::local_seconds when{std::chrono::seconds{wall}};
  const date::local_info info = Zone(zone)->get_info(when);
  if (info.result == date::local_info::nonexistent) {
    // `second` is what comes into force at the change, `begin` its moment.
    const std::int64_t offset = info.second.offset.count();
    return {info.second.begin.time_since_epoch().count() + offset, offset};
  }
  // For a repeated wall time, `first` is what was in force before.
  return {wall, info.first.offset.count()};
}
