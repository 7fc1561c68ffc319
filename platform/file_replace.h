// Replacing a set of output files so that a failure never leaves one of them
// lost or half-written: new contents go to temporary files beside the
// targets, and only when every one is complete are they renamed into place.
#ifndef SKEDCOMP_PLATFORM_FILE_REPLACE_H_
#define SKEDCOMP_PLATFORM_FILE_REPLACE_H_

#include <span>
#include <string>
#include <string_view>

struct FileReplacement {
  std::string path;
  std::string_view contents;
};

enum class ReplaceResult {
  kOk,
  kCantOpen,    // a target is not a writable regular file, or no temporary file could be made
  kWriteError,  // a write, close or rename failed
};

// A target that is a symbolic link of the user's own is written through: the
// file it points to is replaced and the link kept. A dangling link, or one
// owned by another user, is refused. An existing target keeps its permission
// bits. On any failure every target is left as it was and no temporary file
// remains.
ReplaceResult ReplaceFiles(std::span<const FileReplacement> files);

// The temporary file name tried at `attempt` (0, 1, ...) in `directory`:
// short, whatever the target's name, so that a target whose name is near the
// system's length limit still gets one; a name taken by anything, a planted
// link included, is passed over for the next.
std::string TemporaryPath(const std::string& directory, int attempt);

#endif  // SKEDCOMP_PLATFORM_FILE_REPLACE_H_
