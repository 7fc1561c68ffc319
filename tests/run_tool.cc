#include "tests/run_tool.h"

#include <cstdlib>

RunResult RunSkedcomp(const std::string& dir, const std::vector<std::string>& args,
                      long file_size_limit) {
  RunOptions options;
  options.file_size_limit = file_size_limit;
  return RunProgram(SKEDCOMP_BINARY, dir, args, options);
}

RunResult RunSkedtool(const std::string& dir, const std::vector<std::string>& args,
                      const std::string& input) {
  RunOptions options;
  options.input = input;
  return RunProgram(SKEDTOOL_BINARY, dir, args, options);
}

RunResult RunAfterMounts(const std::string& mounts, const std::string& dir, const char* binary,
                         const std::vector<std::string>& args) {
  const char* wrapper = std::getenv("SKEDCOMP_TEST_WRAPPER");
  std::string script = mounts + " && cd '" + dir + "' && exec " +
                       (wrapper != nullptr ? wrapper : "") + " '" + binary + "'";
  for (const std::string& arg : args) script += " '" + arg + "'";
  RunOptions unwrapped;
  unwrapped.unwrapped = true;
  return RunProgram("/usr/bin/unshare", dir, {"-m", "sh", "-c", script}, unwrapped);
}

bool CanMountPrivately() {
  RunOptions unwrapped;
  unwrapped.unwrapped = true;
  return IsPosix() && RunProgram("/usr/bin/unshare", ".", {"-m", "true"}, unwrapped).exit_code == 0;
}
