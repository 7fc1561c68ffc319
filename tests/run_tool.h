// Running the built skedcomp binary in a directory, as a user would.
#ifndef SKEDCOMP_TESTS_RUN_TOOL_H_
#define SKEDCOMP_TESTS_RUN_TOOL_H_

#include <string>
#include <vector>

struct RunResult {
  int exit_code = -1;  // -1 when the process did not exit normally
  std::string out;     // standard output
  std::string err;     // standard error
};

// Runs skedcomp with `args` in the working directory `dir`. A `file_size_limit`
// above 0 caps every file the process writes (RLIMIT_FSIZE, SIGXFSZ ignored),
// so that its writes fail past that size.
RunResult RunSkedcomp(const std::string& dir, const std::vector<std::string>& args,
                      long file_size_limit = 0);

#endif  // SKEDCOMP_TESTS_RUN_TOOL_H_
