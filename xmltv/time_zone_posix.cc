// The system's own time-zone database (/usr/share/zoneinfo), as the date
// library finds it.
#include <cstdlib>

#include "xmltv/time_zone.h"

std::string ChosenLocalZone() {
  // As other Unix tools read it; a leading ':' names a file of the database.
  const char* tz = std::getenv("TZ");
  if (tz == nullptr || *tz == '\0') return {};
  return tz[0] == ':' ? tz + 1 : tz;
}

void PrepareZoneDatabase() {}

// Where the date library reads it on Debian.
std::string ZoneDatabasePlace() { return "/usr/share/zoneinfo"; }

std::string ZoneFilePath(const std::string& name) { return ZoneDatabasePlace() + "/" + name; }
