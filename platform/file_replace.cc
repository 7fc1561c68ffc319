#include "platform/file_replace.h"

#include <algorithm>
#include <cstdint>
#include <map>
#include <new>
#include <set>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/base_lock.h"
#include "platform/base_path.h"
#include "platform/file_ops.h"
#include "platform/read_file.h"

namespace {

// Every file of ours beside a base is named so: `.skedcomp-HASH` after the
// base's lock byte, then ".intent" for its record, or the target's extension
// and ".new" or ".old" for a new file and an old one. Only the holder of the
// base's lock makes or removes them, so a file found at such a name when the
// lock is taken is one a stopped run left.
constexpr char kOurPrefix[] = ".skedcomp-";
constexpr char kRecordEnding[] = ".intent";
// A record names a base's files, three at most for our own writers.
constexpr std::size_t kRecordLimit = 64 << 10;
constexpr std::size_t kMostRecordFiles = 64;
constexpr char kRecordHeading[] = "skedcomp replacement\n";
constexpr char kRecordCommit[] = "commit\n";
constexpr char kRecordEnd[] = "end\n";

bool durable = kDurableByDefault;
std::vector<std::string> repair_notes;
std::set<std::string> swept_directories;

std::string OurPath(const BaseKey& key, std::string_view ending) {
  return PathInDirectory(key.directory, kOurPrefix + HashText(key.hash) + std::string(ending));
}
std::string RecordPath(const BaseKey& key) { return OurPath(key, kRecordEnding); }

std::string NewFilePath(const BaseKey& key, const std::string& target) {
  return OurPath(key, ExtensionOf(target) + ".new");
}
std::string OldFilePath(const BaseKey& key, const std::string& target) {
  return OurPath(key, ExtensionOf(target) + ".old");
}

bool Exists(const std::string& path) {
  FileIdentity identity;
  return IdentityOfPath(path, &identity);
}

// A record of a replacement under way, beside each base it changes: written
// before the first new file is made, with the names of the base's targets;
// then, once every new file is whole, "commit" and each new file's identity
// are added, and only then is any target exchanged. So a stopped run's
// record tells the next one what to do: without its commit, undo (remove
// the new files, no target was touched); with it, finish (put each new file
// that is still beside its target in its place).
//
//   skedcomp replacement\n
//   COUNT\n
//   LENGTH NAME\n            one per target: its name in the folder
//   commit\n                 the rest only once every new file is whole
//   DEVICE FILE\n            one per target: its new file's identity
//   end\n
struct Record {
  enum State { kTorn, kPrepared, kCommitted } state = kTorn;
  std::vector<std::string> names;
  std::vector<FileIdentity> identities;
};

std::string RecordStart(const std::vector<std::string>& names) {
  std::string text = kRecordHeading + std::to_string(names.size()) + "\n";
  for (const std::string& name : names) {
    text += std::to_string(name.size()) + " " + name + "\n";
  }
  return text;
}

std::string RecordCommit(const std::vector<FileIdentity>& identities) {
  std::string text = kRecordCommit;
  for (const FileIdentity& identity : identities) {
    text += std::to_string(identity.device) + " " + std::to_string(identity.file) + "\n";
  }
  return text + kRecordEnd;
}

// Reads a decimal number ending in `end` from `text` at `*at`.
bool ReadNumber(std::string_view text, std::size_t* at, char end, std::uint64_t* number) {
  std::size_t digits = 0;
  *number = 0;
  while (*at < text.size() && text[*at] >= '0' && text[*at] <= '9' && digits < 19) {
    *number = *number * 10 + static_cast<std::uint64_t>(text[*at] - '0');
    ++*at;
    ++digits;
  }
  if (digits == 0 || *at >= text.size() || text[*at] != end) return false;
  ++*at;
  return true;
}

bool ReadWord(std::string_view text, std::size_t* at, std::string_view word) {
  if (text.substr(*at, word.size()) != word) return false;
  *at += word.size();
  return true;
}

// A record as written, or as far as it was written: a name that is not a
// plain name of this base's (hand-made or damaged) makes it torn.
Record ParseRecord(std::string_view text, const BaseKey& key) {
  Record record;
  std::size_t at = 0;
  std::uint64_t count = 0;
  if (!ReadWord(text, &at, kRecordHeading) || !ReadNumber(text, &at, '\n', &count) ||
      count > kMostRecordFiles) {
    return record;
  }
  for (std::uint64_t i = 0; i < count; ++i) {
    std::uint64_t length = 0;
    if (!ReadNumber(text, &at, ' ', &length) || length > text.size() - at ||
        text.substr(at + length, 1) != "\n") {
      return record;
    }
    std::string name(text.substr(at, length));
    at += length + 1;
    const std::string path = PathInDirectory(key.directory, name);
    if (name.empty() || FileNameOf(path) != name || PathHoldsZeroByte(name) ||
        BaseKeyOf(path).hash != key.hash) {
      return record;
    }
    record.names.push_back(std::move(name));
  }
  record.state = Record::kPrepared;
  if (!ReadWord(text, &at, kRecordCommit)) return record;
  for (std::uint64_t i = 0; i < count; ++i) {
    FileIdentity identity;
    if (!ReadNumber(text, &at, ' ', &identity.device) ||
        !ReadNumber(text, &at, '\n', &identity.file)) {
      return record;
    }
    record.identities.push_back(identity);
  }
  if (ReadWord(text, &at, kRecordEnd) && at == text.size()) record.state = Record::kCommitted;
  return record;
}

enum class Repair { kNothing, kDone, kFailed };

// With the base's lock held exclusively: finishes or undoes the replacement a
// stopped run left, as its record says, and removes every file of ours the
// run left beside the base. Noted for the user.
Repair RepairBase(const BaseKey& key) {
  const std::string record_path = RecordPath(key);
  if (!Exists(record_path)) return Repair::kNothing;
  std::string text;
  if (ReadWholeFile(record_path, kRecordLimit, &text) != ReadFileResult::kOk) {
    text.clear();  // unreadable or planted: nothing in it is followed
  }
  const Record record = ParseRecord(text, key);
  // A base found by its record alone is named by it.
  const std::string shown = !key.name.empty() ? key.name
                            : record.names.empty()
                                ? record_path
                                : BaseKeyOf(PathInDirectory(key.directory, record.names[0])).name;
  bool finished = true;
  for (std::size_t i = 0; i < record.names.size(); ++i) {
    const std::string target = PathInDirectory(key.directory, record.names[i]);
    const std::string new_file = NewFilePath(key, target);
    FileIdentity found;
    if (record.state == Record::kCommitted && IdentityOfPath(new_file, &found) &&
        found == record.identities[i] && !RenameFile(new_file, target)) {
      finished = false;
    }
  }
  if (!finished) return Repair::kFailed;
  // What is left of ours now holds no file the base needs: old files, new
  // ones never put in place.
  std::vector<std::string> left;
  for (const std::string& name : record.names) {
    const std::string target = PathInDirectory(key.directory, name);
    for (const std::string& ours : {NewFilePath(key, target), OldFilePath(key, target)}) {
      if (Exists(ours) && !RemoveFile(ours)) left.push_back(ours);
    }
  }
  if (!RemoveFile(record_path)) left.push_back(record_path);
  std::string note = (record.state == Record::kCommitted ? "finished the replacement of "
                                                         : "undid the unfinished replacement of ") +
                     shown + " that a stopped run left";
  if (!left.empty()) note += "; " + LeftBehindText(left.front());
  repair_notes.push_back(std::move(note));
  return Repair::kDone;
}

// The bases of `directory` that have a record beside them; false when the
// folder cannot be listed.
bool ListRecords(const std::string& directory, std::vector<BaseKey>* keys) {
  keys->clear();
  std::vector<std::string> names;
  if (!ListDirectory(directory, kOurPrefix, &names)) return false;
  constexpr std::size_t kHashAt = sizeof kOurPrefix - 1;
  for (const std::string& name : names) {
    if (name.size() != kHashAt + 16 + sizeof kRecordEnding - 1 ||
        name.compare(kHashAt + 16, std::string::npos, kRecordEnding) != 0) {
      continue;
    }
    BaseKey key;
    key.directory = directory;
    for (std::size_t i = kHashAt; i < kHashAt + 16; ++i) {
      const char c = name[i];
      const int digit = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
      if (digit < 0) break;
      key.hash = key.hash << 4 | static_cast<std::uint64_t>(digit);
    }
    if (HashText(key.hash) != name.substr(kHashAt, 16) || key.hash >= kWholeFolder) continue;
    keys->push_back(std::move(key));
  }
  return true;
}

// Repairs, once a run, every base in `directory` whose record a stopped run
// left and whose lock is free: a run that was stopped while it replaced many
// bases leaves no record for later.
void SweepDirectory(const std::string& directory) {
  if (!swept_directories.insert(directory).second) return;
  std::vector<BaseKey> records;
  if (!ListRecords(directory, &records)) return;
  for (const BaseKey& key : records) {
    HeldLocks held;
    if (TryTakeLock(key, true, &held)) RepairBase(key);
  }
}

struct PendingFile {
  ReplaceTarget target;
  std::size_t base = 0;   // its base among the replacement's bases
  std::string temporary;  // the new file, until it is swapped in
  FileHandle file = kNoFile;
  FileIdentity identity;      // the new file's
  bool swapped = false;       // the target now holds the new file
  std::string old_copy;       // where the old file is kept meanwhile; "" when there is none
  bool renamed_away = false;  // the old file left the target's name for old_copy
};

// The record of each base the replacement changes.
struct PendingBase {
  BaseKey key;
  std::vector<std::size_t> files;  // indexes of its targets
  std::string record;              // its record's path, once made
};

// Counts the steps of one replacement and fails the chosen ones; and keeps
// the names of the temporary files that could not be removed.
class Steps {
 public:
  Steps(ReplaceFaults* faults, std::vector<std::string>* left_behind)
      : faults_(faults), left_behind_(left_behind) {}
  // A point where a kill may stop the run; true from the one where the test
  // stops it on: nothing more is done, as after a kill.
  bool Stops() {
    if (faults_ != nullptr && !stopped_ && ++faults_->points == faults_->stop_at) stopped_ = true;
    return stopped_;
  }
  bool Stopped() const { return stopped_; }
  bool Fails() { return Stops() || (faults_ != nullptr && ++faults_->steps == faults_->fail_step); }
  bool PutBackFails() {
    return faults_ != nullptr && ++faults_->put_back_steps == faults_->fail_put_back_step;
  }
  bool NoExchange() const { return faults_ != nullptr && faults_->no_exchange; }
  bool NoLinks() const { return faults_ != nullptr && faults_->no_links; }
  // Removes a temporary file; one that stays is named for the user.
  void Remove(const std::string& path) {
    if (Stops()) return;
    const bool refused = faults_ != nullptr && faults_->no_removal;
    if (refused || !RemoveFile(path)) Leave(path);
  }
  void Leave(const std::string& path) {
    // Memory for the name was reserved before the first file was made.
    if (left_behind_->size() < left_behind_->capacity()) left_behind_->push_back(path);
  }

