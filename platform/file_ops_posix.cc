#include <dirent.h>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <memory>

#include "platform/file_ops_system.h"

// Helpers and operations alike, so that the table in file_ops.cc finds them.
namespace system_file_ops {

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

FileIdentity IdentityOf(const struct stat& info) {
  return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)};
}

bool ResolveLink(const std::string& path, std::string* resolved) {
  *resolved = path;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
  // Only a link of the user's own is followed: one planted by someone else
  // must not steer the output onto another file.
  if (info.st_uid != EffectiveUser()) return false;
  std::unique_ptr<char, decltype(&std::free)> real(::realpath(path.c_str(), nullptr), &std::free);
  if (real == nullptr) return false;
  *resolved = real.get();
  return true;
}

bool InspectTarget(const std::string& path, ReplaceTarget* target) {
  target->path = path;
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return errno == ENOENT;
  // A file without write bits is read-only even to root, as on Windows.
  if (!S_ISREG(info.st_mode) || (info.st_mode & 0222) == 0) return false;
  // The owner's write bit settles it for the owner and for root; for anyone
  // else (groups, ACLs) the system decides.
  const uid_t user = EffectiveUser();
  const bool plainly_writable = (user == 0 || user == info.st_uid) && (info.st_mode & S_IWUSR);
  if (!plainly_writable && ::access(path.c_str(), W_OK) != 0) return false;
  target->exists = true;
  target->identity = IdentityOf(info);
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

bool IdentityOfPath(const std::string& path, FileIdentity* identity, bool* regular) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return false;
  *identity = IdentityOf(info);
  if (regular != nullptr) *regular = S_ISREG(info.st_mode);
  return true;
}

bool IdentityOfFile(FileHandle file, FileIdentity* identity) {
  struct stat info;
  if (::fstat(Descriptor(file), &info) != 0) return false;
  *identity = IdentityOf(info);
  return true;
}

// Opens `path` with `flags`, never through a link nor waiting on a FIFO,
// and keeps it only when it is a regular file.
int OpenRegular(const std::string& path, int flags) {
  const int fd = ::open(path.c_str(), flags | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return fd;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

FileOpResult OpenToAppend(const std::string& path, FileHandle* file) {
  const int fd = OpenRegular(path, O_WRONLY | O_APPEND);
  if (fd < 0) return FileOpResult::kFailed;
  *file = fd;
  return FileOpResult::kOk;
}

SmallRead ReadSmallFile(const std::string& path, std::size_t limit, std::string* text) {
  text->clear();
  const int fd = OpenRegular(path, O_RDONLY);
  if (fd < 0) {
    return errno == ENOENT || errno == ENOTDIR ? SmallRead::kMissing
           : errno == ELOOP || errno == EINVAL ? SmallRead::kNotRegular
                                               : SmallRead::kFailed;
  }
  char chunk[4096];
  SmallRead result = SmallRead::kOk;
  while (text->size() < limit) {
    const ssize_t got = ::read(fd, chunk, sizeof chunk);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) result = SmallRead::kFailed;
    if (got <= 0) break;
    text->append(chunk, static_cast<std::size_t>(got));
  }
  ::close(fd);
  return result;
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

// Makes the lock file, writable by every class of user that may write its
// folder whatever the umask, and of the folder's group, so that each user
// who may write there can lock it.
int CreateLockFile(const std::string& path) {
  struct stat folder;
  const bool known = ::stat(DirectoryOf(path).c_str(), &folder) == 0;
  const mode_t mode = 0644 | (known ? folder.st_mode & 0022 : 0);
  const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
  if (fd < 0) return errno == EEXIST ? OpenRegular(path, O_RDWR) : fd;  // made meanwhile
  // Only a member of the folder's group may give a file to it; a setgid
  // folder has given it already.
  if (known && ::fchown(fd, static_cast<uid_t>(-1), folder.st_gid) != 0) {
  }
  ::fchmod(fd, mode);
  return fd;
}

LockFileOpen OpenLockFile(const std::string& path, FileHandle* file) {
  int fd = OpenRegular(path, O_RDWR);
  if (fd < 0 && errno == ENOENT) fd = CreateLockFile(path);
  if (fd < 0) {
    // A link, folder, FIFO or socket at the name is no lock file.
    if (errno == ELOOP || errno == EINVAL || errno == EISDIR || errno == ENXIO) {
      return LockFileOpen::kNotRegular;
    }
    return errno == EACCES || errno == EPERM || errno == EROFS ? LockFileOpen::kNotWritable
                                                               : LockFileOpen::kFailed;
  }
  *file = fd;
  return LockFileOpen::kOk;
}

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
    return errno == EAGAIN || errno == EACCES ? LockAttempt::kBusy : LockAttempt::kFailed;
  }
}

}  // namespace system_file_ops

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

std::string NameKey(std::string_view name) { return std::string(name); }
