// The IANA database shipped beside the programs, in the folder tzdata, with
// CLDR's table of Windows zone names (windowsZones.xml) through which the
// date library finds the zone Windows is set to.
#include <date/tz.h>

#include "platform/process.h"
#include "xmltv/time_zone.h"

// TZ means something else to Windows programs (and most never set it): the
// local zone is the system's setting.
std::string ChosenLocalZone() { return {}; }

std::string ZoneDatabasePlace() { return ProgramFolder() + "\\tzdata"; }

void PrepareZoneDatabase() {
  static const bool prepared = [] {
    date::set_install(ZoneDatabasePlace());
    return true;
  }();
  (void)prepared;
}

std::string ZoneFilePath(const std::string&) { return {}; }
