// Running the built binaries in a directory, as a user would.
#ifndef SKEDCOMP_TESTS_RUN_TOOL_H_
#define SKEDCOMP_TESTS_RUN_TOOL_H_

#include <algorithm>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

// What every skedcomp run prints first, and what every check log starts with.
inline const std::string kBanner =
    "QAX 3.0 TV Program Base Composer, version 2.0 - by the skedcomp authors\n";
inline const std::string kLogHeader =
    "Check this file for be convinced, what new base is ok!\r\n\r\n";

struct RunResult {
  int exit_code = -1;  // -1 when the process did not exit normally
  std::string out;     // standard output
  std::string err;     // standard error
};

// Of these, Windows has only `input`, `stdout_file` and `raw_output`.
struct RunOptions {
  // Above 0: caps every file the process writes (RLIMIT_FSIZE), so that its
  // writes fail past that size. SIGXFSZ is left at its default, as a user's
  // shell leaves it: the tools must handle it themselves.
  long file_size_limit = 0;
  // Above 0: caps the process's address space (RLIMIT_AS), so that it runs
  // out of memory.
  long address_space_limit = 0;
  // When set, standard output goes to this file (such as /dev/full) instead
  // of being captured.
  std::string stdout_file;
  // On Windows, text-mode output ends lines in CR LF, which is captured as LF
  // unless this is set.
  bool raw_output = false;
  std::string input;  // standard input
  // Run as the unprivileged user "nobody" when the tests run as root, so that
  // permission checks bite.
  bool as_nobody = false;
  // Set in the process's environment, "NAME=VALUE" each (POSIX only).
  std::vector<std::string> environment;
  // Not under SKEDCOMP_TEST_WRAPPER: for a program that runs ours in turn.
  bool unwrapped = false;
};

// Whether skedtool has import, export and validate: a build without libxml2
// or the date library answers them only with what it lacks, and the tests
// that need them skip.
inline constexpr bool kToolHasXmltv = SKEDCOMP_BUILD_HAS_XMLTV;
inline constexpr const char* kNoXmltvReason = "this build has no XMLTV support";
inline constexpr std::string_view kXmltvCommands[] = {"import", "export", "validate"};
inline bool IsXmltvCommand(std::string_view command) {
  return std::find(std::begin(kXmltvCommands), std::end(kXmltvCommands), command) !=
         std::end(kXmltvCommands);
}

// The process is killed, and the run fails, when it takes longer than this:
// the tools must never hang.
inline constexpr int kWatchdogSeconds = 60;

// With SKEDCOMP_TEST_WRAPPER set (e.g. "valgrind --error-exitcode=99 -q"),
// the binary runs under that command.
RunResult RunProgram(const char* binary, const std::string& dir,
                     const std::vector<std::string>& args, const RunOptions& options = {});

// Starts skedcomp with `args` in `dir`, its output discarded, and returns its
// process id without waiting; for tests that kill it midway (POSIX only).
int StartSkedcomp(const std::string& dir, const std::vector<std::string>& args);

// skedcomp or skedtool with `args` in the working directory `dir`.
RunResult RunSkedcomp(const std::string& dir, const std::vector<std::string>& args,
                      long file_size_limit = 0);
RunResult RunSkedtool(const std::string& dir, const std::vector<std::string>& args,
                      const std::string& input = "");

// `binary` with `args` in `dir`, run in a mount namespace of its own after
// the shell commands `mounts` (bind mounts over the files it reads), under
// SKEDCOMP_TEST_WRAPPER as RunProgram runs it (POSIX only). And whether this
// system lets the tests make such namespaces.
RunResult RunAfterMounts(const std::string& mounts, const std::string& dir, const char* binary,
                         const std::vector<std::string>& args);
bool CanMountPrivately();

// What only a POSIX system has; the tests that need it pass over it elsewhere.
bool IsPosix();
bool MakeFifo(const std::string& path);
bool MakeSymlink(const std::string& target, const std::string& path);
// Whether the tests run as root and user 65534 ("nobody") can reach and run
// `binary` (a build under a folder of mode 700 it cannot).
bool NobodyCanRun(const char* binary);

#endif  // SKEDCOMP_TESTS_RUN_TOOL_H_
