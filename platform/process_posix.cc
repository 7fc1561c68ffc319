#include <sys/resource.h>
#include <unistd.h>

#include <csignal>

#include "platform/process.h"

void PrepareProcess() { std::signal(SIGXFSZ, SIG_IGN); }

// readlink, not std::filesystem: that would link the C++ streams and locales
// into both programs, and every run would pay for loading them.
std::string ProgramFolder() {
  char path[4096];
  const ssize_t length = ::readlink("/proc/self/exe", path, sizeof path);
  if (length <= 0 || static_cast<std::size_t>(length) >= sizeof path) return ".";
  const std::string program(path, static_cast<std::size_t>(length));
  const std::size_t slash = program.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : program.substr(0, slash);
}

std::size_t OpenFileLimit() {
  struct rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0) return 0;
  return limit.rlim_cur == RLIM_INFINITY ? static_cast<std::size_t>(-1)
                                         : static_cast<std::size_t>(limit.rlim_cur);
}
