#include "tests/run_tool.h"

#include <poll.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

// Pipes rather than files: a file-size limit set for the tool must not cut
// what it prints.
void ReadBoth(int out_fd, int err_fd, RunResult* result) {
  struct pollfd fds[] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  std::string* sinks[] = {&result->out, &result->err};
  int open_count = 2;
  char buffer[4096];
  while (open_count > 0) {
    if (::poll(fds, 2, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
}

}  // namespace

RunResult RunSkedcomp(const std::string& dir, const std::vector<std::string>& args,
                      long file_size_limit) {
  int out_pipe[2];
  int err_pipe[2];
  RunResult result;
  if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) return result;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    ::close(out_pipe[0]);
    ::close(err_pipe[0]);
    if (::chdir(dir.c_str()) != 0) ::_exit(127);
    if (file_size_limit > 0) {
      std::signal(SIGXFSZ, SIG_IGN);
      const struct rlimit limit = {static_cast<rlim_t>(file_size_limit),
                                   static_cast<rlim_t>(file_size_limit)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(SKEDCOMP_BINARY));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(SKEDCOMP_BINARY, argv.data());
    ::_exit(127);
  }
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  ReadBoth(out_pipe[0], err_pipe[0], &result);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}
