// Replacing a set of output files all together, so that no reported failure
// leaves any of them changed, no two runs mix their files, and a run stopped
// midway (killed, or the machine off) is finished or undone by the next. This
// is the one statement of what every writer of user files (skedcomp's guide,
// skedtool make and import) promises.
//
// What is promised:
// - Locks: the whole replacement holds each target's base lock exclusively
//   (platform/base_lock.h); readers of a base hold it shared
//   (LockForReading). A run that finds it held waits, then gives up: kBusy.
// - Success (kOk): every target holds its new bytes. Each new file was
//   written in full to a file of ours beside its target first.
// - A reported failure, kCantOpen, kBusy or kWriteError: every target holds
//   exactly its old bytes, or is still absent if it was absent. The old files
//   stay reachable until every new file is in place: each new file is
//   swapped in with a single exchange of names, so that its temporary name
//   then holds the old file, and on a failure every old file is swapped
//   back. Where the system has no such exchange the old file is first given
//   a second name (a hard link, or where there are none it is renamed away)
//   and the new file is renamed over the target.
// - kPutBackFailed: a step failed and then so did putting an old file back.
//   Every old file still exists, either at its own name or, where the put-back
//   failed, in a file `.skedcomp-HASH.EXT.old` or `.new` beside its target,
//   which is left for the user; a target that was absent may then hold its
//   new file.
// - Files of ours: whatever the result, none is left unless the system
//   refuses to remove one (or an old file could not be put back, above); every
//   one left is named in `left_behind`, for the caller to tell the user.
// - A stopped run: before its first new file each base gets a record of
//   what is replaced, and once every new file is whole, their identities;
//   only then is any target touched. The next run that locks the base (any
//   reader or writer of ours), or that first touches its folder, finishes a
//   committed replacement, undoes an uncommitted one, removes every file of
//   ours the stopped run left, and notes it (TakeRepairNotes). Until then a
//   program other than ours may find some targets new and others old, each
//   file whole, beside the files of ours.
// - Durability: with SetDurableReplacement(true) every new file, record and
//   folder is flushed to the disk before the next step relies on it, so that
//   even a power cut leaves each base old or new for the next run to mend.
#ifndef SKEDCOMP_PLATFORM_FILE_REPLACE_H_
#define SKEDCOMP_PLATFORM_FILE_REPLACE_H_

#include <chrono>
#include <map>
#include <optional>
#include <set>
#include <span>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "platform/base_lock.h"

struct FileReplacement {
  std::string path;
  std::string_view contents;
};

enum class ReplaceResult {
  kOk,
  // A target is not a writable regular file, two targets are one file, or no
  // temporary file could be made. Nothing was written.
  kCantOpen,
  kBusy,           // another run held a target's base for the whole wait
  kWriteError,     // a write, close or swap failed; everything is put back
  kPutBackFailed,  // ... and putting back failed too: see above
};

// A target that is a symbolic link of the user's own is written through: the
// file it points to is replaced and the link kept. A dangling link, or one
// owned by another user, is refused. An existing target keeps its permission
// bits.
ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind);

// How a replacement went: its result, and the temporary files it could not
// remove.
struct ReplaceReport {
  ReplaceResult result = ReplaceResult::kOk;
  std::vector<std::string> left_behind;
};

// Why a replacement failed, as the user is told it after the name of what was
// written: one line without its line feed; "" for kOk.
std::string ReplaceFailureText(ReplaceResult result);

// What the user is told of a temporary file left behind, one line without its
// line feed: "the temporary file PATH could not be removed; it holds ...".
std::string LeftBehindText(const std::string& path);

// For tests: every step of a replacement that asks the system for something
// that can fail is counted, and the chosen ones fail as if the system had
// refused them.
struct ReplaceFaults {
  int fail_step = 0;                        // this step (from 1) fails; 0: none does
  int fail_put_back_step = 0;               // this step of putting old files back fails
  bool no_exchange = false;                 // as on a system without the exchange of names
  bool no_links = false;                    // as on a file system without hard links
  bool no_removal = false;                  // every removal of a file fails, as if refused
  int steps = 0;                            // counted: steps taken
  int put_back_steps = 0;                   // counted: steps of putting back taken
  std::chrono::milliseconds lock_wait{-1};  // how long to wait for a lock; -1: as always
  int stop_at = 0;  // at this point (from 1), everything stops, as if killed; 0: never
  int points = 0;   // counted: points where a kill could stop it
};
ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind, ReplaceFaults* faults);

// The names of the files of ours a replacement of `target` makes beside it:
// its new file, its old one, and its base's record.
std::vector<std::string> FilesOfOurs(const std::string& target);

// Whether new files are flushed to the disk before they are put in place.
inline constexpr bool kDurableByDefault = false;
void SetDurableReplacement(bool on);

// The base lock a reader of the file at `path` holds while it reads; first
// the base is mended where a stopped run left it half replaced. kBusy when
// another run held it for the whole wait, kUnrepaired when it could not be
// mended (the folder is not writable). Whether the base is there at all the
// read finds.
enum class ReadLock { kOk, kBusy, kUnrepaired };
ReadLock LockForReading(const std::string& path, HeldLocks* held);

// Reads of many bases in a row, as a composition makes them. The first read
// in a folder locks the folder whole, shared (TryTakeFolderLock), until
// EndFolderReads or the end of the FolderReads: no writer of ours can
// replace a base there meanwhile, so each base is read without a lock of its
// own. Where this run had not yet looked at the folder's records, that
// look, taken while it is held, spares each base its own look-up too; a
// stopped run's record is mended with every folder let go first. This
// process writes nothing in between. A folder where another run is writing
// a base, one without a lock file, and those past kHeldFolders, are read
// base by base.
inline constexpr std::size_t kHeldFolders = 16;
struct FolderReads {
  struct Folder {
    std::string directory;
    bool looked_over = false;  // held when its records were looked at, and none was there
  };
  std::vector<Folder> folders;
  std::set<std::string> by_base;
  HeldLocks held;
};
ReadLock LockForReading(const std::string& path, HeldLocks* held, FolderReads* reads);
void EndFolderReads(FolderReads* reads);

// What folders hold, each listed once, so that a reader of many names
// knows a base that is not there without a look-up of its own.
inline constexpr std::size_t kListedFolders = 256;
struct FolderListings {
  // By folder: the names it holds, letter case aside; none when it could not
  // be listed.
  std::map<std::string, std::optional<std::unordered_set<std::string>>> folders;
};

// True only when the folder of `path` was listed and holds neither that
// file nor a stopped run's record for its base, and no rule of the system
// could find the file under another name (a short name on Windows, a folder
// that ignores letter case): then opening it would fail. False when unsure.
// A listing is as old as the first question about its folder.
bool SurelyMissing(FolderListings* listings, const std::string& path);

// What the runs of this process mended that stopped runs left, one line
// each ("finished the replacement of guide that a stopped run left"), since
// it was last asked. An entry point tells the user.
std::vector<std::string> TakeRepairNotes();

#endif  // SKEDCOMP_PLATFORM_FILE_REPLACE_H_
