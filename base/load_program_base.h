// Loading a channel's program base into the channel table.
#ifndef SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_

#include <string_view>

#include "base/program_tables.h"
#include "base/status.h"
#include "base/stored_base.h"

// Replaces the channel table's records and count with the base `name` (its
// NAME.ndx and NAME.pdt). On failure the channel table is left empty.
Status LoadProgramBase(std::string_view name, ProgramTable& channel);

// The same, reading through `scratch`, which a composition keeps from one
// channel to the next so that loading allocates and clears no memory.
Status LoadProgramBase(std::string_view name, ProgramTable& channel, StoredBase* scratch);

// The same from a base already read and checked (ReadStoredBase or
// CheckStoredBase).
Status LoadStoredBase(const StoredBase& base, ProgramTable& channel);

#endif  // SKEDCOMP_BASE_LOAD_PROGRAM_BASE_H_
