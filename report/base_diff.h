// What differs between two bases: the programmes only one of them holds.
#ifndef SKEDCOMP_REPORT_BASE_DIFF_H_
#define SKEDCOMP_REPORT_BASE_DIFF_H_

#include <span>
#include <vector>

#include "base/stored_base.h"

struct ProgramChange {
  enum class Kind { kRemoved, kAdded };  // only in the old base, only in the new
  Kind kind;
  StoredProgram program;  // its title points into the base it came from
};

// The programmes that stand in one list and not in the other, a programme
// being its start and title and counted as often as it stands. In start
// order; at one start the removed ones first, each kind by title.
std::vector<ProgramChange> DiffPrograms(std::span<const StoredProgram> old_programs,
                                        std::span<const StoredProgram> new_programs);

#endif  // SKEDCOMP_REPORT_BASE_DIFF_H_
