#include "report/base_diff.h"

#include <algorithm>
#include <iterator>
#include <tuple>

namespace {

bool Before(const StoredProgram& a, const StoredProgram& b) {
  return std::tie(a.start, a.title) < std::tie(b.start, b.title);
}

std::vector<StoredProgram> Sorted(std::span<const StoredProgram> programs) {
  std::vector<StoredProgram> sorted(programs.begin(), programs.end());
  std::sort(sorted.begin(), sorted.end(), Before);
  return sorted;
}

}  // namespace

std::vector<ProgramChange> DiffPrograms(std::span<const StoredProgram> old_programs,
                                        std::span<const StoredProgram> new_programs) {
  const std::vector<StoredProgram> old_sorted = Sorted(old_programs);
  const std::vector<StoredProgram> new_sorted = Sorted(new_programs);
  std::vector<StoredProgram> removed;
  std::vector<StoredProgram> added;
  std::set_difference(old_sorted.begin(), old_sorted.end(), new_sorted.begin(), new_sorted.end(),
                      std::back_inserter(removed), Before);
  std::set_difference(new_sorted.begin(), new_sorted.end(), old_sorted.begin(), old_sorted.end(),
                      std::back_inserter(added), Before);
  std::vector<ProgramChange> changes;
  auto gone = removed.begin();
  auto come = added.begin();
  while (gone != removed.end() || come != added.end()) {
    if (come == added.end() || (gone != removed.end() && gone->start <= come->start)) {
      changes.push_back({ProgramChange::Kind::kRemoved, *gone++});
    } else {
      changes.push_back({ProgramChange::Kind::kAdded, *come++});
    }
  }
  return changes;
}
