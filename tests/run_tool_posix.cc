#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>

#include "tests/run_tool.h"

namespace {

// Pipes rather than files: a file-size limit set for the tool must not cut
// what it prints. Input is fed while output is drained, so neither blocks.
void Exchange(int in_fd, int out_fd, int err_fd, const std::string& input, RunResult* result) {
  struct pollfd fds[] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}, {in_fd, POLLOUT, 0}};
  std::string* sinks[] = {&result->out, &result->err};
  std::size_t fed = 0;
  if (input.empty()) {
    ::close(in_fd);
    fds[2].fd = -1;
  }
  char buffer[4096];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    if (::poll(fds, 3, -1) < 0) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
      if (got > 0) {
        sinks[i]->append(buffer, static_cast<std::size_t>(got));
      } else {
        ::close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      const ssize_t sent = (fds[2].revents & POLLOUT)
                               ? ::write(fds[2].fd, input.data() + fed, input.size() - fed)
                               : -1;
      if (sent > 0) fed += static_cast<std::size_t>(sent);
      if (sent <= 0 || fed == input.size()) {
        ::close(fds[2].fd);
        fds[2].fd = -1;
      }
    }
  }
  if (fds[2].fd >= 0) ::close(fds[2].fd);
}

// The words of SKEDCOMP_TEST_WRAPPER, split at spaces.
std::vector<std::string> WrapperWords() {
  std::vector<std::string> words;
  const char* wrapper = std::getenv("SKEDCOMP_TEST_WRAPPER");
  std::string word;
  for (const char* c = wrapper != nullptr ? wrapper : ""; *c != '\0'; ++c) {
    if (*c != ' ') {
      word.push_back(*c);
    } else if (!word.empty()) {
      words.push_back(word);
      word.clear();
    }
  }
  if (!word.empty()) words.push_back(word);
  return words;
}

// The child's side: into `dir`, limits set, then the binary (under the
// wrapper, if any). Never returns.
[[noreturn]] void ExecInChild(const char* binary, const std::string& dir,
                              const std::vector<std::string>& args, const RunOptions& options) {
  if (::chdir(dir.c_str()) != 0) ::_exit(127);
  std::signal(SIGXFSZ, SIG_DFL);
  std::signal(SIGPIPE, SIG_DFL);
  if (options.file_size_limit > 0) {
    const struct rlimit limit = {static_cast<rlim_t>(options.file_size_limit),
                                 static_cast<rlim_t>(options.file_size_limit)};
    ::setrlimit(RLIMIT_FSIZE, &limit);
  }
  if (options.address_space_limit > 0) {
    const struct rlimit limit = {static_cast<rlim_t>(options.address_space_limit),
                                 static_cast<rlim_t>(options.address_space_limit)};
    ::setrlimit(RLIMIT_AS, &limit);
  }
  if (!options.stdout_file.empty()) {
    const int out = ::open(options.stdout_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out < 0 || ::dup2(out, STDOUT_FILENO) < 0) ::_exit(127);
    ::close(out);
  }
  if (options.as_nobody && ::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) {
    ::_exit(126);
  }
  for (const std::string& setting : options.environment) {
    const std::size_t equals = setting.find('=');
    ::setenv(setting.substr(0, equals).c_str(), setting.substr(equals + 1).c_str(), 1);
  }
  ::alarm(kWatchdogSeconds);  // survives exec: a hanging tool is killed
  std::vector<std::string> words = options.unwrapped ? std::vector<std::string>{} : WrapperWords();
  words.push_back(binary);
  words.insert(words.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  ::execvp(argv[0], argv.data());
  ::_exit(127);
}

}  // namespace

RunResult RunProgram(const char* binary, const std::string& dir,
                     const std::vector<std::string>& args, const RunOptions& options) {
  int in_pipe[2];
  int out_pipe[2];
  int err_pipe[2];
  RunResult result;
  if (::pipe(in_pipe) != 0 || ::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) return result;
  const pid_t child = ::fork();
  if (child == 0) {
    ::dup2(in_pipe[0], STDIN_FILENO);
    ::dup2(out_pipe[1], STDOUT_FILENO);
    ::dup2(err_pipe[1], STDERR_FILENO);
    for (const int fd :
         {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      ::close(fd);
    }
    ExecInChild(binary, dir, args, options);
  }
  ::close(in_pipe[0]);
  ::close(out_pipe[1]);
  ::close(err_pipe[1]);
  // A tool that stops reading early must not kill the test with SIGPIPE.
  std::signal(SIGPIPE, SIG_IGN);
  Exchange(in_pipe[1], out_pipe[0], err_pipe[0], options.input, &result);
  int status = 0;
  ::waitpid(child, &status, 0);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  return result;
}

int StartSkedcomp(const std::string& dir, const std::vector<std::string>& args) {
  const pid_t child = ::fork();
  if (child == 0) {
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(null, STDIN_FILENO);
    ::dup2(null, STDOUT_FILENO);
    ::dup2(null, STDERR_FILENO);
    ExecInChild(SKEDCOMP_BINARY, dir, args, RunOptions{});
  }
  return child;
}

bool IsPosix() { return true; }

bool MakeFifo(const std::string& path) { return ::mkfifo(path.c_str(), 0644) == 0; }

bool MakeSymlink(const std::string& target, const std::string& path) {
  return ::symlink(target.c_str(), path.c_str()) == 0;
}

bool NobodyCanRun(const char* binary) {
  if (::geteuid() != 0) return false;
  const pid_t child = ::fork();
  if (child == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(1);
    ::_exit(::access(binary, X_OK) == 0 ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}
