// Preloaded into a tool by the tests, so that the system refuses to remove
// the tool's temporary files, as a file system may: every other removal goes
// through.
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

bool Refused(const char* path) { return std::strstr(path, ".skedcomp-") != nullptr; }

}  // namespace

extern "C" int unlink(const char* path) {
  if (Refused(path)) {
    errno = EPERM;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_unlinkat, AT_FDCWD, path, 0));
}

extern "C" int unlinkat(int directory, const char* path, int flags) {
  if (Refused(path)) {
    errno = EPERM;
    return -1;
  }
  return static_cast<int>(::syscall(SYS_unlinkat, directory, path, flags));
}
