// The calls to the system that replacing files is made of, one function each,
// so that the replacement itself (platform/file_replace.cc) is written once
// for every system. Implemented in file_ops_posix.cc and file_ops_win32.cc.
#ifndef SKEDCOMP_PLATFORM_FILE_OPS_H_
#define SKEDCOMP_PLATFORM_FILE_OPS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// What tells two names of one file apart from two files: device and file
// number (on Windows the volume serial number and the file index).
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t file = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

// A file about to be replaced.
struct ReplaceTarget {
  std::string path;  // the file to replace, a link of the user's own resolved
  bool exists = false;
  FileIdentity identity;      // when it exists
  std::uint32_t mode = 0666;  // permission bits for the new file
  bool keep_mode = false;     // the new file takes the old one's bits, umask or not
};

// Finds the file that `path` (which holds no zero byte) names. False when it
// cannot be replaced: not a regular file, read-only, a dangling link or
// another user's link.
bool InspectTarget(const std::string& path, ReplaceTarget* target);

enum class FileOpResult {
  kOk,
  kFailed,
  kNameTaken,    // the new name is in use (by anything, a planted link too)
  kUnsupported,  // this system or file system has no such operation
};

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// Creates `path` for writing, failing with kNameTaken when the name is in use,
// never through a link standing there. It gets the bits of `like`.
FileOpResult CreateNewFile(const std::string& path, const ReplaceTarget& like, FileHandle* file);

// Writes all of `bytes`; false on any failure.
bool WriteToFile(FileHandle file, std::string_view bytes);
bool CloseFile(FileHandle file);

// Swaps the files of two names in one step that nothing can see half done.
FileOpResult ExchangeFiles(const std::string& first, const std::string& second);

// Gives the file `existing` the further name `new_name`.
FileOpResult LinkFile(const std::string& existing, const std::string& new_name);

// Renames `from` to `to`, replacing the file `to` names, in one step.
bool RenameFile(const std::string& from, const std::string& to);

bool RemoveFile(const std::string& path);

// The folder of `path` ("." when it names none), without a trailing separator.
std::string DirectoryOf(const std::string& path);

// The last part of `path`: the file's name without its folder.
std::string FileNameOf(const std::string& path);

// The file `name` in `directory` (as DirectoryOf gives it).
std::string PathInDirectory(const std::string& directory, const std::string& name);

// The file `path` names, a link itself and not what it points to; false when
// nothing stands there.
bool IdentityOfPath(const std::string& path, FileIdentity* identity);
bool IdentityOfFile(FileHandle file, FileIdentity* identity);

// Opens the existing regular file `path`, never through a link, to add to
// its end.
FileOpResult OpenToAppend(const std::string& path, FileHandle* file);

// Asks the system to put what was written to `file`, or the names in
// `directory`, on the disk before it returns.
bool SyncFile(FileHandle file);
bool SyncDirectory(const std::string& directory);

// The names in `directory` that start with `prefix`; false when it cannot
// be listed.
bool ListDirectory(const std::string& directory, std::string_view prefix,
                   std::vector<std::string>* names);

// The bytes that tell two file names apart on this system: the name itself,
// or where letter case does not count (Windows), its upper case.
std::string NameKey(std::string_view name);

// The lock file at `path`, made (empty) where it is missing: for writing
// where the user may, else for reading; kNoFile when neither.
FileHandle OpenLockFile(const std::string& path);

// Bytes [offset, offset + length) of a lock file, locked shared or
// exclusive without waiting, and let go again (the same bytes). The system
// releases them when the file is closed, and when their holder ends however
// it ends, so a killed holder leaves no lock behind.
enum class LockAttempt { kTaken, kBusy, kFailed };
LockAttempt TryLockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length,
                         bool exclusive);
void UnlockBytes(FileHandle file, std::uint64_t offset, std::uint64_t length);

#endif  // SKEDCOMP_PLATFORM_FILE_OPS_H_