 private:
  ReplaceFaults* faults_;
  std::vector<std::string>* left_behind_;
  bool stopped_ = false;
};

// Two targets that are one file would leave it holding only the last one's
// bytes. Sorted, so that an import of thousands of bases checks quickly.
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

// Makes a file of ours at `path`: whatever a stopped run left there goes
// first (a link planted there too: it is removed, never followed).
FileOpResult CreateOurFile(const std::string& path, const ReplaceTarget& like, FileHandle* file,
                           Steps& steps) {
  if (steps.Fails()) return FileOpResult::kFailed;
  const FileOpResult created = CreateNewFile(path, like, file);
  if (created != FileOpResult::kNameTaken) return created;
  RemoveFile(path);
  return CreateNewFile(path, like, file);
}

bool Append(const std::string& path, std::string_view bytes, Steps& steps) {
  FileHandle file = kNoFile;
  if (steps.Fails() || OpenToAppend(path, &file) != FileOpResult::kOk) return false;
  const bool written = !steps.Fails() && WriteToFile(file, bytes) && (!durable || SyncFile(file));
  return CloseFile(file) && written;
}

// Gives the old file a second name, as the exchange would have, where the
// system cannot exchange names: a hard link where it can, otherwise the old
// file is renamed away (so that a kill right after leaves the target absent,
// the old file under its ".old" name, and the record to finish the job).
bool KeepOldFile(PendingFile& file, const BaseKey& key, Steps& steps) {
  const std::string name = OldFilePath(key, file.target.path);
  if (Exists(name)) RemoveFile(name);
  if (!steps.NoLinks()) {
    const FileOpResult result =
        steps.Fails() ? FileOpResult::kFailed : LinkFile(file.target.path, name);
    if (result == FileOpResult::kOk) {
      file.old_copy = name;
      return true;
    }
    if (result != FileOpResult::kUnsupported) return false;
  }
  // A rename replaces whatever stands at the name, a link too, in one step.
  if (steps.Fails() || !RenameFile(file.target.path, name)) return false;
  file.old_copy = name;
  file.renamed_away = true;
  return true;
}

// Puts the new file in the target's place, keeping the old one reachable.
bool SwapIn(PendingFile& file, const BaseKey& key, Steps& steps) {
  if (file.target.exists) {
    const FileOpResult exchanged = steps.NoExchange() ? FileOpResult::kUnsupported
                                   : steps.Fails()
                                       ? FileOpResult::kFailed
                                       : ExchangeFiles(file.temporary, file.target.path);
    if (exchanged == FileOpResult::kOk) {
      file.old_copy = file.temporary;  // the temporary name now holds the old file
      file.temporary.clear();
      file.swapped = true;
      return true;
    }
    if (exchanged != FileOpResult::kUnsupported) return false;
    if (!KeepOldFile(file, key, steps)) return false;
  }
  if (steps.Fails() || !RenameFile(file.temporary, file.target.path)) {
    if (steps.Stopped()) return false;
    if (file.renamed_away) {
      // The target is gone: the old file must come back at once.
      if (!steps.PutBackFails() && RenameFile(file.old_copy, file.target.path)) {
        file.old_copy.clear();
      }
    } else if (!file.old_copy.empty()) {
      steps.Remove(file.old_copy);  // a second link only; the target still holds the file
      file.old_copy.clear();
    }
    return false;
  }
  file.temporary.clear();
  file.swapped = true;
  return true;
}

// Undoes everything: new files not swapped in are removed, swapped ones are
// replaced by their old files again. True when every old file is back. The
// records go last: while one stays, a kill leaves the next run to finish.
bool PutBack(std::vector<PendingFile>& pending, std::vector<PendingBase>& bases, Steps& steps) {
  bool all_back = true;
  for (auto file = pending.rbegin(); file != pending.rend(); ++file) {
    if (file->file != kNoFile) CloseFile(file->file);
    if (!file->temporary.empty()) steps.Remove(file->temporary);
    if (!file->swapped) {
      // An old file renamed away whose new one never came keeps its copy.
      if (!file->old_copy.empty()) {
        all_back = false;
        steps.Leave(file->old_copy);
      }
      continue;
    }
    const bool back = !steps.PutBackFails() &&
                      (file->old_copy.empty() ? RemoveFile(file->target.path)
                                              : RenameFile(file->old_copy, file->target.path));
    if (!back) {
      all_back = false;
      if (!file->old_copy.empty()) steps.Leave(file->old_copy);
    }
  }
  for (const PendingBase& base : bases) {
    if (!base.record.empty()) steps.Remove(base.record);
  }
  return all_back;
}

ReplaceResult Replace(std::span<const FileReplacement> files, std::vector<PendingFile>& pending,
                      std::vector<PendingBase>& bases, Steps& steps) {
  const auto give_up = [&](ReplaceResult result) {
    if (steps.Stopped()) return ReplaceResult::kWriteError;
    return PutBack(pending, bases, steps) ? result : ReplaceResult::kPutBackFailed;
  };
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (steps.Fails() || PathHoldsZeroByte(files[i].path) ||
        !InspectTarget(files[i].path, &pending[i].target)) {
      return give_up(ReplaceResult::kCantOpen);
    }
  }
  if (SameFileTwice(pending)) return give_up(ReplaceResult::kCantOpen);
  // The bases the targets belong to, where their files are (a linked
  // target's own folder), each with its record; two targets whose files of
  // ours would share a name (names alike but for letter case on Windows, or
  // whose hashes meet) are refused.
  std::map<std::pair<std::string, std::uint64_t>, std::size_t> base_of;
  std::set<std::string> our_names;
  for (std::size_t i = 0; i < pending.size(); ++i) {
    BaseKey key = BaseKeyOf(pending[i].target.path);
    const auto [at, added] = base_of.try_emplace({key.directory, key.hash}, bases.size());
    if (added) bases.push_back({std::move(key), {}, {}});
    pending[i].base = at->second;
    bases[at->second].files.push_back(i);
    const BaseKey& base = bases[at->second].key;
    if (!our_names.insert(NameKey(NewFilePath(base, pending[i].target.path))).second) {
      return give_up(ReplaceResult::kCantOpen);
    }
  }
  // The records first: a run stopped from here on leaves the next one what
  // it needs to undo or finish this one.
  for (PendingBase& base : bases) {
    std::vector<std::string> names;
    for (const std::size_t i : base.files) names.push_back(FileNameOf(pending[i].target.path));
    const std::string path = RecordPath(base.key);
    FileHandle file = kNoFile;
    if (CreateOurFile(path, ReplaceTarget{}, &file, steps) != FileOpResult::kOk) {
      return give_up(ReplaceResult::kCantOpen);
    }
    base.record = path;
    const bool written =
        !steps.Fails() && WriteToFile(file, RecordStart(names)) && (!durable || SyncFile(file));
    if (!CloseFile(file) || !written) return give_up(ReplaceResult::kWriteError);
  }
  // Each file is written and closed before the next is made, so that a
  // replacement of many files holds one open at a time.
  for (PendingFile& file : pending) {
    const std::string name = NewFilePath(bases[file.base].key, file.target.path);
    if (CreateOurFile(name, file.target, &file.file, steps) != FileOpResult::kOk) {
      return give_up(ReplaceResult::kCantOpen);
    }
    file.temporary = name;
    const std::size_t i = static_cast<std::size_t>(&file - pending.data());
    const bool written = !steps.Fails() && WriteToFile(file.file, files[i].contents) &&
                         (!durable || SyncFile(file.file)) &&
                         IdentityOfFile(file.file, &file.identity);
    const bool closed = CloseFile(file.file) && !steps.Fails();
    file.file = kNoFile;
    if (!written || !closed) return give_up(ReplaceResult::kWriteError);
  }
  for (const PendingBase& base : bases) {
    std::vector<FileIdentity> identities;
    for (const std::size_t i : base.files) identities.push_back(pending[i].identity);
    if (!Append(base.record, RecordCommit(identities), steps)) {
      return give_up(ReplaceResult::kWriteError);
    }
  }
  // The folders to flush, each once: an import's hundreds of bases share one.
  std::set<std::string> directories;
  if (durable) {
    for (const PendingBase& base : bases) directories.insert(base.key.directory);
    for (const std::string& directory : directories) {
      if (!SyncDirectory(directory)) return give_up(ReplaceResult::kWriteError);
    }
  }
  for (PendingFile& file : pending) {
    if (!SwapIn(file, bases[file.base].key, steps)) return give_up(ReplaceResult::kWriteError);
  }
  // Every new file is in place: only now may the old ones go, and then the
  // records.
  for (const PendingFile& file : pending) {
    if (!file.old_copy.empty()) steps.Remove(file.old_copy);
  }
  for (const PendingBase& base : bases) steps.Remove(base.record);
  for (const std::string& directory : directories) SyncDirectory(directory);
  return ReplaceResult::kOk;
}

