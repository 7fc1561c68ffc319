// Reading input files (composition files and channel bases) in one go.
#ifndef SKEDCOMP_PLATFORM_READ_FILE_H_
#define SKEDCOMP_PLATFORM_READ_FILE_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

#include "platform/file_ops.h"

enum class ReadFileResult { kOk, kCantOpen, kReadError, kTooLarge };

// The most a composition file or a listing may hold: far beyond any real one
// (a week of 400 programmes lists in under 1 MiB), and small enough to
// hold in memory at once. A larger or endless file is refused.
inline constexpr std::size_t kTextFileLimit = std::size_t{64} << 20;
// The limit as messages give it: "64 MiB".
inline std::string TextFileLimitText() { return std::to_string(kTextFileLimit >> 20) + " MiB"; }

// Why the text file `shown` (a `kind` such as "listing") could not be read:
// "cannot read FILE", or that it passes the input limit. Empty for kOk.
std::string ReadFailureText(ReadFileResult result, const std::string& shown, const char* kind);

// A file's version as far as the system tells it without a read: which file
// it is, its size, and when it was last written and changed (on Windows:
// made). While the stamp of a path stays the same, bytes read from it
// before may stand for it.
struct FileStamp {
  FileIdentity identity;
  std::uint64_t size = 0;
  std::int64_t written = 0;  // in the system's own units
  std::int64_t changed = 0;
  friend bool operator==(const FileStamp&, const FileStamp&) = default;
};

// The stamp of the file `path` names, through links as a read opens it.
// False when there is none to tell.
bool StampOfPath(const std::string& path, FileStamp* stamp);

// Reads up to `limit` bytes from the start of the regular file at `path` into
// `buffer`, which only ever grows: its first `*length` bytes are the file's.
// Anything that is not a regular file (a directory, a FIFO, a device) is
// refused as kCantOpen without blocking, and so is a path holding a zero
// byte, which the OS would silently cut short. `stamp`, when given,
// receives the stamp of the file read (its size the whole file's). A buffer
// used again reads without allocating or clearing.
ReadFileResult ReadFileInto(const std::string& path, std::size_t limit, std::string* buffer,
                            std::size_t* length, FileStamp* stamp = nullptr);

// Reads the whole regular file at `path`, refused like ReadFileInto does,
// and kTooLarge, without reading on, when it holds more than `limit` bytes:
// one whose size says so is not read at all, one that reports no size (such
// as those under /proc) is read up to the limit.
ReadFileResult ReadWholeFile(const std::string& path, std::size_t limit, std::string* contents);

// What both of the above are built on, one for each system: reads up to
// `limit` bytes as ReadFileInto does, but first refuses with kTooLarge a file
// whose size is above `refuse_above`. The path has no zero byte: the callers
// above have refused that. With `no_follow`, a link at `path` is not
// followed but refused (kCantOpen). With `held`, a file read whole (kOk)
// stays open, its handle there, for the caller to let go (Ops().close_file).
ReadFileResult ReadRegularFile(const std::string& path, std::size_t limit, std::size_t refuse_above,
                               std::string* buffer, std::size_t* length, FileStamp* stamp,
                               bool no_follow = false, FileHandle* held = nullptr);

// The stamp of what stands at `path` itself, a symbolic link not followed
// (`*link` then true); false when nothing stands there.
bool LinkStampOfPath(const std::string& path, FileStamp* stamp, bool* link);

// The path of the file `path` leads to, every link on the way followed;
// false when it leads nowhere.
bool RealPathOf(const std::string& path, std::string* real);

// The file `path` opened as a binary stream for reading, or null. (For
// input read as it comes, such as an XMLTV file of any size.) Opening never
// waits: a FIFO that no program writes to reads as empty.
std::FILE* OpenReadStream(const std::string& path);

// kStream: a FIFO or socket, read as it comes; kDevice: anything else that is
// neither file nor folder; kUnknown: the system cannot say (no permission).
enum class PathKind { kMissing, kFile, kFolder, kStream, kDevice, kUnknown };
PathKind KindOfPath(const std::string& path);

// One entry of a folder as its listing gives it, without a look at the file:
// its name, its file's number on the folder's device, and whether the
// listing says it is a plain file (false where it cannot tell).
struct FolderEntry {
  std::string_view name;
  std::uint64_t file = 0;
  bool plain = false;
};

// Gives `each` every entry of the folder `directory`, and `*device` the
// folder's device. False when it cannot be listed so, or holds more than
// `limit` entries (then it stops there). Only where
// ListingsGiveFileNumbers() is true.
bool ListFolderEntries(const std::string& directory, std::size_t limit, std::uint64_t* device,
                       const std::function<void(const FolderEntry&)>& each);
// Whether this system's folder listings give each entry's file number and
// kind (Linux's do; Windows' are not used so).
bool ListingsGiveFileNumbers();

#endif  // SKEDCOMP_PLATFORM_READ_FILE_H_
