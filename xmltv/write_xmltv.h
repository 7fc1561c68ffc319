// Writing program bases as an XMLTV document.
#ifndef SKEDCOMP_XMLTV_WRITE_XMLTV_H_
#define SKEDCOMP_XMLTV_WRITE_XMLTV_H_

#include <cstdint>
#include <string>
#include <vector>

#include "xmltv/export_stops.h"
#include "xmltv/time_zone.h"

struct XmltvChannelOut {
  std::string id;  // UTF-8: its id and display name
  std::vector<TimedProgramme> programmes;
};

// The document (UTF-8): a <channel> for each channel, then the programmes of
// each in order, their starts and stops the wall times of `zone`, their
// titles read in `code_page`. A wall time that a change skips is written as
// the moment of the change, and one whose offset is not whole minutes in
// UTC; a stop that comes out no later than its start so is left out (a
// daylight-saving change between them). False when the document cannot be
// built.
bool WriteXmltv(const std::vector<XmltvChannelOut>& channels, const TimeZone& zone,
                const std::string& code_page, std::string* document);

#endif  // SKEDCOMP_XMLTV_WRITE_XMLTV_H_
