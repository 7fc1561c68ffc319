// Writing program bases as an XMLTV document.
#ifndef SKEDCOMP_XMLTV_WRITE_XMLTV_H_
#define SKEDCOMP_XMLTV_WRITE_XMLTV_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/stored_base.h"
#include "xmltv/time_zone.h"

struct XmltvChannelOut {
  std::string id;  // UTF-8: its id and display name
  std::vector<StoredProgram> programs;
  // When not empty: each programme's stop (FILETIME ticks), in place of the
  // next programme's start.
  std::vector<std::uint64_t> stops;
};

// The document (UTF-8): a <channel> for each channel, then the programmes of
// each in order, their starts the wall times of `zone`, their titles read in
// `code_page`. Each stops at its given stop or else where the next programme
// of its channel starts; the last has no stop then, and no programme has a
// stop before its start. A wall time
// that a change skips is written as the moment of the change, and one whose
// offset is not whole minutes in UTC. False when the document cannot be built.
bool WriteXmltv(const std::vector<XmltvChannelOut>& channels, const TimeZone& zone,
                const std::string& code_page, std::string* document);

#endif  // SKEDCOMP_XMLTV_WRITE_XMLTV_H_
