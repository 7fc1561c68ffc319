// Writing the composed guide: the GuideTable in time order as a program base
// NAME.ndx + NAME.pdt, and its check log NAME.log.
#ifndef SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_
#define SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_

#include <string>
#include <string_view>

#include "base/status.h"

struct GuideFiles {
  std::string index;
  std::string titles;
  std::string log;
};

// Builds the three files' bytes from the GuideTable, ordered by
// CompareProgramTimes; records that compare equal keep their table order.
// Fails, touching nothing, when a title record would start past the 16-bit
// offset range or a start cannot be converted to a FILETIME.
Status BuildGuideFiles(GuideFiles* files);

// BuildGuideFiles, then replaces NAME.ndx, NAME.pdt and NAME.log all together
// (platform/file_replace.h says how). What is promised:
// - kOk: all three files hold the new guide.
// - Any failure it reports (kCantOpenOutput, kWriteError, and everything
//   BuildGuideFiles refuses, before any file is touched): all three files
//   hold exactly their old bytes, or are still absent, and no temporary file
//   is left; except that when putting an old file back fails too (a second
//   failure of the file system), that old file is kept in a temporary file
//   .skedcomp-PID-N.tmp beside its target instead, still kWriteError.
// - A killed process leaves each of the three files whole, old or new, but
//   possibly some new beside others old, and may leave temporary files.
Status WriteProgramBase(std::string_view name);

#endif  // SKEDCOMP_BASE_WRITE_PROGRAM_BASE_H_
