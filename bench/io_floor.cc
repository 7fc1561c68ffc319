// io_floor READS OUTPUTS: the I/O a composition cannot do without, as a
// baseline. Opens and reads in full every file listed in READS (one path a
// line, repeats included), then writes every file listed in OUTPUTS ("SIZE
// PATH" a line) with that many bytes as a tool that never half-writes must
// at least: to a new file, renamed over the old one. Plain C library and
// system calls, so that it starts as fast as cat.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "Usage: io_floor READS OUTPUTS\n");
    return 2;
  }
  std::size_t capacity = 1 << 16;
  char* buffer = static_cast<char*>(std::calloc(capacity, 1));
  char line[8192];
  unsigned long long total = 0;
  std::FILE* reads = std::fopen(argv[1], "r");
  while (reads != nullptr && std::fgets(line, sizeof line, reads) != nullptr) {
    line[std::strcspn(line, "\n")] = '\0';
    const int fd = ::open(line, O_RDONLY);
    if (fd < 0) continue;
    for (ssize_t got; (got = ::read(fd, buffer, capacity)) > 0;)
      total += static_cast<unsigned long long>(got);
    ::close(fd);
  }
  std::FILE* outputs = std::fopen(argv[2], "r");
  std::size_t size = 0;
  while (outputs != nullptr && std::fscanf(outputs, "%zu %8191s", &size, line) == 2) {
    if (capacity < size) {
      capacity = size;
      buffer = static_cast<char*>(std::realloc(buffer, capacity));
      std::memset(buffer, 0, capacity);
    }
    char temporary[8200];
    std::snprintf(temporary, sizeof temporary, "%s.tmp", line);
    const int fd = ::open(temporary, O_WRONLY | O_CREAT | O_TRUNC, 0666);
    if (fd < 0 || ::write(fd, buffer, size) != static_cast<ssize_t>(size)) return 1;
    ::close(fd);
    if (::rename(temporary, line) != 0) return 1;
  }
  return total > 0 ? 0 : 1;
}