// The lock keys of the files, each base once.
std::vector<BaseKey> KeysOf(std::span<const std::string> paths) {
  std::vector<BaseKey> keys;
  std::set<std::pair<std::string, std::uint64_t>> seen;
  for (const std::string& path : paths) {
    BaseKey key = BaseKeyOf(path);
    if (seen.emplace(key.directory, key.hash).second) keys.push_back(std::move(key));
  }
  return keys;
}

}  // namespace

void SetDurableReplacement(bool on) { durable = on; }

std::vector<std::string> FilesOfOurs(const std::string& target) {
  const BaseKey key = BaseKeyOf(target);
  return {NewFilePath(key, target), OldFilePath(key, target), RecordPath(key)};
}

std::string ReplaceFailureText(ReplaceResult result) {
  switch (result) {
    case ReplaceResult::kOk:
      break;
    case ReplaceResult::kCantOpen:
      return "cannot write the files (read-only, not a regular file, two names of one file, or "
             "in a folder that is not writable); nothing was changed";
    case ReplaceResult::kBusy:
      return "another run kept them locked for " + std::to_string(kLockWait.count()) +
             " s; nothing was changed";
    case ReplaceResult::kWriteError:
      return "write error; the old files are unchanged";
    case ReplaceResult::kPutBackFailed:
      return "write error, and an old file could not be put back: it is kept beside it as "
             ".skedcomp-*.old or .new";
  }
  return {};
}

