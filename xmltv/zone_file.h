// The time-zone database's compiled zone files (TZif), checked before the date
// library reads one: the library trusts them, and a damaged one would abort
// the run (an assertion), read past its tables or block on a FIFO. A file
// that passes holds every table its header counts, types and names that
// exist, and nothing more than a zone file could weigh.
#ifndef SKEDCOMP_XMLTV_ZONE_FILE_H_
#define SKEDCOMP_XMLTV_ZONE_FILE_H_

#include <cstddef>
#include <string>
#include <string_view>

// Far beyond any real zone file (the largest are under 4 KiB).
inline constexpr std::size_t kZoneFileLimit = std::size_t{256} << 10;
inline constexpr const char* kZoneFileTooLarge = "it is larger than any zone file";

// Why `bytes` is no zone file the date library may read ("it is cut short"),
// or "" when it is one.
std::string ZoneFileFault(std::string_view bytes);

#endif  // SKEDCOMP_XMLTV_ZONE_FILE_H_
