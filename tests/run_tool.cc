#include "tests/run_tool.h"

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