std::string LeftBehindText(const std::string& path) {
  return "the temporary file " + path +
         " could not be removed (it holds an old or new copy of a file written beside it, or "
         "the note of a replacement)";
}

std::vector<std::string> TakeRepairNotes() {
  std::vector<std::string> notes;
  notes.swap(repair_notes);
  return notes;
}

ReadLock LockForReading(const std::string& path, HeldLocks* held) {
  const BaseKey key = BaseKeyOf(path);
  SweepDirectory(key.directory);
  // The lock first: a base that is there, as bases mostly are, then costs
  // one look-up, for a stopped run's record.
  std::string busy;
  if (TakeLocks(std::span(&key, 1), false, kLockWait, held, &busy) != LockWait::kTaken) {
    return ReadLock::kBusy;
  }
  if (!Exists(RecordPath(key))) return ReadLock::kOk;  // the read then finds whether it is there
  // A stopped run's record: the base is mended before it is read.
  ReleaseLocks(held);
  if (TakeLocks(std::span(&key, 1), true, kLockWait, held, &busy) != LockWait::kTaken) {
    return ReadLock::kBusy;
  }
  return RepairBase(key) == Repair::kFailed ? ReadLock::kUnrepaired : ReadLock::kOk;
}

namespace {

enum class Hold {
  kHeld,    // the folder is held, and was found without records while held
  kLookUp,  // the folder is held, but each base must look for its record
  kByBase,  // each base is locked and looked up alone
};

Hold HoldFolder(FolderReads* reads, const std::string& directory) {
  if (reads->by_base.contains(directory)) return Hold::kByBase;
  for (const FolderReads::Folder& folder : reads->folders) {
    if (folder.directory == directory) return folder.looked_over ? Hold::kHeld : Hold::kLookUp;
  }
  if (reads->folders.size() >= kHeldFolders) {
    reads->by_base.insert(directory);
    return Hold::kByBase;
  }
  // Where another run is writing a base, the others are read base by base
  // rather than waiting for it: only the one it writes waits.
  if (TryTakeFolderLock(directory, &reads->held) != FolderLock::kTaken) {
    reads->by_base.insert(directory);
    return Hold::kByBase;
  }
  FolderReads::Folder& folder = reads->folders.emplace_back();
  folder.directory = directory;
  // The first look at a folder's records that every run takes, taken now
  // that it is held: a record seen is a stopped run's, and none can come
  // until it is let go.
  if (swept_directories.contains(directory)) return Hold::kLookUp;
  std::vector<BaseKey> records;
  if (!ListRecords(directory, &records)) return Hold::kLookUp;
  swept_directories.insert(directory);
  if (records.empty()) {
    folder.looked_over = true;
    return Hold::kHeld;
  }
  // Mended with every folder let go, as a base's exclusive lock cannot be
  // had meanwhile; then held again, each base looking for its record.
  EndFolderReads(reads);
  swept_directories.erase(directory);
  SweepDirectory(directory);
  return HoldFolder(reads, directory);
}

}  // namespace

