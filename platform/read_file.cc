#include "platform/read_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

ReadFileResult ReadFilePrefix(const std::string& path, std::size_t limit, std::string* contents,
                              std::uint64_t* file_size) {
  contents->clear();
  if (path.find('\0') != std::string::npos) return ReadFileResult::kCantOpen;
  // O_NONBLOCK keeps a FIFO from holding the open until a writer appears.
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) return ReadFileResult::kCantOpen;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return ReadFileResult::kCantOpen;
  }
  const auto size = static_cast<std::size_t>(info.st_size);
  if (file_size != nullptr) *file_size = static_cast<std::uint64_t>(info.st_size);
  // The size is a hint: the file may change while it is read.
  contents->resize(size < limit ? size : limit);
  std::size_t filled = 0;
  ReadFileResult result = ReadFileResult::kOk;
  while (filled < limit) {
    if (filled == contents->size())
      contents->resize(filled + (limit - filled < 4096 ? limit - filled : 4096));
    const ssize_t got = ::read(fd, contents->data() + filled, contents->size() - filled);
    if (got < 0) {
      if (errno == EINTR) continue;
      result = ReadFileResult::kReadError;
      break;
    }
    if (got == 0) break;
    filled += static_cast<std::size_t>(got);
  }
  contents->resize(filled);
  ::close(fd);
  return result;
}
