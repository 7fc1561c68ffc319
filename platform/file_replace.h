// Replacing a set of output files all together, so that no reported failure
// leaves any of them changed. This is the one statement of what every writer
// of user files (skedcomp's guide, skedtool make and import) promises.
//
// What is promised:
// - Success (kOk): every target holds its new bytes. Each new file was
//   written in full to a temporary file beside its target first.
// - A reported failure, kCantOpen or kWriteError: every target holds exactly
//   its old bytes, or is still absent if it was absent. The old files stay
//   reachable until every new file is in place:
//   each new file is swapped in with a single exchange of names, so that its
//   temporary name then holds the old file, and on a failure every old file
//   is swapped back. Where the system has no such exchange the old file is
//   first given a second name (a hard link, or where there are none it is
//   renamed away) and the new file is renamed over the target.
// - kPutBackFailed: a step failed and then so did putting an old file back.
//   Every old file still exists, either at its own name or, where the put-back
//   failed, in a temporary file `.skedcomp-PID-N.tmp` beside its target, which
//   is left for the user; a target that was absent may then hold its new file.
// - Temporary files: whatever the result, none is left unless the system
//   refuses to remove one (or an old file could not be put back, above); every
//   one left is named in `left_behind`, for the caller to tell the user. Each
//   holds either a new file's bytes or an old file's.
// - A killed process (SIGKILL, a power cut aside) leaves every target whole,
//   old or new, but not the set: a kill between two swaps leaves some targets
//   new and the others old, and temporary files, never read, may remain.
//   Nothing is synced to disk.
#ifndef SKEDCOMP_PLATFORM_FILE_REPLACE_H_
#define SKEDCOMP_PLATFORM_FILE_REPLACE_H_

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
  int fail_step = 0;           // this step (from 1) fails; 0: none does
  int fail_put_back_step = 0;  // this step of putting old files back fails
  bool no_exchange = false;    // as on a system without the exchange of names
  bool no_links = false;       // as on a file system without hard links
  bool no_removal = false;     // every removal of a file fails, as if refused
  int steps = 0;               // counted: steps taken
  int put_back_steps = 0;      // counted: steps of putting back taken
};
ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind, ReplaceFaults* faults);

// The temporary file name tried at `attempt` (0, 1, ...) in `directory`:
// short, whatever the target's name, so that a target whose name is near the
// system's length limit still gets one; a name taken by anything, a planted
// link included, is passed over for the next.
std::string TemporaryPath(const std::string& directory, int attempt);

#endif  // SKEDCOMP_PLATFORM_FILE_REPLACE_H_
