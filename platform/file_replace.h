// Replacing a set of output files all together, so that no reported failure
// leaves any of them changed, no two writers mix their files, and a run
// stopped midway (killed, or the machine off) leaves each base one version
// for its readers and for the next writer to finish or undo. This is the
// one statement of what every writer of user files (skedcomp's guide,
// skedtool make and import) promises.
//
// What is promised:
// - Locks: the whole replacement holds each target's base lock exclusively
//   (platform/base_lock.h), where the target's file really is (a link of
//   the user's own is followed first). A run that finds it held waits, then
//   gives up: kBusy; a lock file that cannot be locked: kLockUnusable.
// - Success (kOk): every target holds its new bytes. Each new file was
//   written in full to a file of ours beside its target first.
// - A reported failure: every target holds exactly its old bytes, or is
//   still absent if it was absent. The old files stay reachable until every
//   new file is in place, and on a failure every old file is put back
//   (platform/replace_exchange.h).
// - kPutBackFailed: a step failed and then so did putting an old file back.
//   Every old file still exists, either at its own name or, where the
//   put-back failed, in a file `.skedcomp-HASH.EXT.old` or `.new` beside its
//   target, which is left for the user.
// - Files of ours: whatever the result, none is left unless the system
//   refuses to remove one (or an old file could not be put back, above);
//   every one left is named in `left_behind`, for the caller to tell the user.
// - A stopped run: before its first new file each base gets a record
//   (platform/replace_record.h); once every new file is whole, their
//   identities; only then is any target touched. Readers take the version
//   the record names; the next writer in the folder mends it
//   (platform/replace_repair.h).
// - Durability: with SetDurableReplacement(true) every new file, record and
//   folder is flushed to the disk before the next step relies on it, so that
//   even a power cut leaves each base old or new.
#ifndef SKEDCOMP_PLATFORM_FILE_REPLACE_H_
#define SKEDCOMP_PLATFORM_FILE_REPLACE_H_

#include <chrono>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct FileReplacement {
  std::string path;
  std::string_view contents;
};

enum class ReplaceResult {
  kOk,
  // A target is not a writable regular file, two targets are one file, or no
  // temporary file could be made. Nothing was written.
  kCantOpen,
  kBadName,        // a name the system would cut or read otherwise; `detail` says which
  kInTheWay,       // something not ours stands at a name of ours; `detail` names it
  kBusy,           // another run held a target's base for the whole wait
  kLockUnusable,   // a lock file cannot be locked for writing; `detail` says which
  kWriteError,     // a write, close or swap failed; everything is put back
  kPutBackFailed,  // ... and putting back failed too: see above
};

// How a replacement went: its result, what its failure names, and the
// temporary files it could not remove.
struct ReplaceReport {
  ReplaceResult result = ReplaceResult::kOk;
  std::string detail;
  std::vector<std::string> left_behind;
};

// A target that is a symbolic link of the user's own is written through: the
// file it points to is replaced and the link kept. A dangling link, or one
// owned by another user, is refused. An existing target keeps its permission
// bits. Only files with an extension in kReplacedExtensions are written.
ReplaceResult ReplaceFiles(std::span<const FileReplacement> files, ReplaceReport* report);

// Why a replacement failed, as the user is told it after the name of what was
// written: one line without its line feed; "" for kOk.
std::string ReplaceFailureText(const ReplaceReport& report);

// Whether new files are flushed to the disk before they are put in place.
inline constexpr bool kDurableByDefault = false;
void SetDurableReplacement(bool on);

// How long a writer waits for a lock another run holds (kLockWait unless set).
void SetReplaceLockWait(std::chrono::milliseconds wait);

#endif  // SKEDCOMP_PLATFORM_FILE_REPLACE_H_
