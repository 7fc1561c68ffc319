#include "base/compare_program_times.h"

int CompareProgramTimes(const ProgramRecord& a, const ProgramRecord& b) {
  const std::int32_t ProgramRecord::*const fields[] = {
      &ProgramRecord::year,    &ProgramRecord::month, &ProgramRecord::day,
      &ProgramRecord::weekday, &ProgramRecord::hour,  &ProgramRecord::minute};
  for (const auto field : fields) {
    if (a.*field != b.*field) return a.*field < b.*field ? -1 : 1;
  }
  return 0;
}