ReadLock LockForReading(const std::string& path, HeldLocks* held, FolderReads* reads) {
  if (reads == nullptr) return LockForReading(path, held);
  const BaseKey key = BaseKeyOf(path);
  switch (HoldFolder(reads, key.directory)) {
    case Hold::kHeld:
      return ReadLock::kOk;
    case Hold::kByBase:
      return LockForReading(path, held);
    case Hold::kLookUp:
      break;
  }
  if (!Exists(RecordPath(key))) return ReadLock::kOk;
  // A stopped run's record: mended as a lone read mends it, every folder let go.
  EndFolderReads(reads);
  return LockForReading(path, held);
}

void EndFolderReads(FolderReads* reads) {
  ReleaseLocks(&reads->held);
  reads->folders.clear();
  reads->by_base.clear();
}

namespace {

// A name that every system finds only as it is written, letter case aside:
// plain ASCII, no short-name '~', no trailing dot or space that Windows
// drops.
bool PlainName(std::string_view name) {
  if (name.empty() || name.back() == '.' || name.back() == ' ') return false;
  return std::all_of(name.begin(), name.end(), [](char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
           c == '-' || c == '.' || c == ' ';
  });
}

std::string FoldedCase(std::string_view name) {
  std::string folded(name);
  for (char& c : folded) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return folded;
}

}  // namespace

