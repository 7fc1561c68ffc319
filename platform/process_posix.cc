#include <csignal>
#include <filesystem>
#include <system_error>

#include "platform/process.h"

void PrepareProcess() { std::signal(SIGXFSZ, SIG_IGN); }

std::string ProgramFolder() {
  std::error_code error;
  const std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? "." : program.parent_path().string();
}
