// Loading a channel's program base into the ChannelTable.
#ifndef SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_

#include <string_view>

#include "base/status.h"
#include "base/stored_base.h"

// Replaces the ChannelTable's records and count with the base `name` (its
// NAME.ndx and NAME.pdt). On failure the ChannelTable is left empty.
Status LoadProgramBase(std::string_view name);

// The same, reading through `scratch`, which a composition keeps from one
// channel to the next so that loading allocates and clears no memory.
Status LoadProgramBase(std::string_view name, StoredBase* scratch);

// The same from a base already read and checked (ReadStoredBase or
// CheckStoredBase).
Status LoadStoredBase(const StoredBase& base);

#endif  // SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
