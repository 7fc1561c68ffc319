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
    if (info.st_uid != ::geteuid()) return false;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (resolved == nullptr || ::stat(resolved.get(), &info) != 0) return false;
    pending->target = resolved.get();
  }
  // A file without write bits is read-only even to root, as on Windows.
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0 ||
      ::access(pending->target.c_str(), W_OK) != 0) {
    return false;
  }
  pending->mode = info.st_mode & 07777;
  pending->keep_mode = true;
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

bool CreateTemporary(PendingFile* pending) {
  const std::string directory = DirectoryOf(pending->target);
  for (int attempt = 0; attempt < kNameAttempts; ++attempt) {
    pending->temporary = TemporaryPath(directory, attempt);
    // O_EXCL with O_NOFOLLOW: never write through a link planted at this name.
    pending->fd = ::open(pending->temporary.c_str(),
                         O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, pending->mode);
    if (pending->fd >= 0) {
      if (pending->keep_mode) ::fchmod(pending->fd, pending->mode);  // undo the umask
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
  return directory + "/.skedcomp-" + std::to_string(::getpid()) + "-" + std::to_string(attempt) +
         ".tmp";
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files) {
  std::vector<PendingFile> pending(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!ResolveTarget(files[i].path, &pending[i])) {
      return Abandon(pending, ReplaceResult::kCantOpen);
    }
  }
  for (PendingFile& file : pending) {
    if (!CreateTemporary(&file)) return Abandon(pending, ReplaceResult::kCantOpen);
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
