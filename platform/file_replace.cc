#include "platform/file_replace.h"

#include <algorithm>
#include <map>
#include <new>
#include <set>
#include <utility>

#include "platform/base_lock.h"
#include "platform/base_path.h"
#include "platform/file_ops.h"
#include "platform/our_files.h"
#include "platform/replace_exchange.h"
#include "platform/replace_record.h"
#include "platform/replace_repair.h"

namespace {

bool durable = kDurableByDefault;
std::chrono::milliseconds lock_wait = kLockWait;

struct PendingFile {
  ReplaceTarget target;
  std::size_t base = 0;   // its base among the replacement's bases
  FileIdentity identity;  // the new file's
  Exchange swap;
};

// The record of each base the replacement changes.
struct PendingBase {
  BaseKey key;
  std::vector<std::size_t> files;  // indexes of its targets
  std::string record;              // its record's path, once made
};

struct Replacement {
  std::vector<PendingFile> pending;
  std::vector<PendingBase> bases;
  ReplaceReport* report;
};

// Two targets that are one file would leave it holding only the last one's
// bytes.
bool SameFileTwice(const std::vector<PendingFile>& pending) {
  std::set<std::pair<std::uint64_t, std::uint64_t>> files;
  std::set<std::string_view> absent;
  for (const PendingFile& file : pending) {
    const ReplaceTarget& target = file.target;
    const bool added = target.exists
                           ? files.emplace(target.identity.device, target.identity.file).second
                           : absent.insert(target.path).second;
    if (!added) return true;
  }
  return false;
}

// Makes a file of ours at `path`. What a stopped run left there goes first,
// and so does a link or other file planted at the name (removed, never
// followed); a folder there is not ours to remove.
ReplaceResult CreateOurFile(const std::string& path, const ReplaceTarget& like, FileHandle* file,
                            Replacement& r) {
  FileOpResult created = Ops().create_new_file(path, like, file);
  if (created == FileOpResult::kNameTaken) {
    if (!Ops().remove_file(path)) {
      r.report->detail = path;
      return ReplaceResult::kInTheWay;
    }
    created = Ops().create_new_file(path, like, file);
  }
  return created == FileOpResult::kOk ? ReplaceResult::kOk : ReplaceResult::kCantOpen;
}

bool WriteAndClose(FileHandle file, std::string_view bytes, FileIdentity* identity) {
  const bool written = Ops().write_to_file(file, bytes) && (!durable || Ops().sync_file(file)) &&
                       (identity == nullptr || Ops().identity_of_file(file, identity));
  return Ops().close_file(file) && written;
}

// Undoes everything: new files not swapped in are removed, swapped ones are
// replaced by their old files again. True when every old file is back. The
// records go last: while one stays, a kill leaves the next run to finish.
bool PutBack(Replacement& r) {
  bool all_back = true;
  std::vector<std::string>* left = &r.report->left_behind;
  for (auto file = r.pending.rbegin(); file != r.pending.rend(); ++file) {
    if (!SwapBack(&file->swap, left)) all_back = false;
  }
  for (const PendingBase& base : r.bases) {
    if (!base.record.empty()) RemoveOurs(base.record, left);
  }
  return all_back;
}

// Writes each base's record, then each new file (one open at a time, so
// that a replacement of many files holds one open), then commits.
ReplaceResult WriteNewFiles(std::span<const FileReplacement> files, Replacement& r) {
  for (PendingBase& base : r.bases) {
    std::vector<std::string> names;
    for (const std::size_t i : base.files) names.push_back(FileNameOf(r.pending[i].target.path));
    const std::string path = RecordPath(base.key);
    FileHandle file = kNoFile;
    if (const ReplaceResult made = CreateOurFile(path, ReplaceTarget{}, &file, r);
        made != ReplaceResult::kOk) {
      return made;
    }
    base.record = path;
    if (!WriteAndClose(file, RecordStart(names), nullptr)) return ReplaceResult::kWriteError;
  }
  for (std::size_t i = 0; i < r.pending.size(); ++i) {
    PendingFile& file = r.pending[i];
    const std::string name = NewFilePath(r.bases[file.base].key, file.target.path);
    FileHandle handle = kNoFile;
    if (const ReplaceResult made = CreateOurFile(name, file.target, &handle, r);
        made != ReplaceResult::kOk) {
      return made;
    }
    file.swap = Exchange{};
    file.swap.target = file.target.path;
    file.swap.target_exists = file.target.exists;
    file.swap.temporary = name;
    if (!WriteAndClose(handle, files[i].contents, &file.identity)) {
      return ReplaceResult::kWriteError;
    }
  }
  for (const PendingBase& base : r.bases) {
    std::vector<FileIdentity> identities;
    for (const std::size_t i : base.files) identities.push_back(r.pending[i].identity);
    FileHandle file = kNoFile;
    if (Ops().open_to_append(base.record, &file) != FileOpResult::kOk ||
        !WriteAndClose(file, RecordCommit(identities), nullptr)) {
      return ReplaceResult::kWriteError;
    }
  }
  return ReplaceResult::kOk;
}

ReplaceResult SwapAll(Replacement& r) {
  // The folders to flush, each once: an import's hundreds of bases share one.
  std::set<std::string> directories;
  if (durable) {
    for (const PendingBase& base : r.bases) directories.insert(base.key.directory);
    for (const std::string& directory : directories) {
      if (!Ops().sync_directory(directory)) return ReplaceResult::kWriteError;
    }
  }
  std::vector<std::string>* left = &r.report->left_behind;
  for (PendingFile& file : r.pending) {
    const std::string old_name = OldFilePath(r.bases[file.base].key, file.target.path);
    if (!SwapIn(old_name, &file.swap, left)) return ReplaceResult::kWriteError;
  }
  // Every new file is in place: only now may the old ones go, and then the
  // records.
  for (const PendingFile& file : r.pending) {
    if (!file.swap.old_copy.empty()) RemoveOurs(file.swap.old_copy, left);
  }
  for (const PendingBase& base : r.bases) RemoveOurs(base.record, left);
  for (const std::string& directory : directories) Ops().sync_directory(directory);
  return ReplaceResult::kOk;
}

// The targets where their files really are, each checked, and their bases;
// two targets whose files of ours would share a name (names alike but for
// letter case on Windows, or whose hashes meet) are refused.
ReplaceResult FindTargets(std::span<const FileReplacement> files, Replacement& r) {
  r.pending.resize(files.size());
  std::map<std::pair<std::string, std::uint64_t>, std::size_t> base_of;
  std::set<std::string> our_names;
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (const std::string problem = NameTheSystemAlters(files[i].path); !problem.empty()) {
      r.report->detail = files[i].path + " " + problem;
      return ReplaceResult::kBadName;
    }
    PendingFile& file = r.pending[i];
    if (!IsReplacedExtension(ExtensionOf(files[i].path)) ||
        !Ops().resolve_link(files[i].path, &file.target.path)) {
      return ReplaceResult::kCantOpen;
    }
    BaseKey key = BaseKeyOf(file.target.path);
    const auto [at, added] = base_of.try_emplace({key.directory, key.hash}, r.bases.size());
    if (added) r.bases.push_back({std::move(key), {}, {}});
    file.base = at->second;
    r.bases[at->second].files.push_back(i);
    const BaseKey& base = r.bases[at->second].key;
    if (!our_names.insert(NameKey(NewFilePath(base, file.target.path))).second) {
      return ReplaceResult::kCantOpen;
    }
  }
  return ReplaceResult::kOk;
}