bool SurelyMissing(FolderListings* listings, const std::string& path) {
  const std::string name = FileNameOf(path);
  if (!PlainName(name)) return false;
  const BaseKey key = BaseKeyOf(path);
  // Names in ever more folders are looked up one by one: the listings of a
  // few hold what any real composition names.
  if (listings->folders.size() >= kListedFolders && !listings->folders.contains(key.directory)) {
    return false;
  }
  auto [folder, listed] = listings->folders.try_emplace(key.directory);
  if (listed) {
    std::vector<std::string> names;
    if (ListDirectory(key.directory, "", &names)) {
      folder->second.emplace();
      for (const std::string& held : names) folder->second->insert(FoldedCase(held));
    }
  }
  if (!folder->second.has_value()) return false;
  return !folder->second->contains(FoldedCase(name)) &&
         !folder->second->contains(FoldedCase(FileNameOf(RecordPath(key))));
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind) {
  return ReplaceFiles(files, left_behind, nullptr);
}

ReplaceResult ReplaceFiles(std::span<const FileReplacement> files,
                           std::vector<std::string>* left_behind, ReplaceFaults* faults) {
  left_behind->clear();
  std::vector<PendingFile> pending;
  std::vector<PendingBase> bases;
  Steps steps(faults, left_behind);
  HeldLocks held;
  try {
    // At most three files of ours a target can leave: its new file, its old
    // one and its base's record. Reserved now, so that naming them never
    // needs memory.
    left_behind->reserve(3 * files.size());
    std::vector<std::string> paths;
    for (const FileReplacement& file : files) paths.push_back(file.path);
    const std::vector<BaseKey> keys = KeysOf(paths);
    for (const BaseKey& key : keys) SweepDirectory(key.directory);
    const auto wait = faults != nullptr && faults->lock_wait.count() >= 0
                          ? faults->lock_wait
                          : std::chrono::milliseconds(kLockWait);
    std::string busy;
    if (TakeLocks(keys, true, wait, &held, &busy) != LockWait::kTaken) {
      return ReplaceResult::kBusy;
    }
    for (const BaseKey& key : keys) {
      if (RepairBase(key) == Repair::kFailed) return ReplaceResult::kCantOpen;
    }
    pending.resize(files.size());
    bases.reserve(files.size());
    return Replace(files, pending, bases, steps);
  } catch (const std::bad_alloc&) {
    // Names are built as the work goes on; putting back needs no memory.
    return PutBack(pending, bases, steps) ? ReplaceResult::kWriteError
                                          : ReplaceResult::kPutBackFailed;
  }
}
