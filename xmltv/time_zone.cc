#include "xmltv/time_zone.h"

#include <date/tz.h>

#include <chrono>
#include <exception>

namespace {

const date::time_zone* Zone(const TimeZone& zone) {
  return static_cast<const date::time_zone*>(zone.zone);
}

}  // namespace

bool FindTimeZone(const std::string& name, TimeZone* zone, std::string* error) {
  const std::string wanted = name.empty() ? ChosenLocalZone() : name;
  try {
    PrepareZoneDatabase();
    date::get_tzdb();  // a database that cannot be read is no unknown name
  } catch (const std::exception& failure) {
    *error = "cannot read the time-zone database: " + std::string(failure.what());
    return false;
  }
  try {
    const date::time_zone* found =
        wanted.empty() ? date::current_zone() : date::locate_zone(wanted);
    zone->zone = found;
    // As the user named it: the database may know it as a link to another name.
    zone->name = wanted.empty() ? std::string(found->name()) : wanted;
    return true;
  } catch (const std::exception& failure) {
    *error = wanted.empty()
                 ? "the system's local time zone is unknown (" + std::string(failure.what()) + ")"
                 : "unknown time zone '" + wanted + "'";
    return false;
  }
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
