#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/file_ops.h"

namespace {

// The composer never changes its user, and a system call a file adds up over
// many names.
uid_t EffectiveUser() {
  static const uid_t user = ::geteuid();
  return user;
}

mode_t CurrentUmask() {
  static const mode_t mask = [] {
    const mode_t current = ::umask(0);
    ::umask(current);
    return current;
  }();
  return mask;
}

int Descriptor(FileHandle file) { return static_cast<int>(file); }

}  // namespace

bool InspectTarget(const std::string& path, ReplaceTarget* target) {
  target->path = path;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  if (S_ISLNK(info.st_mode)) {
    // Only a link of the user's own is written through: one planted by
    // someone else must not steer the output onto another file.
    if (info.st_uid != EffectiveUser()) return false;
    std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr),
                                                         &std::free);
    if (resolved == nullptr || ::stat(resolved.get(), &info) != 0) return false;
    target->path = resolved.get();
  }
  // A file without write bits is read-only even to root, as on Windows.
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) return false;
  // The owner's write bit settles it for the owner and for root; for anyone
  // else (groups, ACLs) the system decides.
  const uid_t user = EffectiveUser();
  const bool plainly_writable = (user == 0 || user == info.st_uid) && (info.st_mode & S_IWUSR);
  if (!plainly_writable && ::access(target->path.c_str(), W_OK) != 0) return false;
  target->exists = true;
  target->identity = {static_cast<std::uint64_t>(info.st_dev),
                      static_cast<std::uint64_t>(info.st_ino)};
  target->mode = info.st_mode & 07777;
  target->keep_mode = true;
  return true;
}

FileOpResult CreateNewFile(const std::string& path, const ReplaceTarget& like, FileHandle* file) {
  // O_EXCL with O_NOFOLLOW: never write through a link planted at this name.
  const int fd =
      ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, like.mode);
  if (fd < 0) return errno == EEXIST ? FileOpResult::kNameTaken : FileOpResult::kFailed;
  if (like.keep_mode && (like.mode & CurrentUmask()) != 0) {
    ::fchmod(fd, like.mode);  // the umask took some of the target's bits
  }
  *file = fd;
  return FileOpResult::kOk;
}

bool WriteToFile(FileHandle file, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(Descriptor(file), bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

bool CloseFile(FileHandle file) { return ::close(Descriptor(file)) == 0; }

FileOpResult ExchangeFiles(const std::string& first, const std::string& second) {
  if (::renameat2(AT_FDCWD, first.c_str(), AT_FDCWD, second.c_str(), RENAME_EXCHANGE) == 0) {
    return FileOpResult::kOk;
  }
  // Kernels before 3.15 lack the call; some file systems lack the flag.
  if (errno == ENOSYS || errno == EINVAL || errno == EOPNOTSUPP) return FileOpResult::kUnsupported;
  return FileOpResult::kFailed;
}

FileOpResult LinkFile(const std::string& existing, const std::string& new_name) {
  if (::link(existing.c_str(), new_name.c_str()) == 0) return FileOpResult::kOk;
  if (errno == EEXIST) return FileOpResult::kNameTaken;
  // EPERM: the file system has no hard links, or the system protects the
  // files of other users from them.
  if (errno == EPERM || errno == EOPNOTSUPP || errno == ENOSYS || errno == EMLINK) {
    return FileOpResult::kUnsupported;
  }
  return FileOpResult::kFailed;
}

bool RenameFile(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(const std::string& path) { return ::unlink(path.c_str()) == 0; }

std::string DirectoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string PathInDirectory(const std::string& directory, const std::string& name) {
  return directory == "/" ? "/" + name : directory + "/" + name;
}

std::string ProcessTag() { return std::to_string(::getpid()); }
