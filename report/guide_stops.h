// Where each programme of a composed guide ends, as its composition implies:
// at the next programme's start, or earlier at the end of the range that
// took it, moved by its section's shift.
#ifndef SKEDCOMP_REPORT_GUIDE_STOPS_H_
#define SKEDCOMP_REPORT_GUIDE_STOPS_H_

#include <cstdint>
#include <string>
#include <vector>

#include "base/program_tables.h"
#include "base/stored_base.h"

// Composes NAME.cfg in `tables` as skedcomp would, nothing written, and
// gives a stop (FILETIME ticks) for each programme of `guide`, the base
// NAME as read from disk, in its order. False, with why in `*error`, when
// the composition does not compose or the guide on disk is not what it
// composes now: then no stop can be told.
bool ComposedStops(const std::string& name, const StoredBase& guide, ProgramTables& tables,
                   std::vector<std::uint64_t>* stops, std::string* error);

#endif  // SKEDCOMP_REPORT_GUIDE_STOPS_H_
