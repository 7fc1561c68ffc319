// Loading a channel's program base into the ChannelTable.
#ifndef SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_

#include <string_view>

#include "base/status.h"

// Replaces the ChannelTable's records and count with the base `name` (its
// NAME.ndx and NAME.pdt). On failure the ChannelTable is left empty.
Status LoadProgramBase(std::string_view name);

#endif  // SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
