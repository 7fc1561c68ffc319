#include <dirent.h>
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

std::string FileNameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

std::string PathInDirectory(const std::string& directory, const std::string& name) {
  return directory == "/" ? "/" + name : directory + "/" + name;
}

bool IdentityOfPath(const std::string& path, FileIdentity* identity) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return false;
  *identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

bool IdentityOfFile(FileHandle file, FileIdentity* identity) {
  struct stat info;
  if (::fstat(Descriptor(file), &info) != 0) return false;
  *identity = {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
  return true;
}

FileOpResult OpenToAppend(const std::string& path, FileHandle* file) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return FileOpResult::kFailed;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return FileOpResult::kFailed;
  }
  *file = fd;
  return FileOpResult::kOk;
}

bool SyncFile(FileHandle file) { return ::fsync(Descriptor(file)) == 0; }

bool SyncDirectory(const std::string& directory) {
  const int fd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  const bool synced = ::fsync(fd) == 0;
  ::close(fd);
  return synced;
}

bool ListDirectory(const std::string& directory, std::string_view prefix,
                   std::vector<std::string>* names) {
  names->clear();
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) return false;
  while (const dirent* entry = ::readdir(listing)) {
    const std::string_view name = entry->d_name;
    if (name.substr(0, prefix.size()) == prefix) names->emplace_back(name);
  }
  ::closedir(listing);
  return true;
}

std::string NameKey(std::string_view name) { return std::string(name); }

FileHandle OpenLockFile(const std::string& path) {
  // O_NOFOLLOW and O_NONBLOCK: a link or FIFO planted at the name is no lock.
  constexpr int kFlags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | kFlags, 0666);
  if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | kFlags);
  if (fd < 0) return kNoFile;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return kNoFile;
  }
  return fd;
}

namespace {

int SetLock(FileHandle file, std::uint64_t offset, std::uint64_t length, short type) {
  // Locks of the open file, not of the process (as fcntl's older locks are):
  // closing another descriptor of the file releases none of them.
  struct flock lock = {};
  lock.l_type = type;
  lock.l_whence = SEEK_SET;
  lock.l_start = static_cast<off_t>(offset);
  lock.l_len = static_cast<off_t>(length);
  return ::fcntl(Descriptor(file), F_OFD_SETLK, &lock);
}

}  // namespace

void UnlockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length) {
  SetLock(file, offset, length, F_UNLCK);
}

LockAttempt TryLockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length,
                         bool exclusive) {
  for (;;) {
    if (SetLock(file, offset, length, exclusive ? F_WRLCK : F_RDLCK) == 0) {
      return LockAttempt::kTaken;
    }
    if (errno == EINTR) continue;
    // A file opened for reading only cannot be locked exclusively (EBADF).
    return errno == EAGAIN || errno == EACCES ? LockAttempt::kBusy : LockAttempt::kFailed;
  }
}