ReplaceResult Replace(std::span<const FileReplacement> files, Replacement& r) {
  if (const ReplaceResult found = FindTargets(files, r); found != ReplaceResult::kOk) return found;
  std::vector<BaseKey> keys;
  for (const PendingBase& base : r.bases) {
    SweepDirectory(base.key.directory);
    keys.push_back(base.key);
  }
  HeldLocks held;
  LockTrouble trouble;
  switch (TakeLocks(keys, lock_wait, &held, &trouble)) {
    case LockWait::kTaken:
      break;
    case LockWait::kTimedOut:
      return ReplaceResult::kBusy;
    case LockWait::kUnusable:
      r.report->detail = LockTroubleText(trouble);
      return ReplaceResult::kLockUnusable;
  }
  for (const BaseKey& key : keys) {
    if (RepairBase(key) == Repair::kFailed) return ReplaceResult::kCantOpen;
  }
  // Inspected under the lock: no writer of ours changes a target meanwhile.
  for (PendingFile& file : r.pending) {
    if (!Ops().inspect_target(file.target.path, &file.target)) return ReplaceResult::kCantOpen;
  }
  if (SameFileTwice(r.pending)) return ReplaceResult::kCantOpen;
  ReplaceResult result = WriteNewFiles(files, r);
  if (result == ReplaceResult::kOk) result = SwapAll(r);
  if (result != ReplaceResult::kOk && !PutBack(r)) result = ReplaceResult::kPutBackFailed;
  return result;
}

}  // namespace

void SetDurableReplacement(bool on) { durable = on; }

void SetReplaceLockWait(std::chrono::milliseconds wait) { lock_wait = wait; }

std::string ReplaceFailureText(const ReplaceReport& report) {
  switch (report.result) {
    case ReplaceResult::kOk:
      break;
    case ReplaceResult::kCantOpen:
      return "cannot write the files (read-only, not a regular file, two names of one file, or "
             "in a folder that is not writable); nothing was changed";
    case ReplaceResult::kBadName:
      return "the name " + report.detail + "; nothing was changed";
    case ReplaceResult::kInTheWay:
      return report.detail + " stands where this run keeps a file of its own and is not one; " +
             "nothing was changed (remove it)";
    case ReplaceResult::kBusy:
      return "another run kept them locked for " + std::to_string(kLockWait.count()) +
             " s; nothing was changed";
    case ReplaceResult::kLockUnusable:
      return report.detail;
    case ReplaceResult::kWriteError:
      return "write error; the old files are unchanged";
    case ReplaceResult::kPutBackFailed:
      return "write error, and an old file could not be put back: it is kept beside it as "
             ".skedcomp-*.old or .new";
  }
  return {};
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files, ReplaceReport* report) {
  *report = {};
  Replacement r{{}, {}, report};
  try {
    // At most three files of ours a target can leave: its new file, its old
    // one and its base's record. Reserved now, so that naming them never
    // needs memory.
    report->left_behind.reserve(3 * files.size());
    r.bases.reserve(files.size());
    report->result = Replace(files, r);
  } catch (const std::bad_alloc&) {
    // Names are built as the work goes on; putting back needs no memory.
    report->result = PutBack(r) ? ReplaceResult::kWriteError : ReplaceResult::kPutBackFailed;
  }
  return report->result;
}
