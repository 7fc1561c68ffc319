// Writing the composed guide: the guide table in time order as a program base
// NAME.ndx + NAME.pdt, and its check log NAME.log.
#ifndef SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_

#include <string>
#include <string_view>
#include <vector>

#include "base/program_tables.h"
#include "base/status.h"
#include "platform/file_replace.h"

struct GuideFiles {
  std::string index;
  std::string titles;
  std::string log;
};

// Positions of the guide table in guide order: by CompareProgramTimes, records
// that compare equal in table order.
std::vector<int> GuideOrder(const ProgramTable& guide);

// Builds the three files' bytes from the guide table, ordered by
// CompareProgramTimes; records that compare equal keep their table order.
// Fails, touching nothing, when a title record would start past the 16-bit
// offset range or a start cannot be converted to a FILETIME.
Status BuildGuideFiles(const ProgramTable& guide, GuideFiles* files);

// BuildGuideFiles (whatever it refuses touches no file), then replaces
// NAME.ndx, NAME.pdt and NAME.log all together, with the promises of
// platform/file_replace.h: kOk is its success, kCantOpenOutput its kCantOpen,
// kWriteError its kWriteError and kPutBackFailed. `report` gets how the
// replacement went, when it was tried.
Status WriteProgramBase(std::string_view name, const ProgramTable& guide, ReplaceReport* report);

#endif  // SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_
