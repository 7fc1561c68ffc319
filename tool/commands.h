// The skedtool commands. Each takes the arguments after its name, prints its
// results on standard output and its errors on standard error, and returns the
// process exit code: 0 done, 1 failed (check: findings), 2 usage error.
#ifndef SKEDCOMP_TOOL_COMMANDS_H_
#define SKEDCOMP_TOOL_COMMANDS_H_

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

struct Command {
  const char* name;
  const char* summary;  // one line for the overview
  const char* help;     // the whole of `skedtool NAME --help`; none where it is missing
  int (*run)(const Arguments& args);
  int failure_code;  // when it cannot finish: out of memory, output lost
};

#include <span>

int RunDump(const Arguments& args);
int RunMake(const Arguments& args);
int RunCheck(const Arguments& args);
int RunWeek(const Arguments& args);
int RunReview(const Arguments& args);
int RunDiff(const Arguments& args);

extern const char kDumpHelp[];
extern const char kMakeHelp[];
extern const char kCheckHelp[];
extern const char kWeekHelp[];
extern const char kReviewHelp[];
extern const char kDiffHelp[];

// The commands that link program bases to XMLTV, where the build has what
// they need (libxml2, the time-zone database, iconv); otherwise none.
std::span<const Command> XmltvCommands();

#endif  // SKEDCOMP_TOOL_COMMANDS_H_
