#include "platform/file_replace.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kNameAttempts = 100;

struct PendingFile {
  std::string target;  // the file to replace, links resolved
  std::string temporary;
  mode_t mode = 0666;
  bool keep_mode = false;
  int fd = -1;
};

// The composer never changes its user, and a system call a file adds up over
// many names.
uid_t EffectiveUser() {
  static const uid_t user = ::geteuid();
  return user;
}

// Finds the regular file that `path` names, following links; false when it
// cannot be replaced (a directory, a device, read-only, a dangling link).
bool ResolveTarget(const std::string& path, PendingFile* pending) {
  if (path.find('\0') != std::string::npos) return false;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) {
    if (errno != ENOENT) return false;
    pending->target = path;
    return true;
  }
  pending->target = path;
  if (S_ISLNK(info.st_mode)) {
    // Only a link of the user's own is written through: one planted by
    // someone else must not steer the output onto another file.
    if (info.st_uid != EffectiveUser()) return false;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (resolved == nullptr || ::stat(resolved.get(), &info) != 0) return false;
    pending->target = resolved.get();
  }
  // A file without write bits is read-only even to root, as on Windows.
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) return false;
  // The owner's write bit settles it for the owner and for root; for anyone
  // else (groups, ACLs) the system decides.
  const uid_t user = EffectiveUser();
  const bool plainly_writable = (user == 0 || user == info.st_uid) && (info.st_mode & S_IWUSR);
  if (!plainly_writable && ::access(pending->target.c_str(), W_OK) != 0) return false;
  pending->mode = info.st_mode & 07777;
  pending->keep_mode = true;
  return true;
}

mode_t CurrentUmask() {
  static const mode_t mask = [] {
    const mode_t current = ::umask(0);
    ::umask(current);
    return current;
  }();
  return mask;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// Starts at `first_attempt`, so that the files of one replacement do not
// first try each other's names.
bool CreateTemporary(PendingFile* pending, int first_attempt) {
  const std::string directory = DirectoryOf(pending->target);
  for (int attempt = first_attempt; attempt < first_attempt + kNameAttempts; ++attempt) {
    pending->temporary = TemporaryPath(directory, attempt);
    // O_EXCL with O_NOFOLLOW: never write through a link planted at this name.
    pending->fd = ::open(pending->temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, pending->mode);
    if (pending->fd >= 0) {
      if (pending->keep_mode && (pending->mode & CurrentUmask()) != 0) {
        ::fchmod(pending->fd, pending->mode);  // the umask took some of the target's bits
      }
      return true;
    }
    if (errno != EEXIST) break;
  }
  pending->temporary.clear();
  return false;
}

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

ReplaceResult Abandon(std::vector<PendingFile>& pending, ReplaceResult result) {
  for (PendingFile& file : pending) {
    if (file.fd >= 0) ::close(file.fd);
    if (!file.temporary.empty()) ::unlink(file.temporary.c_str());
  }
  return result;
}

}  // namespace

std::string TemporaryPath(const std::string& directory, int attempt) {
  static const std::string pid = std::to_string(::getpid());
  return directory + "/.skedcomp-" + pid + "-" + std::to_string(attempt) + ".tmp";
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files) {
  std::vector<PendingFile> pending(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!ResolveTarget(files[i].path, &pending[i])) {
      return Abandon(pending, ReplaceResult::kCantOpen);
    }
  }
  for (std::size_t i = 0; i < pending.size(); ++i) {
    if (!CreateTemporary(&pending[i], static_cast<int>(i))) {
      return Abandon(pending, ReplaceResult::kCantOpen);
    }
  }
  for (std::size_t i = 0; i < files.size(); ++i) {
    const bool written = WriteAll(pending[i].fd, files[i].contents);
    const bool closed = ::close(pending[i].fd) == 0;
    pending[i].fd = -1;
    if (!written || !closed) return Abandon(pending, ReplaceResult::kWriteError);
  }
  for (PendingFile& file : pending) {
    if (::rename(file.temporary.c_str(), file.target.c_str()) != 0) {
      return Abandon(pending, ReplaceResult::kWriteError);
    }
    file.temporary.clear();
  }
  return ReplaceResult::kOk;
}
