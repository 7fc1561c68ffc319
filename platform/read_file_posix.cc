#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "platform/read_file.h"

namespace {

FileStamp StampOf(const struct stat& info) {
  FileStamp stamp;
  stamp.identity = {static_cast<std::uint64_t>(info.st_dev),
                    static_cast<std::uint64_t>(info.st_ino)};
  stamp.size = static_cast<std::uint64_t>(info.st_size);
  stamp.written = std::int64_t{info.st_mtim.tv_sec} * 1'000'000'000 + info.st_mtim.tv_nsec;
  stamp.changed = std::int64_t{info.st_ctim.tv_sec} * 1'000'000'000 + info.st_ctim.tv_nsec;
  return stamp;
}

}  // namespace

bool StampOfPath(const std::string& path, FileStamp* stamp) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  *stamp = StampOf(info);
  return true;
}

bool LinkStampOfPath(const std::string& path, FileStamp* stamp, bool* link) {
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0) return false;
  *stamp = StampOf(info);
  *link = S_ISLNK(info.st_mode);
  return true;
}

bool RealPathOf(const std::string& path, std::string* real) {
  char* resolved = ::realpath(path.c_str(), nullptr);
  if (resolved == nullptr) return false;
  *real = resolved;
  std::free(resolved);
  return true;
}

ReadFileResult ReadRegularFile(const std::string& path, std::size_t limit, std::size_t refuse_above,
                               std::string* buffer, std::size_t* length, FileStamp* stamp,
                               bool no_follow, FileHandle* held) {
  *length = 0;
  // O_NONBLOCK keeps a FIFO from holding the open until a writer appears.
  const int fd =
      ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | (no_follow ? O_NOFOLLOW : 0));
  if (fd < 0) return ReadFileResult::kCantOpen;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadFileResult::kCantOpen;
  }
  if (stamp != nullptr) *stamp = StampOf(info);
  if (static_cast<std::uint64_t>(info.st_size) > refuse_above) {
    ::close(fd);
    return ReadFileResult::kTooLarge;
  }
  // A file is read as large as it was when opened; only files that report
  // no size (such as those under /proc) are read until they end.
  const auto size = static_cast<std::size_t>(info.st_size);
  if (size > 0 && size < limit) limit = size;
  std::size_t filled = 0;
  ReadFileResult result = ReadFileResult::kOk;
  while (filled < limit) {
    if (buffer->size() <= filled) {
      buffer->resize(filled +
                     (size > 0 ? limit - filled : std::min<std::size_t>(limit - filled, 4096)));
    }
    const std::size_t room = std::min(buffer->size(), limit) - filled;
    const ssize_t got = ::read(fd, buffer->data() + filled, room);
    if (got < 0) {
      if (errno == EINTR) continue;
      result = ReadFileResult::kReadError;
      break;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  *length = filled;
  if (held != nullptr && result == ReadFileResult::kOk) {
    *held = static_cast<FileHandle>(fd);
  } else {
    ::close(fd);
  }
  return result;
}

std::FILE* OpenReadStream(const std::string& path) {
  // Without O_NONBLOCK, opening a FIFO waits for a writer, maybe for ever;
  // with it the open returns at once, and reading then waits only for data
  // from a writer that is there.
  const int descriptor = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (descriptor < 0) return nullptr;
  const int flags = ::fcntl(descriptor, F_GETFL);
  if (flags < 0 || ::fcntl(descriptor, F_SETFL, flags & ~O_NONBLOCK) < 0) {
    ::close(descriptor);
    return nullptr;
  }
  std::FILE* file = ::fdopen(descriptor, "rb");
  if (file == nullptr) ::close(descriptor);
  return file;
}

PathKind KindOfPath(const std::string& path) {
  struct stat status;
  if (::stat(path.c_str(), &status) != 0) {
    return errno == ENOENT || errno == ENOTDIR ? PathKind::kMissing : PathKind::kUnknown;
  }
  if (S_ISDIR(status.st_mode)) return PathKind::kFolder;
  if (S_ISREG(status.st_mode)) return PathKind::kFile;
  return S_ISFIFO(status.st_mode) || S_ISSOCK(status.st_mode) ? PathKind::kStream
                                                              : PathKind::kDevice;
}

bool ListFolderEntries(const std::string& directory, std::size_t limit, std::uint64_t* device,
                       const std::function<void(const FolderEntry&)>& each) {
  DIR* folder = ::opendir(directory.c_str());
  if (folder == nullptr) return false;
  struct stat info;
  bool listed = ::fstat(::dirfd(folder), &info) == 0;
  *device = static_cast<std::uint64_t>(info.st_dev);
  std::size_t count = 0;
  for (const struct dirent* entry = nullptr; listed && (entry = ::readdir(folder)) != nullptr;) {
    listed = ++count <= limit;
    if (listed)
      each({entry->d_name, static_cast<std::uint64_t>(entry->d_ino), entry->d_type == DT_REG});
  }
  ::closedir(folder);
  return listed;
}

bool ListingsGiveFileNumbers() { return true; }
