// The one door to the system for replacing files and keeping their locks:
// a table of the calls the replacement, its repair and its locks are made
// of, one function each, so that the protocol is written once for every
// system. The system's table is in file_ops_posix.cc and file_ops_win32.cc.
// Tests put a wrapper of it in place (UseFileOps) to make chosen calls fail,
// or to stop everything from a chosen call on, as a kill would; the
// protocol itself knows nothing of tests.
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

enum class FileOpResult {
  kOk,
  kFailed,
  kNameTaken,    // the new name is in use (by anything, a planted link too)
  kUnsupported,  // this system or file system has no such operation
};

using FileHandle = std::intptr_t;
inline constexpr FileHandle kNoFile = -1;

// How a small file of ours (a record) was read.
enum class SmallRead { kOk, kMissing, kNotRegular, kFailed };

// Why a lock file could not be opened for locking.
enum class LockFileOpen { kOk, kNotRegular, kNotWritable, kFailed };

enum class LockAttempt { kTaken, kBusy, kFailed };

struct FileOps {
  // The file `path` really is: where it is a symbolic link of the user's
  // own, the file it points to; false for a dangling link or another
  // user's. `path` itself where it is no link or the system has none.
  bool (*resolve_link)(const std::string& path, std::string* resolved);
  // Finds the file `path` names (no link: resolve_link first). False when
  // it cannot be replaced: not a regular file, read-only.
  bool (*inspect_target)(const std::string& path, ReplaceTarget* target);
  // Creates `path` for writing, failing with kNameTaken when the name is in
  // use, never through a link standing there. It gets the bits of `like`.
  FileOpResult (*create_new_file)(const std::string& path, const ReplaceTarget& like,
                                  FileHandle* file);
  // Writes all of `bytes`; false on any failure.
  bool (*write_to_file)(FileHandle file, std::string_view bytes);
  bool (*close_file)(FileHandle file);
  // Swaps the files of two names in one step that nothing can see half done.
  FileOpResult (*exchange_files)(const std::string& first, const std::string& second);
  // Gives the file `existing` the further name `new_name`.
  FileOpResult (*link_file)(const std::string& existing, const std::string& new_name);
  // Renames `from` to `to`, replacing the file `to` names, in one step.
  bool (*rename_file)(const std::string& from, const std::string& to);
  bool (*remove_file)(const std::string& path);
  // The file `path` names, a link itself and not what it points to; false
  // when nothing stands there. `regular`, when given, tells whether it is a
  // regular file.
  bool (*identity_of_path)(const std::string& path, FileIdentity* identity, bool* regular);
  bool (*identity_of_file)(FileHandle file, FileIdentity* identity);
  // Opens the existing regular file `path`, never through a link, to add to
  // its end.
  FileOpResult (*open_to_append)(const std::string& path, FileHandle* file);
  // Reads the regular file `path`, never through a link, up to `limit` bytes.
  SmallRead (*read_small_file)(const std::string& path, std::size_t limit, std::string* text);
  // Asks the system to put what was written to `file`, or the names in
  // `directory`, on the disk before it returns.
  bool (*sync_file)(FileHandle file);
  bool (*sync_directory)(const std::string& directory);
  // The names in `directory` that start with `prefix`; false when it cannot
  // be listed.
  bool (*list_directory)(const std::string& directory, std::string_view prefix,
                         std::vector<std::string>* names);
  // The lock file at `path` opened for locking exclusively, made (empty)
  // where it is missing so that every user who may write its folder may
  // lock it; never through a link. Waits a moment for a program that holds
  // it without sharing.
  LockFileOpen (*open_lock_file)(const std::string& path, FileHandle* file);
  // Bytes [offset, offset + length) of a lock file, locked shared or
  // exclusive without waiting, and let go again (the same bytes). The
  // system releases them when the file is closed, and when their holder
  // ends however it ends, so a killed holder leaves no lock behind.
  LockAttempt (*try_lock_bytes)(FileHandle file, std::uint64_t offset, std::uint64_t length,
                                bool exclusive);
  void (*unlock_bytes)(FileHandle file, std::uint64_t offset, std::uint64_t length);
};

// The system's own operations.
const FileOps& SystemFileOps();

// The operations in use: the system's, or the wrapper a test put in place
// (nullptr: the system's again).
const FileOps& Ops();
void UseFileOps(const FileOps* ops);

// The folder of `path` ("." when it names none), without a trailing separator.
std::string DirectoryOf(const std::string& path);

// The last part of `path`: the file's name without its folder.
std::string FileNameOf(const std::string& path);

// The file `name` in `directory` (as DirectoryOf gives it).
std::string PathInDirectory(const std::string& directory, const std::string& name);

// The bytes that tell two file names apart on this system: the name itself,
// or where letter case does not count (Windows), its upper case.
std::string NameKey(std::string_view name);

#endif  // SKEDCOMP_PLATFORM_FILE_OPS_H_
